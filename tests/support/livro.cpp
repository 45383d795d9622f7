#include "support/livro.h"

#include "support/tabelas.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/forms.h"
#include "controls/GradBtn.h"
#include "app/login_context.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/tables.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTest>

#include <QSqlQuery>

#include <algorithm>
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
    f.Dados = dados = new TDados(pasta.dataDir());
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

// A connection and a component of their own over one of the user's tables,
// as another session would have, so that the windows' components are
// untouched.
struct Tabela {
    explicit Tabela(const QString &nome, bool plano)
        : db(loginContext().dataDir())
        , tabela(db, plano ? data::Table::Kind::Plan : data::Table::Kind::Ledger, nome)
    {
    }
    data::Database db;
    data::Table tabela;
};

QList<Lancamento> le(const QString &nome, bool plano)
{
    Tabela t(nome, plano);
    QList<Lancamento> rows;
    for (const Lancamento &l : t.tabela.rows())
        rows.append(l);
    std::sort(rows.begin(), rows.end(), [](const Lancamento &a, const Lancamento &b) { return a.transacao < b.transacao; });
    return rows;
}

QString arquivo(const QString &nome)
{
    return data::Database(loginContext().dataDir()).resolveFile(nome);
}

} // namespace

qint64 Livro::insere(const Lancamento &linha)
{
    return Tabela(loginContext().FinTableName, false).tabela.insert(linha);
}

void Livro::insere(const QList<Lancamento> &linhas)
{
    QList<Lancamento> copia = linhas;
    gravaLinhas(loginContext().FinTableName, copia);
}

qint64 Livro::planeja(const Lancamento &linha)
{
    return Tabela(loginContext().DFinTableName, true).tabela.insert(linha);
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

QMap<QString, UsuarioGuardado> registro()
{
    QMap<QString, UsuarioGuardado> usuarios;
    const OutraConexao conexao(loginContext().dataDir() + u"users.db"_s);
    QSqlQuery q = conexao.query();
    q.exec(u"SELECT User, Numero, Senha FROM users"_s);
    while (q.next())
        usuarios.insert(q.value(0).toString(), {q.value(1).toInt(), q.value(2).toByteArray()});
    return usuarios;
}

void gravaSenhaGuardada(const QString &nome, const QByteArray &guardada)
{
    const OutraConexao conexao(loginContext().dataDir() + u"users.db"_s);
    QSqlQuery q = conexao.query();
    q.prepare(u"UPDATE users SET Senha = :senha WHERE User = :nome"_s);
    q.bindValue(u":senha"_s, guardada);
    q.bindValue(u":nome"_s, nome);
    if (!q.exec() || q.numRowsAffected() != 1)
        throw std::runtime_error("no such user");
}

void apagaDoRegistro(const QString &nome)
{
    const OutraConexao conexao(loginContext().dataDir() + u"users.db"_s);
    QSqlQuery q = conexao.query();
    q.prepare(u"DELETE FROM users WHERE User = :nome"_s);
    q.bindValue(u":nome"_s, nome);
    if (!q.exec() || q.numRowsAffected() != 1)
        throw std::runtime_error("no such user");
}

void insereLinhasDeAmostra(const Livro &livro)
{
    const OutraConexao razao(livro.pasta.dataFile(u"f1.DB"_s));
    if (!razao.exec(u"INSERT INTO fin (Data, Descricao, Categoria, Valor) VALUES "
                    u"('2025-03-08', 'Padaria', 1, -7.5), ('2025-03-09', 'Salário', 6, 2000)"_s))
        throw std::runtime_error("cannot write the ledger");
    const OutraConexao plano(livro.pasta.dataFile(u"d1.DB"_s));
    if (!plano.exec(u"INSERT INTO dfin (Dia, Data, Categoria, Descricao, Valor) VALUES "
                    u"(20, '2025-03-20', 4, 'Aluguel', -800)"_s))
        throw std::runtime_error("cannot write the plan");
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
