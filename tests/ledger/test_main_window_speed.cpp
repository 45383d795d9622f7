// A period change on a large ledger: the balance, the statement and the
// grid's first screen stay quick at 100,000 transactions and grow no faster
// than the number of rows; the grid never reads the whole statement.
#include "main_window_fixture.h"

#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/query.h"
#include "data/table.h"
#include "ledger/cofrel_main.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 10);

} // namespace

class TestMainWindowSpeed final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodChangeScales();

private:
    void acrescenta(LedgerFixture &fx, int count);
    double medianaTrocaPeriodo(TformCofrelMain &janela, int item);
    int m_inserted = 0;
};

void TestMainWindowSpeed::acrescenta(LedgerFixture &fx, int count)
{
    // Spread over ten years, some in the future, all in one transaction.
    data::Table &fin = fx.dados->TableFin;
    data::TableCloser closer(fin);
    fin.open();
    data::Transaction transaction(data::Database::forAlias(fin.alias()));
    for (int i = 0; i < count; ++i, ++m_inserted) {
        fin.insert();
        fin.fieldByName(QStringLiteral("Data")).setDate(Hoje.addDays(30 - (m_inserted * 7919) % 3650));
        fin.fieldByName(QStringLiteral("Descricao")).setString(QStringLiteral("Lançamento %1").arg(m_inserted));
        fin.fieldByName(QStringLiteral("Categoria")).setInteger(1 + m_inserted % 8);
        fin.fieldByName(QStringLiteral("Valor")).setFloat((m_inserted % 2 ? 1 : -1) * (1 + m_inserted % 997) / 7.0);
        fin.post();
    }
    transaction.commit();
}

double TestMainWindowSpeed::medianaTrocaPeriodo(TformCofrelMain &janela, int item)
{
    std::vector<double> times;
    for (int run = 0; run < 15; ++run) {
        janela.comboPeriodo->setCurrentIndex(item);
        QElapsedTimer clock;
        clock.start();
        janela.comboPeriodoChange();
        janela.DBGrid->viewport()->repaint(); // the grid's first screen
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void TestMainWindowSpeed::periodChangeScales()
{
    LedgerFixture fx(Hoje);
    acrescenta(fx, 10000);
    fx.janela->show();
    QVERIFY(QTest::qWaitForWindowActive(fx.janela));
    const double small = std::max(medianaTrocaPeriodo(*fx.janela, 8), medianaTrocaPeriodo(*fx.janela, 3));

    fx.janela->hide();
    fx.dados->Query.close();
    acrescenta(fx, 90000);
    fx.janela->show();
    QVERIFY(QTest::qWaitForWindowExposed(fx.janela));
    const double completo = medianaTrocaPeriodo(*fx.janela, 8);
    const double mes = medianaTrocaPeriodo(*fx.janela, 3);
    const double large = std::max(completo, mes);
    qInfo("period change: %.2f ms at 10,000 rows, %.2f ms (Completo) and %.2f ms (01 mês) at 100,000",
          small, completo, mes);

    // The grid read only what it shows, not the whole statement.
    QVERIFY2(fx.dados->Query.fetchedRows() < 1000, qPrintable(QString::number(fx.dados->Query.fetchedRows())));
    QVERIFY(fx.dados->Query.fetchedRows() > 0);
    QVERIFY2(large < 10.0, qPrintable(QStringLiteral("%1 ms").arg(large)));
    // Ten times the rows may cost at most about ten times as much.
    QVERIFY2(large < 12.0 * small + 1.0, qPrintable(QStringLiteral("%1 ms against %2 ms").arg(large).arg(small)));
    fx.scripted.defaultAnswer = true;
}

QTEST_MAIN(TestMainWindowSpeed)
#include "test_main_window_speed.moc"
