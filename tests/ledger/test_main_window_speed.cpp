// A period change on a large ledger: the balance, the statement and the
// grid's first screen stay quick at 100,000 transactions and grow no faster
// than the number of rows; the grid never reads the whole statement.
//
// Times are the processor time of the test's own thread (the median of
// several changes), so a machine busy with other work does not fail it; the
// wall-clock times are printed beside them.
#include "main_window_fixture.h"

#include "app/login_context.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/query.h"
#include "data/table.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_extrato.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 10);

double cpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Tempo {
    double cpu = 0;
    double wall = 0;
};

template <typename F>
Tempo mede(F &&work)
{
    QElapsedTimer wall;
    wall.start();
    const double start = cpuMs();
    work();
    return {cpuMs() - start, double(wall.nsecsElapsed()) / 1e6};
}

Tempo mediana(std::vector<Tempo> times)
{
    const auto middle = [&](auto member) {
        std::vector<double> values;
        for (const Tempo &t : times)
            values.push_back(t.*member);
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    return {middle(&Tempo::cpu), middle(&Tempo::wall)};
}

} // namespace

class TestMainWindowSpeed final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void periodChangeScales();

private:
    void acrescenta(LedgerFixture &fx, int count);
    Tempo trocaPeriodo(TformCofrelMain &janela, int item);
    Tempo piorPeriodo(LedgerFixture &fx);
    void detalha(LedgerFixture &fx, int item);
    int m_inserted = 0;
};

void TestMainWindowSpeed::acrescenta(LedgerFixture &fx, int count)
{
    // Ten years back and a month ahead, in one transaction.
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

Tempo TestMainWindowSpeed::trocaPeriodo(TformCofrelMain &janela, int item)
{
    std::vector<Tempo> times;
    for (int run = 0; run < 15; ++run) {
        janela.comboPeriodo->setCurrentIndex(item);
        times.push_back(mede([&] {
            janela.comboPeriodoChange();
            janela.DBGrid->viewport()->repaint(); // the grid's first screen
        }));
    }
    return mediana(times);
}

Tempo TestMainWindowSpeed::piorPeriodo(LedgerFixture &fx)
{
    const Tempo month = trocaPeriodo(*fx.janela, 3);
    const Tempo all = trocaPeriodo(*fx.janela, 8);
    qInfo("%d rows: 01 mês %.2f ms (wall %.2f), Completo %.2f ms (wall %.2f)", m_inserted, month.cpu, month.wall,
          all.cpu, all.wall);
    detalha(fx, 3);
    return month.cpu > all.cpu ? month : all;
}

// Where the time of one change goes, for whoever has to make it faster.
void TestMainWindowSpeed::detalha(LedgerFixture &fx, int item)
{
    const Tempo saldo = mede([&] {
        extrato::calculaSaldo(fx.dados->QuerySaldo, loginContext().FinTableName, Hoje);
    });
    const Tempo statement = mede([&] {
        extrato::abreExtrato(fx.dados->Query, loginContext().FinTableName, item, Hoje);
    });
    const Tempo grid = mede([&] { fx.janela->DBGrid->viewport()->repaint(); });
    qInfo("    balance sum %.2f ms (when it must be recomputed), statement %.2f ms, grid %.2f ms; %d rows read", saldo.cpu, statement.cpu,
          grid.cpu, fx.dados->Query.fetchedRows());
}

void TestMainWindowSpeed::periodChangeScales()
{
    LedgerFixture fx(Hoje);
    fx.scripted.defaultAnswer = true;
    acrescenta(fx, 10000);
    fx.janela->show();
    QVERIFY(QTest::qWaitForWindowActive(fx.janela));
    const Tempo small = piorPeriodo(fx);

    fx.dados->Query.close();
    acrescenta(fx, 90000);
    const Tempo large = piorPeriodo(fx);

    // The grid read only what it shows, not the whole statement.
    QVERIFY(fx.dados->Query.fetchedRows() > 0);
    QVERIFY2(fx.dados->Query.fetchedRows() < 1000, qPrintable(QString::number(fx.dados->Query.fetchedRows())));
    QVERIFY2(large.cpu < 10.0, qPrintable(QStringLiteral("%1 ms").arg(large.cpu)));
    // Ten times the rows may cost at most about ten times as much.
    QVERIFY2(large.cpu < 12.0 * small.cpu + 1.0,
             qPrintable(QStringLiteral("%1 ms against %2 ms").arg(large.cpu).arg(small.cpu)));
}

QTEST_MAIN(TestMainWindowSpeed)
#include "test_main_window_speed.moc"
