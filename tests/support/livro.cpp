#include "support/livro.h"

#include "support/tabelas.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/forms.h"
#include "controls/GradBtn.h"
#include "app/login_context.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/table.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace cofrel::test {

Livro::Livro(const QDate &hoje, int janelas, const QString &nome)
{
    if (hoje.isValid())
        relogio.emplace(hoje);
    Forms &f = forms();
    if (janelas & Principal)
        f.CofrelMain = janela = new TformCofrelMain();
    f.Dados = dados = new TDados();
    f.IncluirValor = dialogo = new TformIncluirValor();
    if (janelas & Planejamento) {
        f.Planejamento = planejamento = new TformPlanejamento();
        f.IncluiMes = incluiMes = new TformIncluiMes();
    }
    if (janelas & Contas) {
        f.CofrelInclui = inclui = new TformCofrelInclui();
        f.CofrelLogin = login = new TformCofrelLogin();
    }
    if (!nome.isEmpty()) {
        usuario = pasta.addUser(nome, u"segredo"_s);
        pasta.loginAs(nome, usuario);
    }
}

Livro::~Livro()
{
    delete login;
    delete inclui;
    delete incluiMes;
    delete planejamento;
    delete janela;
    delete dialogo;
    delete dados;
    forms() = Forms{};
}

namespace {

// A component of its own over one of the user's tables, so that the
// windows' components are untouched.
struct Tabela {
    explicit Tabela(const QString &nome) : tabela(QString(data::AliasCofrel), nome)
    {
        tabela.setIndexFieldNames(u"Transacao"_s);
        tabela.open();
    }
    ~Tabela() { tabela.close(); }
    data::Table tabela;
};

QList<Lancamento> le(const QString &nome, bool plano)
{
    Tabela t(nome);
    QList<Lancamento> rows;
    for (t.tabela.first(); !t.tabela.eof(); t.tabela.next()) {
        rows.append({t.tabela.fieldByName(u"Transacao"_s).asInteger(), t.tabela.fieldByName(u"Data"_s).asDate(),
                     t.tabela.fieldByName(u"Descricao"_s).asString(),
                     int(t.tabela.fieldByName(u"Categoria"_s).asInteger()),
                     t.tabela.fieldByName(u"Valor"_s).asFloat(),
                     plano ? int(t.tabela.fieldByName(u"Dia"_s).asInteger()) : 0});
    }
    return rows;
}

QString arquivo(const QString &nome)
{
    return data::Database::forAlias(QString(data::AliasCofrel)).resolveFile(nome);
}

} // namespace

qint64 Livro::insere(const Lancamento &linha)
{
    Tabela t(loginContext().FinTableName);
    return gravaLinha(t.tabela, linha);
}

void Livro::insere(const QList<Lancamento> &linhas)
{
    Tabela t(loginContext().FinTableName);
    data::Transaction transacao(data::Database::forAlias(t.tabela.alias()));
    for (const Lancamento &l : linhas)
        gravaLinha(t.tabela, l);
    transacao.commit();
}

qint64 Livro::planeja(const Lancamento &linha)
{
    Tabela t(loginContext().DFinTableName);
    return gravaLinha(t.tabela, linha);
}

QList<Lancamento> Livro::lancamentos() const
{
    return le(loginContext().FinTableName, false);
}

QList<Lancamento> Livro::plano() const
{
    return le(loginContext().DFinTableName, true);
}

QString Livro::arquivoFin() const
{
    return arquivo(loginContext().FinTableName);
}

QString Livro::arquivoPlano() const
{
    return arquivo(loginContext().DFinTableName);
}

namespace {

void executaNoArquivo(const QString &path, const QString &sql)
{
    const OutraConexao conexao(path);
    if (!conexao.falha().isEmpty())
        qFatal("cannot open %s: %s", qPrintable(path), qPrintable(conexao.falha()));
    if (!conexao.exec(sql))
        qFatal("%s failed on %s", qPrintable(sql), qPrintable(path));
}

} // namespace

void impedeEscrita(const QString &path, const QString &internalTable)
{
    for (const QString &ev : {u"INSERT"_s, u"UPDATE"_s, u"DELETE"_s}) {
        executaNoArquivo(path, u"CREATE TRIGGER IF NOT EXISTS falha_%1_%2 BEFORE %3 ON %1 "
                               "BEGIN SELECT RAISE(ABORT, 'escrita recusada no teste'); END"_s
                                   .arg(internalTable, ev.toLower(), ev));
    }
}

void liberaEscrita(const QString &path, const QString &internalTable)
{
    for (const QString &ev : {u"insert"_s, u"update"_s, u"delete"_s})
        executaNoArquivo(path, u"DROP TRIGGER IF EXISTS falha_%1_%2"_s.arg(internalTable, ev));
}

namespace {

// A registry component of its own, so the windows' TableUser is untouched.
struct Registro {
    Registro() : tabela(QString(data::AliasCofrel), u"users.db"_s)
    {
        tabela.setIndexName(u"users"_s);
        tabela.open();
    }
    ~Registro() { tabela.close(); }
    data::Table tabela;
};

} // namespace

QMap<QString, UsuarioGuardado> registro()
{
    QMap<QString, UsuarioGuardado> usuarios;
    Registro r;
    for (r.tabela.first(); !r.tabela.eof(); r.tabela.next()) {
        usuarios.insert(r.tabela.fieldByName(u"User"_s).asString(),
                        {int(r.tabela.fieldByName(u"Numero"_s).asInteger()),
                         r.tabela.fieldByName(u"Senha"_s).asBytes()});
    }
    return usuarios;
}

void gravaSenhaGuardada(const QString &nome, const QByteArray &guardada)
{
    Registro r;
    if (!r.tabela.findKey(nome))
        throw std::runtime_error("no such user");
    r.tabela.edit();
    r.tabela.fieldByName(u"Senha"_s).setBytes(guardada);
    r.tabela.post();
}

void apagaDoRegistro(const QString &nome)
{
    Registro r;
    if (!r.tabela.findKey(nome))
        throw std::runtime_error("no such user");
    r.tabela.deleteRow();
}

QStringList arquivosDaPasta(const TestFolder &pasta)
{
    return QDir(pasta.dataDir()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

void escolhe(QComboBox *combo, int index)
{
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(combo, Qt::Key_Down);
}

void reescreve(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_End);
    QTest::keyClick(edit, Qt::Key_Home, Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha,
                       const QString &confirmacao)
{
    digita(janela->editUsuario, nome);
    digita(janela->editSenha, senha);
    digita(janela->editConfirmaSenha, confirmacao);
    clica(janela->buttonOK);
}

} // namespace cofrel::test
