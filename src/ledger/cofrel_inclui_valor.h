#pragma once

#include <QDialog>
#include <QString>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class TGradBtn;

// The one dialog through which a transaction enters or changes in the
// ledger. The caller sets EntryMode (and, for -2, the boxes), shows it
// modally and reads the result: mrOk when the row was written, mrCancel
// otherwise.
class TformIncluirValor final : public QDialog {
    Q_OBJECT
public:
    explicit TformIncluirValor(QWidget *parent = nullptr);
    ~TformIncluirValor() override;

    // -1 new, -2 new with the boxes as the caller filled them, > 0 edit the
    // transaction with this Transacao.
    int EntryMode = -1;

    QLabel *Image1 = nullptr;
    QLineEdit *editData = nullptr;
    QComboBox *comboCategoria = nullptr;
    QLineEdit *editDescricao = nullptr;
    QLineEdit *editValor = nullptr;
    QComboBox *comboCredito = nullptr;
    TGradBtn *buttonOK = nullptr;
    TGradBtn *buttonSair = nullptr;

    // Work that must be stored with the next save or not at all (the
    // due-entry check advances its plan here): OK runs it in the same
    // transaction as the row. Cleared at every close.
    void setTrabalhoNaMesmaTransacao(std::function<void()> work);

    // The date box as shown, blanks included ("  /  /    " when empty).
    QString textoData() const;

    // The year repair of the date box: a year below 1999 becomes 1999; a
    // year that does not read as a number leaves the text as it is.
    static QString reparaAno(const QString &maskedText);

    void buttonOKClick();
    void buttonSairClick();
    void comboCategoriaChange(int index);
    void editDataExit();

public Q_SLOTS:
    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Lancamento;
    void criaControles();
    void FormShow();
    void limpaParaNovo();
    void carregaParaEdicao();
    void grava(const Lancamento &lancamento);

    std::function<void()> m_trabalhoExtra;
};
