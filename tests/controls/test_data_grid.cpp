// The data-aware grid: its current row is the data component's cursor both
// ways, it shows titles and a row indicator, reads lazily, edits nothing,
// and reports double clicks anywhere over its rows' area.

#include "support/tabelas.h"

#include "app/cofrel_uteis.h"
#include "controls/data_grid.h"
#include "data/models.h"
#include "data/query.h"
#include "data/table.h"
#include "support/test_folder.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <utility>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

class TestDataGrid final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        m_folder->addUser(u"Grade"_s, u"x"_s);
    }

    void cleanup()
    {
        m_grid.reset();
        m_model.reset();
        m_query.reset();
        m_folder.reset();
        m_rows.clear();
    }

    void showsTitlesAndNoRowNumbers()
    {
        abre(5);
        QStringList titles;
        for (int c = 0; c < m_model->columnCount(); ++c)
            titles << m_grid->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(titles, (QStringList{u"Data"_s, u"Descricao"_s, u"Valor"_s}));
        QVERIFY(m_grid->horizontalHeader()->isVisible());
        QVERIFY(m_grid->verticalHeader()->isVisible());
        QVERIFY(!m_grid->model()->headerData(0, Qt::Vertical, Qt::DisplayRole).isValid());
        QVERIFY(m_grid->verticalHeader()->width() <= 14);
        QVERIFY(m_grid->showGrid());
        QCOMPARE(m_grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(m_grid->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(m_grid->columnWidth(1), 301);
        // The cells as the statement shows them.
        QCOMPARE(m_model->index(0, 0).data().toString(), FormatData(m_rows[0].data));
        QCOMPARE(m_model->index(0, 2).data().toString(), FormatValor(m_rows[0].valor));
    }

    void currentRowFollowsCursor()
    {
        abre(20);
        QTRY_COMPARE(m_grid->currentIndex().row(), 0);
        QCOMPARE(m_grid->indicatorRow(), 0);
        m_query->next();
        m_query->next();
        m_query->next();
        // The marker at once, the grid's current row when the program is idle.
        QCOMPARE(m_grid->indicatorRow(), 3);
        QTRY_COMPARE(m_grid->currentIndex().row(), 3);
        const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 3);
        m_query->moveTo(19);
        QTRY_COMPARE(m_grid->currentIndex().row(), 19);
        m_query->next(); // past the end: the last row stays marked
        QVERIFY(m_query->eof());
        QCOMPARE(m_grid->indicatorRow(), 19);
        m_query->first();
        QTRY_COMPARE(m_grid->currentIndex().row(), 0);
    }

    // A walk over a long statement leaves the grid on the row where it ended,
    // without moving it row by row on the way.
    void walkEndsWhereCursorEnds()
    {
        abre(1500);
        QSignalSpy scrolled(m_grid->verticalScrollBar(), &QScrollBar::valueChanged);
        int rows = 0;
        for (m_query->first(); !m_query->eof(); m_query->next())
            ++rows;
        QCOMPARE(rows, 1500);
        QCOMPARE(m_grid->indicatorRow(), 1499);
        QCOMPARE(scrolled.count(), 0); // nothing moved yet
        QTRY_COMPARE(m_grid->currentIndex().row(), 1499);
        QVERIFY(m_grid->viewport()->rect().intersects(m_grid->visualRect(m_model->index(1499, 0))));
    }

    void clicksAndKeysMoveCursor()
    {
        abre(10);
        clicaLinha(5);
        QCOMPARE(m_query->position(), 5);
        QCOMPARE(m_query->fieldByName(u"Descricao"_s).asString(), m_model->index(5, 1).data().toString());
        QCOMPARE(m_grid->indicatorRow(), 5);
        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QCOMPARE(m_query->position(), 6);
        QTest::keyClick(m_grid.get(), Qt::Key_Up);
        QTest::keyClick(m_grid.get(), Qt::Key_Up);
        QCOMPARE(m_query->position(), 4);
        QCOMPARE(m_grid->indicatorRow(), 4);
    }

    void readsOnlyWhatItShows()
    {
        abre(3000);
        // Every row is there for the scrollbar, few are read.
        QCOMPARE(m_model->rowCount(), 3000);
        QVERIFY(m_query->fetchedRows() < 3000);
        QScrollBar *bar = m_grid->verticalScrollBar();
        bar->setValue(bar->maximum());
        QTRY_VERIFY(m_query->fetchedRows() == 3000);
        QVERIFY2(m_query->fetchedRows() - m_query->firstHeld() < 1000, qPrintable(QString::number(m_query->firstHeld())));
    }

    void jumpsShowTheRightRows_data()
    {
        QTest::addColumn<QList<int>>("keys"); // pressed in turn; 0: the scrollbar dragged to the middle, 1: to 3/4
        QTest::addColumn<int>("expected");   // the cursor's row afterwards; -1: any row shown
        QTest::addColumn<bool>("mixed");     // rows written out of date order, days shared
        QTest::newRow("Ctrl+End") << QList<int>{Qt::Key_End} << 4999 << false;
        QTest::newRow("Ctrl+End, Ctrl+Home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0 << false;
        QTest::newRow("scrollbar to the middle") << QList<int>{0} << -1 << false;
        QTest::newRow("scrollbar to the middle, Page Down") << QList<int>{0, Qt::Key_PageDown} << -1 << false;
        QTest::newRow("Page Down twice") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown} << -1 << false;
        QTest::newRow("Ctrl+End, Page Up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -1 << false;
        QTest::newRow("mixed: Ctrl+End") << QList<int>{Qt::Key_End} << 4999 << true;
        QTest::newRow("mixed: Ctrl+End, Page Up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -1 << true;
        QTest::newRow("mixed: scrollbar to 3/4") << QList<int>{1} << -1 << true;
        QTest::newRow("mixed: scrollbar to the middle, to 3/4") << QList<int>{0, 1} << -1 << true;
    }

    // The rows shown after a jump are the book's rows at that place, in
    // order, and the cursor the operations use stands on a row shown.
    void jumpsShowTheRightRows()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        QFETCH(bool, mixed);
        abre(5000, mixed);
        QCOMPARE(m_model->rowCount(), 5000);
        QScrollBar *bar = m_grid->verticalScrollBar();
        for (const int key : std::as_const(keys)) {
            if (key == 0)
                bar->setValue(bar->maximum() / 2);
            else if (key == 1)
                bar->setValue(bar->maximum() / 4 * 3);
            else if (key == Qt::Key_End || key == Qt::Key_Home)
                QTest::keyClick(m_grid.get(), Qt::Key(key), Qt::ControlModifier);
            else
                QTest::keyClick(m_grid.get(), Qt::Key(key));
        }
        QTRY_COMPARE(m_grid->indicatorRow(), m_query->position());
        const int top = m_grid->rowAt(0);
        int bottom = m_grid->rowAt(m_grid->viewport()->height() - 1);
        if (bottom < 0)
            bottom = m_model->rowCount() - 1;
        QVERIFY(top >= 0 && bottom > top);
        if (keys.endsWith(0))
            QVERIFY2(top > 1000 && top < 4000, qPrintable(QString::number(top)));
        if (keys.endsWith(1))
            QVERIFY2(top > 3000 && top < 4500, qPrintable(QString::number(top)));
        for (int row = top; row <= bottom; ++row) {
            QCOMPARE(m_model->index(row, 0).data().toString(), FormatData(m_rows[row].data));
            QCOMPARE(m_model->index(row, 1).data().toString(), m_rows[row].descricao);
        }
        const int at = m_query->position();
        if (expected >= 0)
            QCOMPARE(at, expected);
        QVERIFY2(at >= top && at <= bottom, qPrintable(u"%1 not in %2..%3"_s.arg(at).arg(top).arg(bottom)));
        QCOMPARE(m_grid->currentIndex().row(), at);
        QCOMPARE(m_query->fieldByName(u"Transacao"_s).asInteger(), m_rows[at].transacao);
        QCOMPARE(m_query->fieldByName(u"Descricao"_s).asString(), m_rows[at].descricao);
        // Only a window of rows is held, whatever the jump.
        QVERIFY2(m_query->fetchedRows() - m_query->firstHeld() < 1000,
                 qPrintable(u"%1..%2"_s.arg(m_query->firstHeld()).arg(m_query->fetchedRows())));
    }

    void doubleClickAnywhere()
    {
        abre(3);
        QSignalSpy spy(m_grid.get(), &DataGrid::doubleClicked);
        const QRect row = m_grid->visualRect(m_model->index(1, 1));
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(m_query->position(), 1);
        // Below the last row, where no row is, the handler still runs.
        const QPoint empty(row.center().x(), m_grid->viewport()->height() - 5);
        QVERIFY(!m_grid->indexAt(empty).isValid());
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, empty);
        QCOMPARE(spy.count(), 2);
        QTest::mouseDClick(m_grid->viewport(), Qt::RightButton, {}, row.center());
        QCOMPARE(spy.count(), 2);
    }

    void editsNothing()
    {
        abre(3);
        const QModelIndex cell = m_model->index(1, 1);
        QVERIFY(!(m_model->flags(cell) & Qt::ItemIsEditable));
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->visualRect(cell).center());
        QTest::keyClick(m_grid.get(), Qt::Key_F2);
        QTest::keyClicks(m_grid.get(), u"xyz"_s);
        QVERIFY(m_grid->findChildren<QLineEdit *>().isEmpty()); // no editor opened
        QVERIFY(!m_grid->isPersistentEditorOpen(cell));
        QCOMPARE(m_model->index(1, 1).data().toString(), m_rows[1].descricao);
    }

    void followsReopenAndClose()
    {
        abre(8);
        clicaLinha(6);
        QCOMPARE(m_query->position(), 6);
        m_query->close();
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_grid->indicatorRow(), -1);
        m_query->setSql(Sql::statementFrom(u"f1"_s));
        m_query->bindDate(u"inicio"_s, m_rows[4].data);
        m_query->open();
        QVERIFY(m_model->rowCount() > 0);
        QTRY_COMPARE(m_grid->currentIndex().row(), 0);
        QCOMPARE(m_grid->indicatorRow(), 0);
        QCOMPARE(m_model->index(0, 1).data().toString(), m_rows[4].descricao);
    }

    void tableGridFollowsTable()
    {
        QList<Lancamento> plans{{0, QDate(2024, 5, 10), u"dez"_s, 1, -10, 10},
                                {0, QDate(2024, 5, 5), u"cinco"_s, 1, -5, 5},
                                {0, QDate(2024, 5, 20), u"vinte"_s, 1, -20, 20}};
        gravaLinhas(u"d1.db"_s, plans);
        Table dfin(alias(), u"d1.db"_s);
        dfin.setIndexFieldNames(u"Dia;Data"_s);
        TableModel model(dfin, {u"Dia"_s, u"Descricao"_s, u"Valor"_s});
        DataGrid grid;
        grid.setModel(&model);
        grid.resize(483, 217);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(model.rowCount(), 0);
        dfin.open();
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(0, 1).data().toString(), u"cinco"_s);
        QTRY_COMPARE(grid.currentIndex().row(), 0);
        dfin.next();
        QCOMPARE(grid.indicatorRow(), 1);
        QTRY_COMPARE(grid.currentIndex().row(), 1);

        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(model.index(2, 1)).center());
        QCOMPARE(dfin.currentId(), plans[2].transacao);
        QCOMPARE(dfin.fieldByName(u"Descricao"_s).asString(), u"vinte"_s);

        // A row written through the table shows at once, where the index puts it.
        gravaLinha(dfin, {0, QDate(2024, 6, 1), u"um"_s, 1, -1, 1});
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(0, 1).data().toString(), u"um"_s);
        QTRY_COMPARE(grid.currentIndex().row(), 0);
        dfin.deleteRow();
        QCOMPARE(model.rowCount(), 3);
        dfin.close();
        QCOMPARE(model.rowCount(), 0);
    }

