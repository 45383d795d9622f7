// The program's statements over real files: the rows and sums they give,
// the statement read a page at a time (also after writes), the grid's
// model reading pages as they are shown, and the indexes the engine
// answers them with.

#include "support/tabelas.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/database.h"
#include "data/models.h"
#include "data/queries.h"
#include "data/schema.h"
#include "data/sql.h"
#include "data/tables.h"
#include "support/test_folder.h"

#include <QtTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

const QDate Hoje(2024, 3, 15);

QList<Lancamento> razao()
{
    return {{0, Hoje.addDays(-800), u"antigo"_s, 1, -5.00},
            {0, Hoje.addDays(-40), u"salário"_s, 6, 1000.00},
            {0, Hoje.addDays(-31), u"mercado"_s, 1, -200.50},
            {0, Hoje.addDays(-30), u"luz"_s, 3, -80.25},
            {0, Hoje.addDays(-6), u"farmácia"_s, 4, -33.10},
            {0, Hoje.addDays(-5), u"padaria"_s, 1, -10.00},
            {0, Hoje.addDays(-5), u"reembolso"_s, 1, 15.00},
            {0, Hoje, u"hoje"_s, 2, -7.30},
            {0, Hoje.addDays(1), u"amanhã"_s, 2, -50.00},
            {0, Hoje.addDays(60), u"futuro"_s, 8, -99.99}};
}

double soma(const QList<Lancamento> &rows, const std::function<bool(const Lancamento &)> &keep)
{
    double total = 0;
    for (const Lancamento &l : rows) {
        if (keep(l))
            total += l.valor;
    }
    return total;
}

QList<qint64> ids(const std::vector<Lancamento> &rows)
{
    QList<qint64> out;
    for (const Lancamento &l : rows)
        out << l.transacao;
    return out;
}

} // namespace

