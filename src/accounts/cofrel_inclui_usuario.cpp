#include "accounts/cofrel_inclui_usuario.h"

#include "accounts/arquivos_usuario.h"
#include "accounts/campo_senha.h"
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
#include "data/cofrel_dados.h"
#include "data/database.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

using namespace Qt::StringLiterals;


namespace {

// Removes leading and trailing characters of code 32 or below.
QString apara(const QString &texto)
{
    qsizetype inicio = 0;
    qsizetype fim = texto.size();
    while (inicio < fim && texto.at(inicio).unicode() <= 32)
        ++inicio;
    while (fim > inicio && texto.at(fim - 1).unicode() <= 32)
        --fim;
    return texto.mid(inicio, fim - inicio);
}

const QString &mensagemMesmaSenha()
{
    static const QString texto = u"Digite a mesma senha nos campos \"Senha\" e \"Confirme Senha\""_s;
    return texto;
}

// The registry's lookups ignore letter case; the name is also looked up as
// typed because upper-casing may change a name's letters ("ß" gives "SS").
bool nomeRegistrado(cofrel::data::UserTable &usuarios, const QString &nome)
{
    return usuarios.find(QLocale().toUpper(nome)) || usuarios.find(nome);
}

} // namespace

TformCofrelInclui::TformCofrelInclui(QWidget *parent)
    : QDialog(parent)
{
    cofrel::preparaJanela(this, u"Cofrel 1.0 - Inclusão de usuário"_s, QSize(384, 204), cofrel::Borda::Dialogo);

    Label1 = cofrel::criaRotulo(this, u"Label1"_s, u"Usuário"_s, 12, 103);
    Label2 = cofrel::criaRotulo(this, u"Label2"_s, u"Senha"_s, 211, 103);
    Label3 = cofrel::criaRotulo(this, u"Label3"_s, u"Confirme Senha"_s, 211, 137);

    editUsuario = new QLineEdit(this);
    editUsuario->setObjectName(u"editUsuario"_s);
    editUsuario->setGeometry(12, 116, 194, 21);
    editSenha = cofrel::criaCampoSenha(this, u"editSenha"_s, QRect(211, 116, 162, 21), cofrel::TamanhoMaximoSenha);
    editConfirmaSenha = cofrel::criaCampoSenha(this, u"editConfirmaSenha"_s, QRect(211, 150, 162, 21),
                                               cofrel::TamanhoMaximoSenha);
    // Each box is named by its label for assistive technology.
    Label1->setBuddy(editUsuario);
    Label2->setBuddy(editSenha);
    Label3->setBuddy(editConfirmaSenha);

    buttonOK = criaBotaoCofrel(this, u"buttonOK"_s, u"OK"_s, QRect(211, 175, 76, 23));
    buttonSair = criaBotaoCofrel(this, u"buttonSair"_s, u"Cancelar"_s, QRect(296, 175, 76, 23));
    connect(buttonOK, &TGradBtn::clicked, this, cofrel::guard([this] { buttonOKClick(); }));
    connect(buttonSair, &TGradBtn::clicked, this, cofrel::guard([this] { buttonSairClick(); }));

    setTabOrder(editUsuario, editSenha);
    setTabOrder(editSenha, editConfirmaSenha);
    setTabOrder(editConfirmaSenha, buttonOK);
    setTabOrder(buttonOK, buttonSair);

    cofrel::guarded([this] { FormCreate(); });
}

void TformCofrelInclui::FormCreate()
{
    Image1 = cofrel::criaImagemFundo(this);
}

void TformCofrelInclui::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TformCofrelInclui::FormShow()
{
    editUsuario->clear();
    editSenha->clear();
    editConfirmaSenha->clear();
    editUsuario->setFocus();
}

void TformCofrelInclui::buttonOKClick()
{
    const QString nome = apara(editUsuario->text());
    editUsuario->setText(nome);
    if (nome.isEmpty()) {
        cofrel::interaction().message(u"Digite um nome de usuário para incluir"_s);
        editUsuario->setFocus();
        return;
    }
    // The password is stored as typed; only its emptiness is judged trimmed.
    if (editSenha->text() != editConfirmaSenha->text() || apara(editSenha->text()).isEmpty()) {
        cofrel::interaction().message(mensagemMesmaSenha());
        editSenha->setFocus();
        return;
    }
    if (registraUsuario(nome))
        done(cofrel::mrOk);
}

bool TformCofrelInclui::registraUsuario(const QString &nome)
{
    TDados &dados = cofrel::dados();
    cofrel::data::UserTable &usuarios = dados.TableUser;
    if (nomeRegistrado(usuarios, nome)) {
        cofrel::interaction().message(u"Não é possível incluir, pois este usuário já existe."_s);
        editUsuario->setFocus();
        return false;
    }

    // The row and the copies stand or fall together: a failure on the way
    // rolls the row back and removes the copies made so far, so the same
    // name can be tried again.
    cofrel::data::Transaction transacao(dados.database(), {QString(cofrel::data::UserTable::FileName)});
    const int numero = usuarios.insert(nome, cofrel::CodificaSenha(cofrel::bytesDaSenha(editSenha)));

    cofrel::TabelasDoUsuario tabelas(cofrel::loginContext().dataDir(), numero);
    tabelas.copiaModelos();
    transacao.commit();
    tabelas.confirma();
    return true;
}

void TformCofrelInclui::buttonSairClick()
{
    close();
}

void TformCofrelInclui::reject()
{
    done(cofrel::mrCancel);
}

void TformCofrelInclui::keyPressEvent(QKeyEvent *event)
{
    // No default button: Enter does not confirm, and Escape does not cancel.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}
