#include "ledger/cofrel_main.h"

#include <QScopeGuard>

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "app/wait_cursor.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/models.h"
#include "ledger/caixa_relatorio.h"
#include "ledger/cofrel_importa_extrato.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main_abas.h"
#include "ledger/cofrel_main_extrato.h"
#include "ledger/copia_extrato.h"
#include "ledger/extrato_banco.h"
#include "ledger/grafico_pizza.h"
#include "ledger/painel_grafico.h"
#include "planning/cofrel_planejamento_mensal.h"
#include "planning/lancamentos_vencidos.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QShowEvent>
#include <QTimer>

#include <algorithm>

using namespace cofrel;

namespace {

constexpr QSize ClientSize(497, 431);
constexpr int IntervaloVerificacao = 120000; // two minutes

TformIncluirValor &dialogoValor()
{
    TformIncluirValor *d = forms().IncluirValor;
    if (!d)
        throw Error(QStringLiteral("A janela de inclusão de valores ainda não foi criada."));
    return *d;
}

// A push button whose mnemonic clicks at once, as the gradient buttons do,
// not after the standard button's press animation (about 100 ms).
class BotaoExtrato final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::Shortcut) {
            const auto *shortcut = static_cast<QShortcutEvent *>(event);
            if (!shortcut->isAmbiguous() && shortcut->key() == QKeySequence::mnemonic(text())) {
                click();
                return true;
            }
        }
        return QPushButton::event(event);
    }
};

QFrame *criaPainel(QWidget *parent, const QString &name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    bordaEntalhada(panel);
    panel->setGeometry(AbasPrincipal::PanelLeft, AbasPrincipal::PanelTop, 489, 269);
    return panel;
}

} // namespace

TformCofrelMain::TformCofrelMain(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("formCofrelMain"));
    preparaJanela(this, QString::fromUtf16(AppTitle), ClientSize, Borda::SemFechar);
    setAcceptDrops(true); // a bank's statement dropped on the window is imported
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        if (const std::optional<QPoint> top = posicaoEmTelaBaixa(screen->geometry(), size()))
            move(*top);
    }

    timerDFin = new QTimer(this);
    timerDFin->setObjectName(QStringLiteral("timerDFin"));
    timerDFin->setInterval(IntervaloVerificacao);
    connect(timerDFin, &QTimer::timeout, this, guard([this](auto &&...) { timerDFinTimer(); }));

    TabControl = new AbasPrincipal({QStringLiteral("&Extrato"), QStringLiteral("&Gráfico")}, 246, this);
    TabControl->setObjectName(QStringLiteral("TabControl"));
    TabControl->setGeometry(0, 104, 497, 297);
    criaAbaExtrato();

    panelGrafico = new PainelGrafico(TabControl);
    panelGrafico->setObjectName(QStringLiteral("panelGrafico"));
    panelGrafico->setGeometry(AbasPrincipal::PanelLeft, AbasPrincipal::PanelTop, 489, 269);
    panelGrafico->hide();
    connect(panelGrafico, &PainelGrafico::periodoEscolhido, this,
            guard([this](auto &&...) { comboPeriodoGraficoChange(); }));
    connect(TabControl, &AbasPrincipal::tabChanged, this, guard([this](auto &&...) { TabControlChange(); }));

    criaBotoes();

    memo = new CaixaRelatorio(this);
    memo->setObjectName(QStringLiteral("memo"));
    memo->setGeometry(280, 40, 145, 57);
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::Monospace);
    courier.setFixedPitch(true);
    courier.setPixelSize(13);
    memo->setFont(courier);
    memo->guardaRelatorio(QByteArrayLiteral("memo")); // design-time text, laid out only if shown
    memo->hide();

    // Last, under everything: it throws, naming the file, when the picture
    // cannot be loaded.
    Image1 = criaImagemFundo(this);
}

TformCofrelMain::~TformCofrelMain() = default;

