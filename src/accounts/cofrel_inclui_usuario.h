#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class TGradBtn;

namespace cofrel::data {
class Table;
}

// Adds a user: checks the name and the password typed twice, stores the
// name with the scrambled password and makes the user's tables from the
// templates. Ends with modal result 1 when a user was added.
class TformCofrelInclui final : public QDialog {
    Q_OBJECT
public:
    explicit TformCofrelInclui(QWidget *parent = nullptr);

    // Every showing starts with three empty boxes.
    void FormShow();
    void buttonOKClick();
    void buttonSairClick();

    // "Cancelar" and the close box end the window with modal result 2.
    void reject() override;

    QLabel *Image1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *editUsuario = nullptr;
    QLineEdit *editSenha = nullptr;
    QLineEdit *editConfirmaSenha = nullptr;
    TGradBtn *buttonOK = nullptr;
    TGradBtn *buttonSair = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    // Stores the user and makes their tables; false when the name is
    // registered already. On a failure nothing of the new user is left.
    bool registraUsuario(const QString &nome);
};
