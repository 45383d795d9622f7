#include "ledger/painel_grafico.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/montagem_janela.h"
#include "controls/cores.h"
#include "data/cofrel_dados.h"
#include "ledger/cores_fatias.h"
#include "ledger/grafico_pizza.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

#include <array>
#include <cmath>
#include <optional>

using namespace Qt::StringLiterals;
using namespace cofrel;

namespace {

struct Periodo {
    const char16_t *caption;
    std::optional<int> days; // nullopt: from the date value 0
};

// Fixed day counts, not calendar months.
constexpr std::array<Periodo, 9> Periodos = {{
    {u"05 dias", 5},
    {u"10 dias", 10},
    {u"15 dias", 15},
    {u"01 mês", 31},
    {u"02 meses", 62},
    {u"06 meses", 186},
    {u"01 ano", 366},
    {u"02 anos", 731},
    {u"Completo", std::nullopt},
}};

QDate inicioDoPeriodo(int index, const QDate &hoje)
{
    if (index < 0 || index >= int(Periodos.size()) || !Periodos[size_t(index)].days)
        return DataZero();
    return hoje.addDays(-*Periodos[size_t(index)].days);
}

const QStringList &nomesDasCategorias()
{
    const QStringList &names = loginContext().CategoryNames;
    return names.isEmpty() ? NomesCategorias() : names;
}

// Cents only: float dust never makes a slice, nor shows as "-0.00".
double emCentavos(double soma)
{
    return std::fabs(ArredondaCentavos(soma));
}

QLineEdit *criaCaixa(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setReadOnly(true);
    edit->setGeometry(geometry);
    return edit;
}

// A right-aligned label whose right edge stays at \a right, widened to the
// left when the caption needs more than \a width.
QLabel *criaRotuloDireita(QWidget *parent, const QString &name, const QString &text, int right, int y, int width)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setAttribute(Qt::WA_TranslucentBackground);
    const int needed = label->fontMetrics().horizontalAdvance(text) + 2;
    const int w = qMax(width, needed);
    label->setGeometry(right - w, y, w, label->fontMetrics().height());
    return label;
}

void copiaCorDoTexto(const QLineEdit &from, QLineEdit &to)
{
    QPalette palette = to.palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Text, from.palette().color(group, QPalette::Text));
    to.setPalette(palette);
}

} // namespace

PainelGrafico::PainelGrafico(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(u"panelGrafico"_s);
    setFont(fonteJanela());
    bordaEntalhada(this);
    resize(489, 269);

    Label2 = criaRotuloDireita(this, u"Label2"_s, u"Despesas no período:"_s, 8 + 105, 10, 105);

    comboPeriodoGrafico = new QComboBox(this);
    comboPeriodoGrafico->setObjectName(u"comboPeriodoGrafico"_s);
    for (const Periodo &periodo : Periodos)
        comboPeriodoGrafico->addItem(QString::fromUtf16(periodo.caption));
    comboPeriodoGrafico->setMaxVisibleItems(int(Periodos.size()));
    comboPeriodoGrafico->setGeometry(115, 6, 76, 21);
    // activated: the user's pick only; the program runs the refresh itself.
    connect(comboPeriodoGrafico, &QComboBox::activated, this, [this](int) { Q_EMIT periodoEscolhido(); });

    editDespesas = criaCaixa(this, u"editDespesas"_s, QRect(192, 6, 84, 21));
    QPalette vermelho = editDespesas->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        vermelho.setColor(group, QPalette::Text, toQColor(clRed));
    editDespesas->setPalette(vermelho);

    // Its caption grows to the left; its end stays by the balance box.
    labelSaldo2 = criaRotuloDireita(this, u"labelSaldo2"_s, u"Saldo em:"_s, 395, 10, 150);

    editReceita = criaCaixa(this, u"editReceita"_s, QRect(399, 6, 81, 21));

    // Each box is named by its label for assistive technology; the period
    // as on the statement's tab.
    Label2->setBuddy(editDespesas);
    labelSaldo2->setBuddy(editReceita);
    comboPeriodoGrafico->setAccessibleName(u"Período:"_s);

    Chart = new GraficoPizza(this);
    Chart->setObjectName(u"Chart"_s);
    Chart->setGeometry(8, 32, 473, 228);
}

void PainelGrafico::atualiza(const QLineEdit &editSaldo)
{
    data::SumQuery &query = dados().QuerySaldo;
    const QString &tabela = loginContext().FinTableName;
    const QDate hoje = clock::today();
    const QDate inicio = inicioDoPeriodo(comboPeriodoGrafico->currentIndex(), hoje);

    Chart->clear();
    const QStringList &categorias = nomesDasCategorias();
    // The colour table bounds the categories the chart can show.
    const qsizetype count = qMin(categorias.size(), qsizetype(CoresFatias.size()));
    for (qsizetype i = 0; i < count; ++i) {
        const double gasto = emCentavos(query.categorySum(tabela, hoje, inicio, int(i + 1)));
        if (gasto != 0.0)
            Chart->addSlice(gasto, categorias.at(i), CoresFatias[size_t(i)]);
    }

    const double total = emCentavos(query.periodSum(tabela, hoje, inicio));
    labelSaldo2->setText(u"Saldo em "_s + FormatData(hoje) + u':');
    editDespesas->setText(FormatValor(total));

    editReceita->setText(editSaldo.text());
    editReceita->setFont(editSaldo.font());
    copiaCorDoTexto(editSaldo, *editReceita);
}
