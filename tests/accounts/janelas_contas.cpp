#include "accounts/janelas_contas.h"

#include "accounts/cofrel_inclui_usuario.h"
#include "accounts/cofrel_login.h"
#include "app/forms.h"
#include "controls/GradBtn.h"
#include "data/cofrel_dados.h"
#include "data/table.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace cofrel::test {

JanelasDeContas::JanelasDeContas()
{
    Forms &f = forms();
    f.Dados = new TDados();
    inclui = new TformCofrelInclui();
    f.CofrelInclui = inclui;
    login = new TformCofrelLogin();
    f.CofrelLogin = login;
}

JanelasDeContas::~JanelasDeContas()
{
    Forms &f = forms();
    delete login;
    delete inclui;
    delete f.Dados;
    f = Forms{};
}

namespace {

// A registry component of its own, so the windows' TableUser is untouched.
class Registro final {
public:
    Registro() : tabela(u"Cofrel"_s, u"users.db"_s)
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

void quandoModal(QWidget *janela, std::function<void()> acao, bool *falhou)
{
    auto *timer = new QTimer();
    const QDeadlineTimer prazo(10'000);
    QPointer<QWidget> alvo(janela);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        if (alvo && QApplication::activeModalWidget() == alvo && alvo->isVisible()) {
            timer->stop();
            timer->deleteLater();
            acao();
        } else if (prazo.hasExpired()) {
            timer->stop();
            timer->deleteLater();
            if (falhou)
                *falhou = true;
            while (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start(5);
}

void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha,
                       const QString &confirmacao)
{
    digita(janela->editUsuario, nome);
    digita(janela->editSenha, senha);
    digita(janela->editConfirmaSenha, confirmacao);
    clica(janela->buttonOK);
}

void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha)
{
    preencheEConfirma(janela, nome, senha, senha);
}

} // namespace cofrel::test