void TformCofrelMain::criaAbaExtrato()
{
    panelExtrato = criaPainel(TabControl, QStringLiteral("panelExtrato"));

    Label1 = criaRotulo(panelExtrato, QStringLiteral("Label1"), QStringLiteral("Período:"), 6, 10, false);

    comboPeriodo = new QComboBox(panelExtrato);
    comboPeriodo->setObjectName(QStringLiteral("comboPeriodo"));
    comboPeriodo->addItems(extrato::nomesPeriodos());
    comboPeriodo->setGeometry(49, 6, 160, 21);
    comboPeriodo->setMaxVisibleItems(9);
    // activated: the user's pick only; the program runs the handler itself.
    connect(comboPeriodo, &QComboBox::activated, this, guard([this](auto &&...) { comboPeriodoChange(); }));

    const auto botao = [this](const QString &name, const QString &caption, int left, auto handler) {
        auto *button = new BotaoExtrato(caption, panelExtrato);
        button->setObjectName(name);
        button->setGeometry(left, 6, 78, 22);
        connect(button, &QPushButton::clicked, this, guard([this, handler](auto &&...) { (this->*handler)(); }));
        return button;
    };
    buttonIncluiValor = botao(QStringLiteral("buttonIncluiValor"), QStringLiteral("&Incluir Valor"), 245,
                              &TformCofrelMain::buttonIncluiValorClick);
    buttonExcluiValor = botao(QStringLiteral("buttonExcluiValor"), QStringLiteral("E&xcluir Valor"), 325,
                              &TformCofrelMain::buttonExcluiValorClick);
    buttonAlteraValor = botao(QStringLiteral("buttonAlteraValor"), QStringLiteral("&Alterar Valor"), 405,
                              &TformCofrelMain::buttonAlteraValorClick);

    DBGrid = new DataGrid(panelExtrato);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setGeometry(2, 33, 485, 212);
    DBGrid->setAccessibleName(QStringLiteral("Extrato"));
    connect(DBGrid, &DataGrid::doubleClicked, this, guard([this](auto &&...) { buttonAlteraValorClick(); }));

    menuExtrato = new QMenu(this);
    menuExtrato->setObjectName(QStringLiteral("menuExtrato"));
    actionImportaExtrato = menuExtrato->addAction(QStringLiteral("&Importar extrato do banco..."));
    actionImportaExtrato->setObjectName(QStringLiteral("actionImportaExtrato"));
    connect(actionImportaExtrato, &QAction::triggered, this, guard([this](auto &&...) { actionImportaExtratoClick(); }));
    DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGrid, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        menuExtrato->popup(DBGrid->viewport()->mapToGlobal(pos));
    });

    labelSaldo = new QLabel(QStringLiteral("Saldo em:"), panelExtrato);
    labelSaldo->setObjectName(QStringLiteral("labelSaldo"));
    // Right-aligned: the caption grows to the left, its end stays by the box.
    labelSaldo->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    labelSaldo->setGeometry(212, 246, 150, 21);

    editSaldo = new QLineEdit(panelExtrato);
    editSaldo->setObjectName(QStringLiteral("editSaldo"));
    editSaldo->setReadOnly(true);
    editSaldo->setGeometry(365, 246, 121, 21);

    // Each box is named by its label for assistive technology.
    Label1->setBuddy(comboPeriodo);
    labelSaldo->setBuddy(editSaldo);
}

void TformCofrelMain::criaBotoes()
{
    const auto botao = [this](const QString &name, const QString &caption, int left, auto handler) {
        TGradBtn *button = criaBotaoCofrel(this, name, caption, QRect(left, 404, 116, 23));
        connect(button, &TGradBtn::clicked, this, guard([this, handler](auto &&...) { (this->*handler)(); }));
        return button;
    };
    buttonPlaneja = botao(QStringLiteral("buttonPlaneja"), QStringLiteral("&Planejamento Mensal"), 3,
                          &TformCofrelMain::buttonPlanejaClick);
    buttonClipboard = botao(QStringLiteral("buttonClipboard"), QStringLiteral("&Copiar"), 127,
                            &TformCofrelMain::buttonClipboardClick);
    buttonAjuda = botao(QStringLiteral("buttonAjuda"), QStringLiteral("Aju&da"), 252,
                        &TformCofrelMain::buttonAjudaClick);
    buttonSair = botao(QStringLiteral("buttonSair"), QStringLiteral("&Sair do programa"), 379,
                       &TformCofrelMain::buttonSairClick);
}

std::optional<QPoint> TformCofrelMain::posicaoEmTelaBaixa(const QRect &screen, QSize window)
{
    if (screen.height() > 480)
        return std::nullopt;
    return QPoint(screen.x() + (screen.width() - window.width()) / 2, screen.y());
}

// ---- Show and activation ----------------------------------------------------

void TformCofrelMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from the task bar: not a new showing
    m_activacaoPendente = true;
    guarded([this] { FormShow(); });
}

void TformCofrelMain::FormShow()
{
    setWindowTitle(QString::fromUtf16(AppTitle) + u" - " + loginContext().UserName);
    ligaDados();
    comboPeriodo->setCurrentIndex(3);
    comboPeriodoChange();
    panelGrafico->comboPeriodoGrafico->setCurrentIndex(3);
    comboPeriodoGraficoChange();
}

void TformCofrelMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_activacaoPendente) {
        m_activacaoPendente = false;
        guarded([this] { FormActivate(); });
    }
}

void TformCofrelMain::FormActivate()
{
    retoma();
}

void TformCofrelMain::ligaDados()
{
    data::StatementModel *model = dados().DataSource4;
    if (DBGrid->model() == model)
        return;
    DBGrid->setModel(model);
    DBGrid->setColumnWidth(0, 74);
    DBGrid->setColumnWidth(1, 301);
    DBGrid->setColumnWidth(2, 74);
}

// ---- Statement -----------------------------------------------------------------

void TformCofrelMain::TabControlChange()
{
    if (TabControl->tabIndex() == 0) {
        panelExtrato->show();
        panelGrafico->hide();
        comboPeriodoChange();
    } else {
        panelExtrato->hide();
        panelGrafico->show();
        comboPeriodoGraficoChange();
    }
}

void TformCofrelMain::comboPeriodoChange()
{
    ligaDados();
    atualizaSaldo();
    atualizaExtrato();
}

void TformCofrelMain::atualizaSaldo()
{
    const QDate hoje = cofrel::clock::today();
    labelSaldo->setText(u"Saldo em " + FormatData(hoje) + u':');
    const double saldo = extrato::calculaSaldo(dados().QuerySaldo, loginContext().FinTableName, hoje);
    editSaldo->setText(FormatValor(saldo));
    QPalette palette = editSaldo->palette();
    palette.setColor(QPalette::Text, toQColor(saldo < 0 ? clRed : clWindowText));
    editSaldo->setPalette(palette);
}

void TformCofrelMain::atualizaExtrato()
{
    extrato::abreExtrato(dados().Query, loginContext().FinTableName, comboPeriodo->currentIndex(),
                         cofrel::clock::today());
}

bool TformCofrelMain::extratoVazio() const
{
    return dados().Query.rowCount() == 0 || DBGrid->currentRow() < 0;
}

qint64 TformCofrelMain::transacaoAtual() const
{
    return dados().DataSource4->row(DBGrid->currentRow()).transacao;
}

void TformCofrelMain::comboPeriodoGraficoChange()
{
    panelGrafico->atualiza(*editSaldo);
}

// ---- Include, alter, delete ----------------------------------------------------

void TformCofrelMain::abreDialogoValor(TformIncluirValor::EntryMode entryMode)
{
    pausa();
    guarded([&] {
        dialogoValor().executa(entryMode);
        comboPeriodoChange();
    });
    retoma();
}

void TformCofrelMain::buttonIncluiValorClick()
{
    abreDialogoValor(TformIncluirValor::EntryMode::NovoLancamento);
}

void TformCofrelMain::buttonAlteraValorClick()
{
    if (extratoVazio())
        return;
    abreDialogoValor(TformIncluirValor::EntryMode::Edicao(transacaoAtual()));
}

void TformCofrelMain::buttonExcluiValorClick()
{
    pausa();
    guarded([&] {
        if (extratoVazio())
            return;
        if (!interaction().question(QStringLiteral("Deseja realmente apagar este valor?"),
                                    QStringLiteral("Cofrel"), QuestionIcon::None))
            return;
        dados().TableFin.remove(transacaoAtual());
        comboPeriodoChange();
    });
    retoma();
}

// ---- The buttons under the tabs ----------------------------------------------

void TformCofrelMain::buttonPlanejaClick()
{
    pausa();
    guarded([] {
        TformPlanejamento *planejamento = forms().Planejamento;
        if (!planejamento)
            throw Error(QStringLiteral("A janela de planejamento ainda não foi criada."));
        planejamento->exec();
    });
    retoma();
}