class TestConsultas final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        QCOMPARE(m_folder->addUser(u"Consultas"_s, u"x"_s), 1);
        m_db = std::make_unique<Database>(m_folder->dataDir());
    }

    void cleanup()
    {
        m_db.reset();
        m_folder.reset();
        m_rows.clear();
    }

    void sums_data()
    {
        QTest::addColumn<QDate>("now");
        QTest::addColumn<QDate>("inicio"); // the chart's period
        QTest::newRow("today, Completo") << Hoje << DataZero();
        QTest::newRow("today, 5 days") << Hoje << Hoje.addDays(-5);
        QTest::newRow("today, 31 days") << Hoje << Hoje.addDays(-31);
        QTest::newRow("a month ago, a year") << Hoje.addDays(-31) << Hoje.addDays(-366);
        QTest::newRow("far in the future") << Hoje.addYears(5) << DataZero();
        QTest::newRow("before every row: sums of nothing") << Hoje.addYears(-10) << DataZero();
    }

    // The balance: every row up to and including \a now, future ones out.
    // The chart: debits only, up to \a now, by category and in all.
    void sums()
    {
        QFETCH(QDate, now);
        QFETCH(QDate, inicio);
        escreveRazao();
        SumQuery sums(*m_db);
        QCOMPARE(sums.balance(u"f1.db"_s, now), soma(m_rows, [&](const Lancamento &l) { return l.data <= now; }));
        const auto despesa = [&](const Lancamento &l) { return l.data <= now && l.data >= inicio && l.valor < 0; };
        double categories = 0;
        for (int categ = 1; categ <= NumeroCategorias; ++categ) {
            const double expected = soma(m_rows, [&](const Lancamento &l) { return despesa(l) && l.categoria == categ; });
            QCOMPARE(sums.categorySum(u"f1.db"_s, now, inicio, categ), expected);
            categories += expected;
        }
        const double all = sums.periodSum(u"f1.db"_s, now, inicio);
        QCOMPARE(all, soma(m_rows, despesa));
        QCOMPARE(all, categories);
    }

    void duePlanEntries()
    {
        QList<Lancamento> plans{{0, Hoje.addDays(5), u"ainda não"_s, 1, -1, 20},
                                {0, Hoje, u"vence hoje"_s, 2, -2, 15},
                                {0, Hoje.addDays(-10), u"vencido"_s, 3, -3, 5},
                                {0, Hoje.addDays(-40), u"muito vencido"_s, 6, 4, 1},
                                {0, Hoje.addDays(-70), u"mesmo dia, mais antigo"_s, 3, -5, 5}};
        gravaLinhas(u"d1.db"_s, plans);
        const std::vector<Lancamento> due = DueQuery(*m_db).due(u"d1.db"_s, Hoje);
        // Due ones only, in the plan's order: by day of month, then date.
        QCOMPARE(ids(due), (QList<qint64>{plans[3].transacao, plans[4].transacao, plans[2].transacao, plans[1].transacao}));
        QVERIFY(due.front() == plans[3]);
    }

    void paging_data()
    {
        QTest::addColumn<QDate>("inicio");
        QTest::newRow("Completo") << QDate();
        QTest::newRow("a period") << QDate(2024, 3, 1);
    }

    // The statement has every row from its start on, future ones too, in
    // date order; a page from the start, the middle or the end is that
    // slice of it. So it is after rows come and go.
    void paging()
    {
        QFETCH(QDate, inicio);
        // Written out of date order, many on one day.
        for (int i = 0; i < 700; ++i)
            m_rows << Lancamento{0, QDate(2024, 1, 1).addDays((i * 7919) % 233), u"linha %1"_s.arg(i), 1 + i % 8, -1.0 - i};
        gravaLinhas(u"f1.db"_s, m_rows);
        const auto fica = [&](const Lancamento &l) { return inicio.isNull() || l.data >= inicio; };
        StatementQuery q(*m_db);
        confereFatias(q, inicio, fica);
        if (QTest::currentTestFailed())
            return;

        const QList<qint64> before = idsEmOrdemDeData(m_rows, fica);
        const QList<qint64> gone{before.first(), before[before.size() / 2], before.last()};
        Table fin(*m_db, Table::Kind::Ledger, u"f1.db"_s);
        for (const qint64 id : gone)
            QVERIFY(fin.remove(id));
        m_rows.removeIf([&](const Lancamento &l) { return gone.contains(l.transacao); });
        for (const Lancamento &l : {Lancamento{0, QDate(2020, 1, 1), u"antes de todas"_s, 1, -1},
                                    Lancamento{0, QDate(2099, 1, 1), u"depois de todas"_s, 1, -1},
                                    Lancamento{0, QDate(2024, 3, 10), u"no meio"_s, 1, -1}}) {
            m_rows << l;
            m_rows.last().transacao = fin.insert(l);
        }
        confereFatias(q, inicio, fica);
    }

    // The grid's model counts the rows when the statement opens and reads a
    // page when a row of it is first shown, keeping a few pages: another
    // program's change reaches the pages not read yet, and the pages
    // dropped, but not the ones kept. A failed open changes nothing.
    void modelReadsPagesAsShown()
    {
        const int pages = int(3 * StatementModel::KeptPages);
        for (int i = 0; i < pages * StatementModel::PageRows; ++i)
            m_rows << Lancamento{0, QDate(2000, 1, 1).addDays(i), u"linha %1"_s.arg(i), 1, (i % 2 ? -1 : 1) * (i + 0.25)};
        gravaLinhas(u"f1.db"_s, m_rows);
        StatementQuery q(*m_db);
        StatementModel model(q);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        q.open(u"f1.db"_s, {});
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), int(m_rows.size()));
        const auto first = [](int page) { return page * StatementModel::PageRows; };
        const auto descricao = [&](int row) { return model.index(row, 1).data().toString(); };
        QCOMPARE(descricao(0), u"linha 0"_s);

        {
            OutraConexao outra(m_folder->dataFile(u"f1.DB"_s));
            QVERIFY(outra.exec(u"UPDATE fin SET Descricao = Descricao || ' (nova)'"_s));
        }
        QCOMPARE(descricao(0), u"linha 0"_s); // kept
        for (int page = 1; page < int(StatementModel::KeptPages); ++page)
            QCOMPARE(descricao(first(page) + 1), u"linha %1 (nova)"_s.arg(first(page) + 1));
        QCOMPARE(descricao(0), u"linha 0"_s); // still one of the pages kept
        for (int page = int(StatementModel::KeptPages); page < 2 * int(StatementModel::KeptPages); ++page)
            QCOMPARE(descricao(first(page)), u"linha %1 (nova)"_s.arg(first(page)));
        QCOMPARE(descricao(0), u"linha 0 (nova)"_s); // dropped, so read again

        // What the grid gets: the values as they are, amounts to the right.
        const int last = model.rowCount() - 1;
        QCOMPARE(model.index(last, 0).data().toDate(), m_rows.last().data);
        QCOMPARE(model.index(last, 2).data().toDouble(), m_rows.last().valor);
        QVERIFY(model.index(last, 2).data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        QVERIFY(model.index(last, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
        QVERIFY(!model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid());

        // A statement that cannot be opened leaves the one shown.
        QVERIFY_THROWS_EXCEPTION(Error, q.open(u"f9.db"_s, {}));
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), int(m_rows.size()));
        QCOMPARE(model.index(last, 0).data().toDate(), m_rows.last().data);

        q.close();
        QCOMPARE(reset.count(), 2);
        QCOMPARE(model.rowCount(), 0);
    }

    void plansUseIndexes_data()
    {
        QTest::addColumn<QString>("text");     // %1: the ledger, %2: the plan
        QTest::addColumn<QVariantMap>("binds");
        QTest::addColumn<QString>("expected"); // what the plan must hold; with a condition, no step scans
        QTest::addColumn<bool>("sorted");      // the rows found may be sorted afterwards
        QTest::addColumn<bool>("statistics");  // the files were analysed (by another program)

        const QVariant now = isoDate(Hoje);
        const QVariant inicio = isoDate(Hoje.addDays(-31));
        for (const bool statistics : {false, true}) {
            const auto row = [&](const char *name, const QString &text, const QVariantMap &binds, const QString &expected,
                                 bool sorted = false) {
                QTest::newRow(qPrintable(QLatin1StringView(name) + (statistics ? u", analysed"_s : QString())))
                    << text << binds << expected << sorted << statistics;
            };
            const QString order = u" order by "_s + finSchema().order;
            // No condition: the whole ledger, in the order of its date index.
            row("statement, Completo", sql::statement(u"%1"_s) + order, {}, u"fin_data"_s);
            row("statement, period", sql::statementFrom(u"%1"_s) + order, {{u":inicio"_s, inicio}},
                u"USING INDEX fin_data (Data>?)"_s);
            row("balance", sql::balance(u"%1"_s), {{u":now"_s, now}}, u"USING COVERING INDEX fin_data_valor (Data<?)"_s);
            row("chart, one category", sql::categorySum(u"%1"_s),
                {{u":now"_s, now}, {u":inicio"_s, inicio}, {u":categ"_s, 3}},
                u"USING COVERING INDEX fin_categoria (Categoria=? AND Data>? AND Data<?)"_s);
            row("chart, all expenses", sql::periodSum(u"%1"_s), {{u":now"_s, now}, {u":inicio"_s, inicio}},
                u"USING COVERING INDEX fin_data_valor (Data>? AND Data<?)"_s);
            // Only the due entries are read, through the date index, and
            // those few are put in the plan's day order.
            row("due plan entries", sql::dueEntries(u"%2"_s) + u" order by "_s + dfinSchema().order, {{u":now"_s, now}},
                u"USING INDEX dfin_data (Data<?)"_s, true);
        }
    }

    void plansUseIndexes()
    {
        QFETCH(QString, text);
        QFETCH(QVariantMap, binds);
        QFETCH(QString, expected);
        QFETCH(bool, sorted);
        QFETCH(bool, statistics);
        // A ledger of some size over ten years and a plan of forty entries.
        for (int i = 0; i < 3000; ++i)
            m_rows << Lancamento{0, Hoje.addDays(20 - (i * 37) % 3650), u"linha %1"_s.arg(i), 1 + i % 8,
                                 (i % 5 ? -1.0 : 1.0) * (1 + i % 300)};
        gravaLinhas(u"f1.db"_s, m_rows);
        QList<Lancamento> plans;
        for (int i = 0; i < 40; ++i)
            plans << Lancamento{0, Hoje.addDays(i < 3 ? -i : 1 + i), u"plano %1"_s.arg(i), 1 + i % 8, -10.0 * i, 1 + i % 28};
        gravaLinhas(u"d1.db"_s, plans);
        if (statistics) {
            for (const QString &file : {u"f1.DB"_s, u"d1.DB"_s}) {
                OutraConexao outra(m_folder->dataFile(file));
                QVERIFY(outra.exec(u"ANALYZE"_s));
            }
        }
        const QString sql = QString(text).replace(u"%1"_s, m_db->attach(u"f1.db"_s)).replace(u"%2"_s, m_db->attach(u"d1.db"_s));
        QSqlQuery q = m_db->run(u"EXPLAIN QUERY PLAN "_s + sql, binds, u"ler"_s, {});
        QStringList steps;
        while (q.next())
            steps << q.value(3).toString();
        const QString plan = steps.join(u" | "_s);
        QVERIFY2(plan.contains(expected), qPrintable(plan));
        // Where a condition allows a search, no step reads the whole table.
        if (!binds.isEmpty())
            QVERIFY2(!plan.contains(u"SCAN"_s), qPrintable(plan));
        // Otherwise the order comes from the index, never from a sort of the result.
        if (!sorted)
            QVERIFY2(!plan.contains(u"TEMP B-TREE"_s), qPrintable(plan));
    }

private:
    void escreveRazao()
    {
        m_rows = razao();
        gravaLinhas(u"f1.db"_s, m_rows);
    }

    // Opens the statement anew and compares it, whole and by pages from the
    // start, the middle and the end, with the rows of m_rows that \a fica.
    void confereFatias(StatementQuery &q, const QDate &inicio, const std::function<bool(const Lancamento &)> &fica)
    {
        const QList<qint64> expected = idsEmOrdemDeData(m_rows, fica);
        q.open(u"f1.db"_s, inicio);
        const int n = int(expected.size());
        QCOMPARE(q.rowCount(), n);
        QVERIFY(n > 200);
        QList<qint64> whole;
        q.forEachRow([&](const Lancamento &l) {
            whole << l.transacao;
            QVERIFY(m_rows.contains(l)); // with its fields
        });
        QCOMPARE(whole, expected);
        for (const int first : {0, 1, n / 2 - 7, n - 64, n - 10, n}) {
            const QList<qint64> page = ids(q.rows(first, 64));
            QCOMPARE(page, expected.mid(first, 64));
        }
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Database> m_db;
    QList<Lancamento> m_rows;
};

QTEST_GUILESS_MAIN(TestConsultas)
#include "test_consultas.moc"
