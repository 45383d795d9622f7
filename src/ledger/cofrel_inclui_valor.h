#pragma once

#include "app/activation.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class TGradBtn;

namespace cofrel::data {
struct Lancamento;
}

// The one dialog through which a transaction enters or changes in the
// ledger. The caller shows it in one of its modes (for NovoPreenchido
// after filling the boxes) and reads the result: mrOk when the row was
// written, mrCancel otherwise.
class TformIncluirValor final : public QDialog {
    Q_OBJECT
public:
    // What a showing does with the boxes.
    class EntryMode final {
    public:
        // A new transaction: today, "Alimentação", "Débito", nothing else.
        static const EntryMode NovoLancamento;
        // A new transaction with the boxes as the caller filled them.
        static const EntryMode NovoPreenchido;
        // The stored transaction of this key, loaded into the boxes.
        static constexpr EntryMode Edicao(qint64 transacao) { return EntryMode(Tipo::Edicao, transacao); }

        bool novo() const { return m_tipo != Tipo::Edicao; }
        // The key of the edited transaction; 0 for a new one.
        qint64 transacao() const { return m_transacao; }
        bool operator==(const EntryMode &) const = default;

    private:
        enum class Tipo { NovoLancamento, NovoPreenchido, Edicao };
        constexpr EntryMode(Tipo tipo, qint64 transacao) : m_tipo(tipo), m_transacao(transacao) {}
        Tipo m_tipo;
        qint64 m_transacao;
    };

    explicit TformIncluirValor(QWidget *parent = nullptr);
    ~TformIncluirValor() override;

    // Shows the dialog modally in \a mode; the modal result.
    int executa(EntryMode mode);
    // The mode of the next (or current) showing, and of a save without one.
    void setEntryMode(EntryMode mode) { m_entryMode = mode; }
    EntryMode entryMode() const { return m_entryMode; }

    QLabel *Image1() const { return m_Image1; }
    QLineEdit *editData() const { return m_editData; }
    QComboBox *comboCategoria() const { return m_comboCategoria; }
    QLineEdit *editDescricao() const { return m_editDescricao; }
    QLineEdit *editValor() const { return m_editValor; }
    QComboBox *comboCredito() const { return m_comboCredito; }
    TGradBtn *buttonOK() const { return m_buttonOK; }
    TGradBtn *buttonSair() const { return m_buttonSair; }

    // Work that must be stored with the next save or not at all (the
    // due-entry check advances its plan here), writing to the table files
    // \a arquivos: OK runs it in the same transaction as the row. Cleared
    // at every close.
    void setTrabalhoNaMesmaTransacao(const QStringList &arquivos, std::function<void()> work);

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
    void criaControles();
    void FormShow();
    void limpaParaNovo();
    void carregaParaEdicao();
    void grava(const cofrel::data::Lancamento &lancamento);

    EntryMode m_entryMode = EntryMode::NovoLancamento;
    cofrel::FormActivation m_ativacao;
    QLabel *m_Image1 = nullptr;
    QLineEdit *m_editData = nullptr;
    QComboBox *m_comboCategoria = nullptr;
    QLineEdit *m_editDescricao = nullptr;
    QLineEdit *m_editValor = nullptr;
    QComboBox *m_comboCredito = nullptr;
    TGradBtn *m_buttonOK = nullptr;
    TGradBtn *m_buttonSair = nullptr;
    std::function<void()> m_trabalhoExtra;
    QStringList m_arquivosExtra;
};

inline constexpr TformIncluirValor::EntryMode TformIncluirValor::EntryMode::NovoLancamento{Tipo::NovoLancamento, 0};
inline constexpr TformIncluirValor::EntryMode TformIncluirValor::EntryMode::NovoPreenchido{Tipo::NovoPreenchido, 0};
