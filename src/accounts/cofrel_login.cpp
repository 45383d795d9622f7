#include "accounts/cofrel_login.h"

#include "accounts/arquivos_usuario.h"
#include "accounts/campo_senha.h"
#include "accounts/cofrel_inclui_usuario.h"
#include "app/wait_cursor.h"
#include "accounts/senha.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "data/cofrel_dados.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

#include <optional>

using namespace Qt::StringLiterals;
using cofrel::data::UserTable;

namespace {

// From this many users on, no more can be added during the run.
constexpr int LimiteUsuarios = 30;

const QString &mensagemPrimeiraVez()
{
    static const QString texto =
        u"Você está rodando este programa pela primeira vez. Para sua segurança, digite seu nome e "
        u"uma senha de sua escolha, e guarde-a consigo. Você só poderá acessar seus dados financeiros "
        u"neste programa através desta senha."_s;
    return texto;
}

// Looks the user up in the registry and compares the decoded password with
// what was typed, exactly. The user's number when they agree. A name no
// longer registered, or a stored password that is damaged, counts as a
// wrong password.
std::optional<int> confereSenha(const QString &nome, const QString &digitada)
{
    const std::optional<UserTable::Usuario> usuario = cofrel::dados().TableUser.find(nome);
    if (!usuario)
        return std::nullopt;
    bool legivel = false;
    const QByteArray senha = cofrel::DecodificaSenha(usuario->senha, &legivel);
    if (!legivel || QString::fromLatin1(senha) != digitada)
        return std::nullopt;
    return usuario->numero;
}

} // namespace

TformCofrelLogin::TformCofrelLogin(QWidget *parent)
    : QDialog(parent)
{
    cofrel::preparaJanela(this, u"Cofrel 1.0 - Identificação de usuário"_s, QSize(384, 182),
                          cofrel::Borda::Dialogo);

    Label1 = cofrel::criaRotulo(this, u"Label1"_s, u"Usuário"_s, 13, 100);
    Label2 = cofrel::criaRotulo(this, u"Label2"_s, u"Senha"_s, 197, 100);
    Label3 = cofrel::criaRotulo(this, u"Label3"_s, u"Cofrel 1.0 - Finanças pessoais"_s, 10, 167);
    Label3->setGeometry(10, 167, 367, 13);
    Label3->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette navy = Label3->palette();
    navy.setColor(QPalette::WindowText, cofrel::toQColor(cofrel::clNavy));
    Label3->setPalette(navy);

    comboUsuario = new QComboBox(this);
    comboUsuario->setObjectName(u"comboUsuario"_s);
    comboUsuario->setEditable(false);
    comboUsuario->setGeometry(13, 113, 179, 21);

    editSenha = cofrel::criaCampoSenha(this, u"editSenha"_s, QRect(198, 113, 176, 21));
    editSenha->installEventFilter(this);
    // Each box is named by its label for assistive technology.
    Label1->setBuddy(comboUsuario);
    Label2->setBuddy(editSenha);

    buttonIniciar = criaBotaoCofrel(this, u"buttonIniciar"_s, u"&Entrar"_s, QRect(12, 139, 84, 23));
    buttonIncluir = criaBotaoCofrel(this, u"buttonIncluir"_s, u"&Incluir Usuário"_s, QRect(105, 139, 84, 23));
    buttonExcluir = criaBotaoCofrel(this, u"buttonExcluir"_s, u"E&xcluir Usuário"_s, QRect(197, 139, 84, 23));
    buttonSair = criaBotaoCofrel(this, u"buttonSair"_s, u"&Sair"_s, QRect(288, 139, 84, 23));
    connect(buttonIniciar, &TGradBtn::clicked, this, cofrel::guard([this] { buttonIniciarClick(); }));
    connect(buttonIncluir, &TGradBtn::clicked, this, cofrel::guard([this] { buttonIncluirClick(); }));
    connect(buttonExcluir, &TGradBtn::clicked, this, cofrel::guard([this] { buttonExcluirClick(); }));
    connect(buttonSair, &TGradBtn::clicked, this, cofrel::guard([this] { buttonSairClick(); }));

    setTabOrder(comboUsuario, editSenha);
    setTabOrder(editSenha, buttonIniciar);
    setTabOrder(buttonIniciar, buttonIncluir);
    setTabOrder(buttonIncluir, buttonExcluir);
    setTabOrder(buttonExcluir, buttonSair);

    cofrel::guarded([this] { FormCreate(); });
}

