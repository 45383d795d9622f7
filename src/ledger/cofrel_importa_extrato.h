#pragma once

#include "ledger/extrato_banco.h"
#include "ledger/importacao.h"

#include <QDialog>

#include <memory>

class QComboBox;
class QLabel;
class QTableView;
class TGradBtn;

namespace cofrel {
class ModeloRevisao;
}

// The review of a bank's statement before anything is written: one line
// per transaction with its tick, date, description, category (a list of
// the eight) and amount; duplicates come unticked and greyed, lines that
// pay a planned entry in navy, each with its reason in the tooltip; the
// totals of the ticked lines below. For a CSV whose columns the header did
// not name, the person chooses them above the lines. OK books the ticked
// lines (ImportacaoExtrato::grava); Cancel writes nothing.
class TformImportaExtrato final : public QDialog {
    Q_OBJECT
public:
    enum Coluna { ColunaMarca, ColunaData, ColunaDescricao, ColunaCategoria, ColunaValor, NumeroColunas };

    explicit TformImportaExtrato(QWidget *parent = nullptr);
    ~TformImportaExtrato() override;

    // Shows the review of \a extrato, read from the file \a nomeArquivo,
    // for the logged-in person; mrOk when lines were booked. Throws when
    // the book cannot be read (nothing shown, nothing written).
    int executa(const QString &nomeArquivo, const cofrel::ExtratoBanco &extrato);

    // The review of the current showing; null while the dialog is hidden.
    const cofrel::ImportacaoExtrato *revisao() const { return m_revisao.get(); }
    // What the last OK wrote.
    const cofrel::ImportacaoExtrato::Gravacao &gravacao() const { return m_gravacao; }

    QLabel *Image1 = nullptr;
    QLabel *labelArquivo = nullptr;
    QWidget *panelColunas = nullptr; // the CSV's columns, when to be chosen
    QComboBox *comboColunaData = nullptr;
    QComboBox *comboColunaDescricao = nullptr;
    QComboBox *comboColunaValor = nullptr;
    QComboBox *comboColunaCredito = nullptr;
    QComboBox *comboColunaDebito = nullptr;
    TGradBtn *buttonAplicaColunas = nullptr;
    QTableView *tabelaLinhas = nullptr;
    QLabel *labelTotais = nullptr;
    QLabel *labelLegenda = nullptr;
    TGradBtn *buttonOK = nullptr;
    TGradBtn *buttonSair = nullptr;

    // Handlers; each may throw, the connections run them guarded.
    void buttonOKClick();
    void buttonSairClick();
    void buttonAplicaColunasClick();

public Q_SLOTS:
    void done(int result) override;
    void reject() override;

private:
    void criaControles();
    void criaPainelColunas();
    void dispoe(bool escolheColunas);
    void preencheColunas(const cofrel::TabelaCsv &tabela);
    void mostraLinhas(const QList<cofrel::LinhaExtrato> &linhas);
    void atualizaTotais();
    void encerraEdicao();

    std::unique_ptr<cofrel::ImportacaoExtrato> m_revisao;
    cofrel::ModeloRevisao *m_modelo = nullptr;
    cofrel::TabelaCsv m_tabela;
    QString m_nomeArquivo;
    cofrel::ImportacaoExtrato::Gravacao m_gravacao;
};
