#pragma once

#include <QFrame>

class QComboBox;
class QLabel;
class QLineEdit;
class GraficoPizza;

// The chart tab of the main window: the period of the expense chart, the
// total of expenses, the balance, and the pie of expenses by category.
class PainelGrafico final : public QFrame {
    Q_OBJECT
public:
    explicit PainelGrafico(QWidget *parent = nullptr);

    QLabel *Label2;
    QComboBox *comboPeriodoGrafico;
    QLineEdit *editDespesas;
    QLabel *labelSaldo2;
    QLineEdit *editReceita;
    GraficoPizza *Chart;

    // The refresh: nine sums over the period, the slices, the total, and
    // the balance copied (text and colour) from the statement tab's box.
    void atualiza(const QLineEdit &editSaldo);

Q_SIGNALS:
    // The user picked another period.
    void periodoEscolhido();
};
