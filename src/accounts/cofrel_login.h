#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class TGradBtn;

// The first window of the run: lists the users, checks the chosen user's
// password and fills the login context; adds and deletes users.
class TformCofrelLogin final : public QDialog {
    Q_OBJECT
public:
    explicit TformCofrelLogin(QWidget *parent = nullptr);

    // Refills the list; on an empty registry explains the password and
    // opens the new-user window. Runs whenever the window is shown.
    void FormShow();

    void buttonIniciarClick();
    void buttonIncluirClick();
    void buttonExcluirClick();
    void buttonSairClick();

    // The close box and "&Sair" end the window with modal result 2.
    void reject() override;

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QComboBox *comboUsuario = nullptr;
    QLineEdit *editSenha = nullptr;
    TGradBtn *buttonIniciar = nullptr;
    TGradBtn *buttonIncluir = nullptr;
    TGradBtn *buttonExcluir = nullptr;
    TGradBtn *buttonSair = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    bool editSenhaKeyPress(QKeyEvent *event);
    // Fills comboUsuario from the registry in name order; true when the
    // list is empty afterwards.
    bool preencheLista();
    // What follows the refill: the first run, or the first name selected
    // and the add button closed from 30 users on.
    void aposPreencher(bool vazia);
    void senhaIncorreta();
};