void TformCofrelMain::buttonClipboardClick()
{
    if (TabControl->tabIndex() == 0) {
        // A copy cut short keeps the lines made so far in the box, and the
        // clipboard keeps what it held.
        const WaitCursor espera; // a long statement takes a while
        QByteArray report;
        const auto guardaNaCaixa = qScopeGuard([&] { memo->guardaRelatorio(report); });
        montaRelatorioExtrato(report, dados().Query, comboPeriodo->currentText(), editSaldo->text());
        copiaRelatorioParaClipboard(report);
        // The walk ends on the statement's last row.
        DBGrid->setCurrentRow(dados().Query.rowCount() - 1);
    } else if (panelGrafico->Chart) {
        panelGrafico->Chart->copyToClipboard();
    }
}

void TformCofrelMain::buttonAjudaClick()
{
    interaction().showHelp(loginContext().AppDir + u"Ajuda.html", 1);
}

void TformCofrelMain::buttonSairClick()
{
    close(); // closeEvent asks
}

void TformCofrelMain::closeEvent(QCloseEvent *event)
{
    bool sair = false;
    guarded([&] {
        sair = interaction().question(QStringLiteral("Deseja realmente sair?"), QString::fromUtf16(AppTitle),
                                      QuestionIcon::Question);
    });
    if (sair)
        event->accept();
    else
        event->ignore();
}

// ---- The bank's statement --------------------------------------------------------

bool TformCofrelMain::ehArquivoDeExtrato(const QUrl &url)
{
    if (!url.isLocalFile())
        return false;
    const QString sufixo = QFileInfo(url.toLocalFile()).suffix();
    return sufixo.compare(u"ofx", Qt::CaseInsensitive) == 0 || sufixo.compare(u"csv", Qt::CaseInsensitive) == 0;
}

void TformCofrelMain::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->hasUrls() ? event->mimeData()->urls() : QList<QUrl>();
    if (!urls.isEmpty() && std::all_of(urls.cbegin(), urls.cend(), ehArquivoDeExtrato))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TformCofrelMain::dropEvent(QDropEvent *event)
{
    QStringList arquivos;
    for (const QUrl &url : event->mimeData()->urls()) {
        if (ehArquivoDeExtrato(url))
            arquivos.append(url.toLocalFile());
    }
    if (arquivos.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The review waits until the drop is over: the program the file came
    // from is not kept waiting for the person.
    QMetaObject::invokeMethod(this, guard([this, arquivos] { importaExtratos(arquivos); }), Qt::QueuedConnection);
}

void TformCofrelMain::actionImportaExtratoClick()
{
    pausa();
    guarded([this] {
        const QString arquivo = interaction().openFileName(
            QStringLiteral("Importar extrato do banco"),
            QStringLiteral("Extratos do banco (*.ofx *.csv *.OFX *.CSV);;Todos os arquivos (*)"));
        if (!arquivo.isEmpty())
            importaExtrato(arquivo);
    });
    retoma();
}

void TformCofrelMain::importaExtratos(const QStringList &arquivos)
{
    pausa();
    for (const QString &arquivo : arquivos)
        guarded([&] { importaExtrato(arquivo); });
    retoma();
}

void TformCofrelMain::importaExtrato(const QString &arquivo)
{
    ExtratoBanco extrato;
    {
        const WaitCursor espera;
        extrato = leExtratoBanco(arquivo);
    }
    if (formImportaExtrato()->executa(QFileInfo(arquivo).fileName(), extrato) != mrOk)
        return;
    comboPeriodoChange();
    comboPeriodoGraficoChange();
}

TformImportaExtrato *TformCofrelMain::formImportaExtrato()
{
    if (!m_importaExtrato)
        m_importaExtrato = new TformImportaExtrato(this);
    return m_importaExtrato;
}

// ---- The due-entry check ------------------------------------------------------

void TformCofrelMain::pausa()
{
    timerDFin->stop();
}

void TformCofrelMain::retoma()
{
    if (!timerDFin->isActive())
        timerDFin->start();
    timerDFinTimer();
}

void TformCofrelMain::timerDFinTimer()
{
    if (m_verificacaoEmCurso)
        return;
    pausa();
    {
        m_verificacaoEmCurso = true;
        const auto fim = qScopeGuard([this] { m_verificacaoEmCurso = false; });
        ofereceLancamentosVencidos(dados(), dialogoValor());
    }
    // A failed run leaves the timer stopped until the next resume.
    timerDFin->start();
    comboPeriodoChange();
    comboPeriodoGraficoChange();
    Q_EMIT verificacaoConcluida();
}
