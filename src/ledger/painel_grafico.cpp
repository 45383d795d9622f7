#include "ledger/painel_grafico.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

// Placeholder until the chart tab is built: the controls exist, the refresh
// does nothing yet.
PainelGrafico::PainelGrafico(QWidget *parent)
    : QFrame(parent)
    , Label2(new QLabel(this))
    , comboPeriodoGrafico(new QComboBox(this))
    , editDespesas(new QLineEdit(this))
    , labelSaldo2(new QLabel(this))
    , editReceita(new QLineEdit(this))
    , Chart(nullptr)
{
    setObjectName(QStringLiteral("panelGrafico"));
}

void PainelGrafico::atualiza(const QLineEdit &editSaldo)
{
    editReceita->setText(editSaldo.text());
}