private:
    // \a mixed: the rows are written out of date order, many on one day, so
    // the statement's order is not the order of writing.
    void abre(int rows, bool mixed = false)
    {
        for (int i = 0; i < rows; ++i) {
            const int day = mixed ? (i * 7919) % qMax(1, rows / 3) : i;
            m_rows << Lancamento{0, QDate(2024, 1, 1).addDays(day), u"linha %1"_s.arg(i), 1, -1.5 * (i + 1)};
        }
        gravaLinhas(u"f1.db"_s, m_rows);
        std::stable_sort(m_rows.begin(), m_rows.end(), [](const Lancamento &a, const Lancamento &b) {
            return std::pair(a.data, a.transacao) < std::pair(b.data, b.transacao);
        });
        m_query = std::make_unique<Query>(alias());
        m_query->setSql(Sql::statement(u"f1"_s));
        m_query->open();
        m_model = std::make_unique<QueryModel>(*m_query, QStringList{u"Data"_s, u"Descricao"_s, u"Valor"_s});
        m_grid = std::make_unique<DataGrid>();
        m_grid->setModel(m_model.get());
        m_grid->setColumnWidth(0, 74);
        m_grid->setColumnWidth(1, 301);
        m_grid->setColumnWidth(2, 74);
        m_grid->resize(485, 212);
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
    }

    void clicaLinha(int row)
    {
        const QRect rect = m_grid->visualRect(m_model->index(row, 1));
        QVERIFY(rect.isValid());
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Query> m_query;
    std::unique_ptr<QueryModel> m_model;
    std::unique_ptr<DataGrid> m_grid;
    QList<Lancamento> m_rows;
};

QTEST_MAIN(TestDataGrid)
#include "test_data_grid.moc"
