#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QUrl>
#include <QWidget>

#include "ledger/cofrel_inclui_valor.h"

#include <optional>

class AbasPrincipal;
class CaixaRelatorio;
class DataGrid;
class PainelGrafico;
class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;
class TGradBtn;
class TformImportaExtrato;

// The working window: the statement with the balance to date, the expense
// chart, and the buttons of the program. It is created at start-up before
// the data module and the dialogs, so it reaches them through forms() only
// when a handler needs them.
class TformCofrelMain final : public QWidget {
    Q_OBJECT
public:
    explicit TformCofrelMain(QWidget *parent = nullptr);
    ~TformCofrelMain() override;

    QLabel *Image1 = nullptr;
    AbasPrincipal *TabControl = nullptr;
    QFrame *panelExtrato = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *comboPeriodo = nullptr;
    QPushButton *buttonIncluiValor = nullptr;
    QPushButton *buttonExcluiValor = nullptr;
    QPushButton *buttonAlteraValor = nullptr;
    DataGrid *DBGrid = nullptr;
    QLabel *labelSaldo = nullptr;
    QLineEdit *editSaldo = nullptr;
    PainelGrafico *panelGrafico = nullptr;
    TGradBtn *buttonPlaneja = nullptr;
    TGradBtn *buttonClipboard = nullptr;
    TGradBtn *buttonAjuda = nullptr;
    TGradBtn *buttonSair = nullptr;
    CaixaRelatorio *memo = nullptr;
    QTimer *timerDFin = nullptr;
    // The statement grid's context menu: the import of the bank's statement.
    QMenu *menuExtrato = nullptr;
    QAction *actionImportaExtrato = nullptr;

    // Handlers; each may throw, the connections run them guarded.
    void TabControlChange();
    void comboPeriodoChange();
    void comboPeriodoGraficoChange();
    void buttonIncluiValorClick();
    void buttonAlteraValorClick();
    void buttonExcluiValorClick();
    void buttonPlanejaClick();
    void buttonClipboardClick();
    void buttonAjudaClick();
    void buttonSairClick();
    void timerDFinTimer();
    // "Importar extrato do banco...": a file chosen in the file dialog.
    void actionImportaExtratoClick();

    // The import of the bank's statement in the files \a arquivos, one
    // after the other: each read, reviewed and, on OK, booked; then the
    // statement and the chart are refreshed. The due-entry check is paused
    // meanwhile. A file that cannot be read is reported and skipped.
    void importaExtratos(const QStringList &arquivos);
    // The review dialog, made at its first use and kept.
    TformImportaExtrato *formImportaExtrato();
    // A file the import takes: a local file named .ofx or .csv, in any case.
    static bool ehArquivoDeExtrato(const QUrl &url);

    // The due-entry timer protocol: pause stops the timer; resume starts
    // it (an already running timer keeps counting) and runs the check once.
    void pausa();
    void retoma();

    // On a screen 480 pixels high or less the window sits at the top edge,
    // centred horizontally; nullopt on taller screens (it stays centred).
    static std::optional<QPoint> posicaoEmTelaBaixa(const QRect &screen, QSize window);

Q_SIGNALS:
    // A run of the due-entry check ended (offered, advanced, refreshed).
    void verificacaoConcluida();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // A bank's statement dropped on the window is imported.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // A run of the due-entry check is under way: an activation or a timer
    // event arriving while its dialog closes must not start another.
    bool m_verificacaoEmCurso = false;
    void criaAbaExtrato();
    void criaBotoes();
    void ligaDados();
    void FormShow();
    void FormActivate();
    void atualizaSaldo();
    void atualizaExtrato();
    bool extratoVazio() const;
    qint64 transacaoAtual() const;
    void abreDialogoValor(TformIncluirValor::EntryMode entryMode);
    void importaExtrato(const QString &arquivo);
    TformImportaExtrato *m_importaExtrato = nullptr;

    // Set by a show, spent by the activation that follows it: returning
    // from the window's own modal dialogs must not start the check again.
    bool m_activacaoPendente = false;
};