void TformCofrelLogin::FormCreate()
{
    Image1 = cofrel::criaImagemFundo(this);
}

void TformCofrelLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Sent before the window reaches the screen, so on the first run the
    // message and the new-user window come before the login is seen.
    if (!event->spontaneous())
        cofrel::guarded([this] { FormShow(); });
}

void TformCofrelLogin::FormShow()
{
    aposPreencher(preencheLista());
}

bool TformCofrelLogin::preencheLista()
{
    comboUsuario->clear();
    editSenha->clear();
    UserTable &usuarios = cofrel::dados().TableUser;
    // A creation or deletion a crash cut short is finished first, so no
    // user is listed without files and no files outlive their user.
    cofrel::concluiTrabalhosInterrompidos(cofrel::loginContext().dataDir(),
                                          [&](int numero) { return usuarios.contains(numero); });
    comboUsuario->addItems(usuarios.names());
    return comboUsuario->count() == 0;
}

void TformCofrelLogin::aposPreencher(bool vazia)
{
    if (vazia) {
        cofrel::interaction().message(mensagemPrimeiraVez());
        buttonIncluirClick();
        return;
    }
    comboUsuario->setCurrentIndex(0);
    if (comboUsuario->count() >= LimiteUsuarios)
        buttonIncluir->setEnabled(false);
}

void TformCofrelLogin::buttonIniciarClick()
{
    if (comboUsuario->count() == 0) {
        cofrel::interaction().message(
            u"Antes de iniciar o programa, é necessário incluir um usuário, clicando no botão \"Incluir Usuário\""_s);
        return;
    }
    cofrel::LoginContext &contexto = cofrel::loginContext();
    contexto.UserName = comboUsuario->currentText();
    const std::optional<int> numero = confereSenha(contexto.UserName, editSenha->text());
    if (!numero) {
        senhaIncorreta();
        return;
    }
    contexto.setUser(contexto.UserName, *numero);
    cofrel::dados().setUserTables(contexto.FinTableName, contexto.DFinTableName);
    done(cofrel::mrOk);
}

bool TformCofrelLogin::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editSenha && event->type() == QEvent::KeyPress)
        return editSenhaKeyPress(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

bool TformCofrelLogin::editSenhaKeyPress(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    cofrel::guarded([this] { buttonIniciarClick(); });
    return true; // the box never sees the Enter
}

void TformCofrelLogin::buttonIncluirClick()
{
    if (cofrel::forms().CofrelInclui->exec() == cofrel::mrOk)
        FormShow();
}

void TformCofrelLogin::buttonExcluirClick()
{
    if (comboUsuario->count() == 0)
        return;
    if (!cofrel::interaction().question(u"Deseja realmente apagar este usuário?"_s, u"Cofrel"_s,
                                        cofrel::QuestionIcon::None))
        return;

    bool apagado = false;
    bool vazia = false;
    {
        // The hourglass covers the work only; it is lifted before the
        // window waits on the person again (a message, the new-user window).
        cofrel::WaitCursor espera;
        cofrel::loginContext().UserName = comboUsuario->currentText();
        if (const std::optional<int> numero = confereSenha(cofrel::loginContext().UserName, editSenha->text())) {
            // The row goes first: the user is gone whatever becomes of the
            // files. The note lets the next start remove files a crash
            // left behind.
            TDados &dados = cofrel::dados();
            const QString pasta = cofrel::loginContext().dataDir();
            const cofrel::MarcaDeTrabalho marca(pasta, cofrel::MarcaDeTrabalho::Tipo::Exclusao, *numero);
            dados.TableUser.remove(*numero);
            dados.database().detach(u"f%1.db"_s.arg(*numero));
            dados.database().detach(u"d%1.db"_s.arg(*numero));
            cofrel::apagaArquivosDaMascara(pasta, u"F%1.*"_s.arg(*numero));
            cofrel::apagaArquivosDaMascara(pasta, u"D%1.*"_s.arg(*numero));
            apagado = true;
        }
        if (apagado)
            vazia = preencheLista();
    }
    if (apagado)
        aposPreencher(vazia);
    else
        senhaIncorreta();
}

void TformCofrelLogin::senhaIncorreta()
{
    cofrel::interaction().message(u"Senha Incorreta!"_s);
    editSenha->setFocus();
}

void TformCofrelLogin::buttonSairClick()
{
    close();
}

void TformCofrelLogin::reject()
{
    done(cofrel::mrCancel);
}

void TformCofrelLogin::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close the login: only "&Sair" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
