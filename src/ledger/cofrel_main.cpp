#include "ledger/cofrel_main.h"

#include <QScopeGuard>

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/models.h"
#include "ledger/caixa_relatorio.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main_abas.h"
#include "ledger/cofrel_main_extrato.h"
#include "ledger/copia_extrato.h"
#include "ledger/grafico_pizza.h"
#include "ledger/painel_grafico.h"
#include "planning/cofrel_planejamento_mensal.h"
#include "planning/lancamentos_vencidos.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcutEvent>
#include <QShowEvent>
#include <QTimer>

using namespace cofrel;

namespace {

constexpr QSize ClientSize(497, 431);
constexpr int IntervaloVerificacao = 120000; // two minutes

TDados &dados()
{
    TDados *d = forms().Dados;
    if (!d)
        throw Error(QStringLiteral("O módulo de dados ainda não foi criado."));
    return *d;
}

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
    // Lowered outer and raised inner bevel: an etched groove.
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
    panel->setGeometry(AbasPrincipal::PanelLeft, AbasPrincipal::PanelTop, 489, 269);
    return panel;
}

} // namespace

TformCofrelMain::TformCofrelMain(QWidget *parent)
    : QWidget(parent)
    , m_saldo(std::make_unique<extrato::SaldoAteHoje>())
{
    setObjectName(QStringLiteral("formCofrelMain"));
    preparaJanela(this, QString::fromUtf16(AppTitle), ClientSize, Borda::SemFechar);
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
    data::QueryModel *model = dados().DataSource4;
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
    const double saldo = m_saldo->valor(dados().QuerySaldo, loginContext().FinTableName, hoje);
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
    data::Query &query = dados().Query;
    return !query.isOpen() || query.isEmpty();
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
    const qint64 transacao = dados().Query.fieldByName(QStringLiteral("Transacao")).asInteger();
    abreDialogoValor(TformIncluirValor::EntryMode::Edicao(transacao));
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
        TDados &d = dados();
        const qint64 transacao = d.Query.fieldByName(QStringLiteral("Transacao")).asInteger();
        extrato::apagaLancamento(d.TableFin, transacao);
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
        QByteArray memoria = retomaRelatorioDoClipboard();
        memo->guardaRelatorio({}); // the box lets go of the last report too
        const QByteArray report = montaRelatorioExtrato(dados().Query, comboPeriodo->currentText(),
                                                        editSaldo->text(), std::move(memoria));
        memo->guardaRelatorio(report);
        copiaRelatorioParaClipboard(report);
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
