// The system's SQL statements over real files: the rows and sums they
// give, the indexes SQLite serves them with, the lazy reading of large
// results and what a result looks like when the table is written meanwhile.
// Every test runs twice: rows read through SQLite's own interface, and
// through QSqlQuery as with a Qt that carries its own SQLite.

#include "support/tabelas.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/database.h"
#include "data/models.h"
#include "data/query.h"
#include "data/table.h"
#include "support/test_folder.h"

#include <QtTest>

#include <climits>
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

QList<qint64> idsDaConsulta(Query &q)
{
    QList<qint64> ids;
    for (q.first(); !q.eof(); q.next())
        ids << q.fieldByName(u"Transacao"_s).asInteger();
    return ids;
}

// The program's SQLite is the one Qt's driver runs here, so the rows are
// read natively unless a test asks for the other path.
void leituraEscolhida()
{
    QFETCH_GLOBAL(bool, native);
    Database &db = Database::forAlias(alias());
    QVERIFY(db.nativeHandle());
    if (!native)
        db.readThroughQt();
    QCOMPARE(db.nativeHandle() != nullptr, native);
}

} // namespace

class TestConsultas final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase_data()
    {
        QTest::addColumn<bool>("native");
        QTest::newRow("SQLite") << true;
        QTest::newRow("QSqlQuery") << false;
    }

    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        const int user = m_folder->addUser(u"Consultas"_s, u"x"_s);
        m_t = u"f%1"_s.arg(user);
        m_p = u"d%1"_s.arg(user);
        leituraEscolhida();
    }

    void cleanup()
    {
        m_folder.reset();
        m_rows.clear();
    }

    void statement_data()
    {
        QTest::addColumn<int>("days"); // -1: "Completo"
        for (const int days : {-1, 5, 10, 15, 31, 62, 186, 366, 731})
            QTest::newRow(qPrintable(u"%1 days"_s.arg(days))) << days;
    }

    void statement()
    {
        QFETCH(int, days);
        escreveRazao();
        Query q(alias());
        QueryCloser closer(q);
        if (days < 0) {
            q.setSql(Sql::statement(m_t));
        } else {
            q.setSql(Sql::statementFrom(m_t));
            q.bindDate(u"inicio"_s, Hoje.addDays(-days));
        }
        q.prepare();
        q.open();
        const QDate inicio = days < 0 ? QDate() : Hoje.addDays(-days);
        // Future rows always come; the rows come in date order.
        QCOMPARE(idsDaConsulta(q), idsEmOrdemDeData(m_rows, [&](const Lancamento &l) {
                     return !inicio.isValid() || l.data >= inicio;
                 }));
    }

    void statementRowsCarryTheirFields()
    {
        escreveRazao();
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::statement(m_t));
        q.open();
        int seen = 0;
        for (q.first(); !q.eof(); q.next()) {
            const qint64 id = q.fieldByName(u"Transacao"_s).asInteger();
            const auto it = std::find_if(m_rows.cbegin(), m_rows.cend(), [&](const Lancamento &l) { return l.transacao == id; });
            QVERIFY(it != m_rows.cend());
            QCOMPARE(q.fieldByName(u"Data"_s).asDate(), it->data);
            QCOMPARE(q.fieldByName(u"descricao"_s).asString(), it->descricao);
            QCOMPARE(q.fieldByName(u"Categoria"_s).asInteger(), it->categoria);
            QCOMPARE(q.fieldByName(u"VALOR"_s).asFloat(), it->valor);
            ++seen;
        }
        QCOMPARE(seen, m_rows.size());
        QVERIFY(q.eof());
        QVERIFY_THROWS_EXCEPTION(Error, q.fieldByName(u"Nada"_s));
        // A Field keeps showing the current row as the walk moves.
        q.first();
        const Field descricao = q.fieldByName(u"Descricao"_s);
        const QString first = descricao.asString();
        q.next();
        QVERIFY(descricao.asString() != first);
    }

    // A query reuses its columns' memory from one result to the next: nothing
    // of an earlier, larger or differently shaped result may show through.
    void reopenedQueryHoldsOnlyItsOwnRows()
    {
        escreveRazao();
        Query q(alias());
        QueryCloser closer(q);
        const auto all = [&] {
            q.setSql(Sql::statement(m_t));
            q.open();
            QStringList seen;
            for (q.first(); !q.eof(); q.next())
                seen << q.fieldByName(u"Descricao"_s).asString() + u'|' + q.fieldByName(u"Data"_s).asString();
            q.close();
            return seen;
        };
        const QStringList first = all();
        QCOMPARE(first.size(), m_rows.size());

        q.setSql(Sql::statementFrom(m_t));
        q.bindDate(u"inicio"_s, Hoje);
        q.open();
        QCOMPARE(idsDaConsulta(q).size(), 3); // today, tomorrow, in 60 days
        q.fetchUpTo(INT_MAX);
        QCOMPARE(q.fetchedRows(), 3);
        QCOMPARE(q.value(3, 0), QVariant()); // past the end: nothing left over
        q.first();
        QCOMPARE(q.fieldByName(u"Descricao"_s).asString(), u"hoje"_s);
        QCOMPARE(*q.textAt(0, q.columnIndex(u"Descricao"_s)), QByteArrayView("hoje"));
        q.close();

        // Another shape: one column of another kind in the first place.
        q.setSql(Sql::balance(m_t));
        q.bindDate(u"now"_s, Hoje);
        QCOMPARE(q.singleValueAsFloat(), soma(m_rows, [](const Lancamento &l) { return l.data <= Hoje; }));
        QCOMPARE(q.columnCount(), 1);
        QVERIFY(!q.textAt(0, 0));
        q.close();

        QCOMPARE(all(), first);
    }

    void balance_data()
    {
        QTest::addColumn<QDate>("now");
        QTest::newRow("today") << Hoje;
        QTest::newRow("a month ago") << Hoje.addDays(-31);
        QTest::newRow("far in the future") << Hoje.addYears(5);
        QTest::newRow("before every row") << Hoje.addYears(-10);
    }

    void balance()
    {
        QFETCH(QDate, now);
        escreveRazao();
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::balance(m_t));
        q.bindDate(u"now"_s, now);
        q.prepare();
        q.open();
        QCOMPARE(q.singleValueAsFloat(), soma(m_rows, [&](const Lancamento &l) { return l.data <= now; }));
    }

    void chartSums_data()
    {
        QTest::addColumn<int>("days"); // -1: "Completo", from the date value 0
        for (const int days : {-1, 5, 10, 31, 366})
            QTest::newRow(qPrintable(u"%1 days"_s.arg(days))) << days;
    }

    void chartSums()
    {
        QFETCH(int, days);
        escreveRazao();
        const QDate inicio = days < 0 ? DataZero() : Hoje.addDays(-days);
        Query q(alias());
        double categories = 0;
        for (int categ = 1; categ <= NumeroCategorias; ++categ) {
            q.clearSql();
            q.setSql(Sql::categorySum(m_t));
            q.bindDate(u"now"_s, Hoje);
            q.bindDate(u"inicio"_s, inicio);
            q.bindInteger(u"categ"_s, categ);
            q.prepare();
            q.open();
            const double expected = soma(m_rows, [&](const Lancamento &l) {
                return l.data <= Hoje && l.data >= inicio && l.valor < 0 && l.categoria == categ;
            });
            QCOMPARE(q.singleValueAsFloat(), expected);
            categories += expected;
            q.close();
        }
        q.clearSql();
        q.setSql(Sql::periodSum(m_t));
        q.bindDate(u"now"_s, Hoje);
        q.bindDate(u"inicio"_s, inicio);
        q.prepare();
        q.open();
        const double all = q.singleValueAsFloat();
        q.close();
        QCOMPARE(all, soma(m_rows, [&](const Lancamento &l) { return l.data <= Hoje && l.data >= inicio && l.valor < 0; }));
        QCOMPARE(all, categories);
    }

    void duePlanEntries()
    {
        QList<Lancamento> plans{{0, Hoje.addDays(5), u"ainda não"_s, 1, -1, 20},
                                {0, Hoje, u"vence hoje"_s, 2, -2, 15},
                                {0, Hoje.addDays(-10), u"vencido"_s, 3, -3, 5},
                                {0, Hoje.addDays(-40), u"muito vencido"_s, 6, 4, 1},
                                {0, Hoje.addDays(-70), u"mesmo dia, mais antigo"_s, 3, -5, 5}};
        gravaLinhas(m_p + u".db"_s, plans);
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::dueEntries(m_p));
        q.bindDate(u"now"_s, Hoje);
        q.prepare();
        q.open();
        QList<qint64> ids;
        QStringList descricoes;
        for (q.first(); !q.eof(); q.next()) {
            ids << q.fieldByName(u"Transacao"_s).asInteger();
            descricoes << q.fieldByName(u"Descricao"_s).asString();
        }
        // Due ones only, in the plan's order: by day of month, then date.
        QCOMPARE(ids, (QList<qint64>{plans[3].transacao, plans[4].transacao, plans[2].transacao, plans[1].transacao}));
        QCOMPARE(descricoes.size(), 4);
    }

    void sumOverNoRowsIsZero()
    {
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::balance(m_t));
        q.bindDate(u"now"_s, Hoje);
        q.open();
        QVERIFY(q.fieldByName(u"SUM(valor)"_s).isNull());
        QCOMPARE(q.singleValueAsFloat(), 0.0);
        QCOMPARE(FormatValor(q.singleValueAsFloat()), FormatValor(0));

        escreveRazao();
        q.close();
        q.setSql(Sql::categorySum(m_t));
        q.bindDate(u"now"_s, Hoje);
        q.bindDate(u"inicio"_s, Hoje.addDays(-3));
        q.bindInteger(u"categ"_s, 7);
        q.open();
        QCOMPARE(q.singleValueAsFloat(), 0.0);
    }

    void plansUseIndexes_data()
    {
        QTest::addColumn<int>("kind"); // Sql::Kind; a statement with a start when "inicio" is a parameter
        QTest::addColumn<QString>("text"); // as the system writes it; %1: T, %2: P
        QTest::addColumn<QStringList>("parameters");
        QTest::addColumn<QString>("expected"); // what the plan must hold
        QTest::addColumn<bool>("search");      // the condition allows an index search: no scan at all
        QTest::addColumn<bool>("sorted");      // the rows found may be sorted afterwards
        QTest::addColumn<bool>("statistics");  // the files were analysed (by another program)

        for (const bool statistics : {false, true}) {
            const QString suffix = statistics ? u", analysed"_s : QString();
            const auto row = [&](const QString &name, Sql::Kind kind) -> QTestData & {
                return QTest::newRow(qPrintable(name + suffix)) << int(kind);
            };
            // No condition: the whole ledger, in the order of its date index.
            row(u"statement, Completo"_s, Sql::Kind::Statement) << u"select * from %1"_s << QStringList()
                                                                 << u"SCAN %1.fin USING INDEX fin_data"_s << false << false
                                                                 << statistics;
            row(u"statement, period"_s, Sql::Kind::Statement)
                << u"select * from %1 where Data>=:inicio"_s << QStringList{u"inicio"_s}
                << u"SEARCH %1.fin USING INDEX fin_data (Data>?)"_s << true << false << statistics;
            row(u"balance"_s, Sql::Kind::Balance) << u"select SUM(valor) from %1 where data<=:now"_s
                                                  << QStringList{u"now"_s}
                                                  << u"USING COVERING INDEX fin_data_valor (Data<?)"_s << true << false
                                                  << statistics;
            row(u"balance since a kept one"_s, Sql::Kind::BalanceAfter)
            << u"select SUM(valor) from %1 where data>:depois and data<=:now"_s << QStringList{u"depois"_s, u"now"_s}
            << u"USING COVERING INDEX fin_data_valor (Data>? AND Data<?)"_s << true << false << statistics;
        row(u"chart, one category"_s, Sql::Kind::CategorySum)
                << u"select SUM(valor) from %1 where data<=:now and data>=:inicio and valor<0 and categoria=:categ"_s
                << QStringList{u"now"_s, u"inicio"_s, u"categ"_s}
                << u"USING COVERING INDEX fin_categoria (Categoria=? AND Data>? AND Data<?)"_s << true << false
                << statistics;
            row(u"chart, all expenses"_s, Sql::Kind::PeriodSum)
                << u"select SUM(valor) from %1 where data<=:now and data>=:inicio and valor<0"_s
                << QStringList{u"now"_s, u"inicio"_s} << u"USING COVERING INDEX fin_data_valor (Data>? AND Data<?)"_s
                << true << false << statistics;
            // Only the due entries are read, through the date index, and those
            // few are put in the plan's day order.
            row(u"due plan entries"_s, Sql::Kind::DueEntries)
                << u"select * from %2 where data<=:now"_s << QStringList{u"now"_s}
                << u"SEARCH %2.dfin USING INDEX dfin_data (Data<?)"_s << true << true << statistics;
        }
    }

    void plansUseIndexes()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QStringList, parameters);
        QFETCH(QString, expected);
        QFETCH(bool, search);
        QFETCH(bool, sorted);
        QFETCH(bool, statistics);
        // A ledger of some size over ten years and a plan of forty entries,
        // three of them due.
        QList<Lancamento> rows;
        for (int i = 0; i < 3000; ++i)
            rows << Lancamento{0, Hoje.addDays(20 - (i * 37) % 3650), u"linha %1"_s.arg(i), 1 + i % 8,
                               (i % 5 ? -1.0 : 1.0) * (1 + i % 300)};
        gravaLinhas(m_t + u".db"_s, rows);
        QList<Lancamento> plans;
        for (int i = 0; i < 40; ++i)
            plans << Lancamento{0, Hoje.addDays(i < 3 ? -i : 1 + i), u"plano %1"_s.arg(i), 1 + i % 8, -10.0 * i, 1 + i % 28};
        gravaLinhas(m_p + u".db"_s, plans);
        if (statistics) {
            Database::closeAll(); // another program analyses the files meanwhile
            for (const QString &file : {m_t, m_p}) {
                OutraConexao outra(m_folder->dataFile(file + u".DB"_s));
                QVERIFY(outra.exec(u"ANALYZE"_s));
            }
            leituraEscolhida();
        }

        const auto sqlOf = [&](Sql::Kind k) {
            switch (k) {
            case Sql::Kind::Statement:
                return parameters.isEmpty() ? Sql::statement(m_t) : Sql::statementFrom(m_t);
            case Sql::Kind::Balance:
                return Sql::balance(m_t);
            case Sql::Kind::BalanceAfter:
                return Sql::balanceAfter(m_t);
            case Sql::Kind::CategorySum:
                return Sql::categorySum(m_t);
            case Sql::Kind::PeriodSum:
                return Sql::periodSum(m_t);
            case Sql::Kind::DueEntries:
                break;
            }
            return Sql::dueEntries(m_p);
        };
        const Sql sql = sqlOf(Sql::Kind(kind));
        // The text stays exactly the system's; what the engine needs comes with it.
        QCOMPARE(sql.text(), QString(text).replace(u"%1"_s, m_t).replace(u"%2"_s, m_p));
        QCOMPARE(int(sql.kind()), kind);
        QCOMPARE(sql.parameters(), parameters);
        QCOMPARE(sql.isSingleSum(), text.contains(u"SUM(valor)"_s));
        QCOMPARE(sql.keyOrder().isEmpty(), sql.isSingleSum());
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(sql);
        for (const QString &p : std::as_const(parameters)) {
            if (p == u"categ"_s)
                q.bindInteger(p, 3);
            else if (p == u"inicio"_s)
                q.bindDate(p, Hoje.addDays(-31));
            else
                q.bindDate(p, Hoje);
        }
        const QString plan = q.queryPlan().join(u" | "_s);
        QVERIFY2(plan.contains(u"USING INDEX"_s) || plan.contains(u"USING COVERING INDEX"_s), qPrintable(plan));
        QVERIFY2(plan.contains(QString(expected).replace(u"%1"_s, m_t).replace(u"%2"_s, m_p)), qPrintable(plan));
        // Where the condition allows a search, no step reads the whole table.
        if (search)
            QVERIFY2(!plan.contains(u"SCAN"_s), qPrintable(plan));
        // Otherwise the order comes from the index, never from a sort of the result.
        if (!sorted)
            QVERIFY2(!plan.contains(u"TEMP B-TREE"_s), qPrintable(plan));
        // The statement runs as planned.
        q.open();
        QVERIFY(q.isOpen());
        if (text.contains(u"%2"_s)) {
            QList<qint64> due;
            for (q.first(); !q.eof(); q.next())
                due << q.fieldByName(u"Transacao"_s).asInteger();
            // By day of month: plans 0, 1 and 2 have days 1, 2 and 3.
            QCOMPARE(due, (QList<qint64>{plans[0].transacao, plans[1].transacao, plans[2].transacao}));
        }
    }

    void badStatementFailsAndReleases()
    {
        Query q(alias());
        // A ledger file whose table lacks a field the statement names.
        const QString outro = m_folder->dataFile(u"f998.DB"_s);
        {
            OutraConexao outra(outro);
            QVERIFY(outra.exec(u"CREATE TABLE fin (Transacao INTEGER PRIMARY KEY, Descricao TEXT, Categoria INTEGER, "
                               u"Valor REAL, Nada DATE)"_s));
        }
        q.setSql(Sql::statementFrom(u"f998"_s));
        q.bindDate(u"inicio"_s, Hoje);
        try {
            q.open();
            QFAIL("a statement naming no field opened");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(u"f998.db"_s, Qt::CaseInsensitive), qPrintable(e.message()));
            // The engine's own text, naming the field, is kept as the details.
            QVERIFY2(e.details().contains(u"Data"_s), qPrintable(e.details()));
        }
        QVERIFY(!q.isOpen());

        q.setSql(Sql::statement(u"f999"_s));
        try {
            q.open();
            QFAIL("a statement over a missing table opened");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(u"f999.db"_s), qPrintable(e.message()));
        }
        // The query is usable again.
        q.setSql(Sql::statement(m_t));
        q.open();
        QVERIFY(q.isOpen());
        QVERIFY(q.isEmpty());
        q.close();
    }

    void modelFetchesLazily()
    {
        QList<Lancamento> rows;
        for (int i = 0; i < 10000; ++i)
            rows << Lancamento{0, Hoje.addDays(-(i % 700)), u"linha %1"_s.arg(i), 1 + i % 8, (i % 2 ? -1.0 : 1.0) * (i + 0.25)};
        gravaLinhas(m_t + u".db"_s, rows);

        Query q(alias());
        QueryCloser closer(q);
        QueryModel model(q, {u"Data"_s, u"Descricao"_s, u"Valor"_s});
        QSignalSpy current(&model, &CursorModel::currentRowChanged);
        q.setSql(Sql::statement(m_t));
        q.open();
        QVERIFY2(q.fetchedRows() <= QueryModel::FetchChunk, qPrintable(QString::number(q.fetchedRows())));
        // Every row counted at once, none read for that.
        QCOMPARE(q.rowCount(), 10000);
        QCOMPARE(model.rowCount(), 10000);
        QVERIFY(!model.canFetchMore({}));
        QVERIFY(q.fetchedRows() < 1000);
        QCOMPARE(model.currentRow(), 0);

        // The cursor and the model's current row follow each other; a far
        // move reads from there, not every row before it.
        q.moveTo(3000);
        QCOMPARE(model.currentRow(), 3000);
        QVERIFY(q.fetchedRows() - q.firstHeld() < 1000);
        QCOMPARE(current.last().at(0).toInt(), 3000);
        // Past the end (where the statement's copy leaves it): the last row
        // is current, and the rows before it are not read for that.
        q.moveTo(10000);
        QVERIFY(q.eof());
        QCOMPARE(model.currentRow(), 9999);
        QVERIFY2(q.fetchedRows() - q.firstHeld() < 1000,
                 qPrintable(u"%1..%2"_s.arg(q.firstHeld()).arg(q.fetchedRows())));
        model.setCurrentRow(17);
        QCOMPARE(q.position(), 17);

        // What the grid shows.
        const QModelIndex data = model.index(17, 0);
        const QModelIndex valor = model.index(17, 2);
        QCOMPARE(data.data().toString(), FormatData(q.fieldByName(u"Data"_s).asDate()));
        QCOMPARE(valor.data().toString(), FormatValor(q.fieldByName(u"Valor"_s).asFloat()));
        QCOMPARE(model.index(17, 1).data().toString(), q.fieldByName(u"Descricao"_s).asString());
        QVERIFY(valor.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
        QVERIFY(model.index(17, 1).data(Qt::TextAlignmentRole).toInt() & Qt::AlignLeft);
        QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), u"Descricao"_s);
        QVERIFY(!model.headerData(1, Qt::Vertical, Qt::DisplayRole).isValid()); // no row numbers

        // A walk to the end reads the rest.
        q.fetchUpTo(INT_MAX);
        QCOMPARE(q.fetchedRows(), 10000);
        QCOMPARE(model.rowCount(), 10000);
        q.close();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.currentRow(), -1);
    }

    // The due-entry check walks its result while it advances the rows it
    // walks: each due row is seen exactly once in that walk.
    void smallResultStaysAsOpened()
    {
        QList<Lancamento> plans{{0, Hoje.addMonths(-5), u"a"_s, 1, -1, 5},
                                {0, Hoje.addMonths(-4), u"b"_s, 1, -2, 10},
                                {0, Hoje.addMonths(-3), u"c"_s, 1, -3, 20}};
        gravaLinhas(m_p + u".db"_s, plans);

        Query due(alias());
        QueryCloser closer(due);
        due.setSql(Sql::dueEntries(m_p));
        due.bindDate(u"now"_s, Hoje);
        due.open();
        Table dfin(alias(), m_p + u".db"_s);
        dfin.setIndexFieldNames(u"Dia;Data"_s);
        QList<qint64> seen;
        for (due.first(); !due.eof(); due.next()) {
            const qint64 id = due.fieldByName(u"Transacao"_s).asInteger();
            seen << id;
            TableCloser tableCloser(dfin);
            dfin.open();
            IndexSwitch byId(dfin, u"Transacao"_s);
            QVERIFY(dfin.findKey(id));
            dfin.edit();
            dfin.fieldByName(u"Data"_s).setDate(dfin.fieldByName(u"Data"_s).asDate().addMonths(1)); // still due
            dfin.post();
        }
        QCOMPARE(seen, (QList<qint64>{plans[0].transacao, plans[1].transacao, plans[2].transacao}));
    }

    // A large result lets go of its statement at a write and goes on after the
    // last row it read, in order, with the rows as they are by then.
    void largeResultGoesOnAfterWrite()
    {
        QList<Lancamento> rows;
        for (int i = 0; i < Query::SettleRows * 2 + 500; ++i)
            rows << Lancamento{0, QDate(2020, 1, 1).addDays(i / 3), u"linha %1"_s.arg(i), 1, -1.0};
        gravaLinhas(m_t + u".db"_s, rows);

        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::statement(m_t));
        q.open();
        for (int i = 0; i < 10; ++i)
            q.next();
        qint64 added = 0;
        {
            Table fin(alias(), m_t + u".db"_s);
            fin.setIndexFieldNames(u"Transacao"_s);
            fin.open();
            added = gravaLinha(fin, {0, QDate(2099, 1, 1), u"depois de todas"_s, 1, -1});
            QVERIFY(fin.findKey(rows.last().transacao));
            fin.deleteRow();
        }
        QVERIFY(q.fetchedRows() < rows.size());
        QList<qint64> ids;
        QDate previous;
        for (q.first(); !q.eof(); q.next()) {
            const QDate d = q.fieldByName(u"Data"_s).asDate();
            QVERIFY(!previous.isValid() || previous <= d);
            previous = d;
            ids << q.fieldByName(u"Transacao"_s).asInteger();
        }
        QCOMPARE(ids.size(), rows.size()); // one added, one removed
        QCOMPARE(QSet<qint64>(ids.cbegin(), ids.cend()).size(), ids.size());
        QVERIFY(!ids.contains(rows.last().transacao));
        QCOMPARE(ids.last(), added);
        // Past the end the fields still show the last row.
        QCOMPARE(q.fieldByName(u"Descricao"_s).asString(), u"depois de todas"_s);
    }

private:
    void escreveRazao()
    {
        m_rows = razao();
        gravaLinhas(m_t + u".db"_s, m_rows);
    }

    std::unique_ptr<TestFolder> m_folder;
    QString m_t; // "f1"
    QString m_p; // "d1"
    QList<Lancamento> m_rows;
};

QTEST_GUILESS_MAIN(TestConsultas)
#include "test_consultas.moc"
