// The data grid over the statement and the plan: titles and a row
// indicator that marks the current row, a result read anew standing on its
// first row, the current row kept in sight while scrolling, jumps over a
// large statement showing the right rows, nothing edited, double clicks
// anywhere over the rows, and a failed read reported once.

#include "support/scripted_interaction.h"
#include "support/tabelas.h"

#include "app/cofrel_uteis.h"
#include "controls/data_grid.h"
#include "data/database.h"
#include "data/models.h"
#include "data/queries.h"
#include "data/tables.h"
#include "support/test_folder.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <utility>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

// Keys pressed in turn; these stand for the scrollbar dragged instead.
enum : int { BarraNoMeio = 0, BarraEmTresQuartos = 1, PageDownAteParar = 2 };

} // namespace

class TestDataGrid final : public QObject {
    // Dark pixels in the row indicator's section of \a row.
    int tintaNaSecao(int row) const
    {
        QHeaderView *header = m_grid->verticalHeader();
        const QImage image = header->grab().toImage();
        const QRect section(0, header->sectionViewportPosition(row), header->width(), header->sectionSize(row));
        int dark = 0;
        for (int y = section.top(); y <= section.bottom(); ++y) {
            for (int x = section.left(); x <= section.right(); ++x)
                dark += qGray(image.pixel(x, y)) < 96;
        }
        return dark;
    }

    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        m_folder->addUser(u"Grade"_s, u"x"_s);
        m_interacao = std::make_unique<ScriptedInteraction>();
    }

    void cleanup()
    {
        m_grid.reset();
        m_model.reset();
        m_query.reset();
        m_db.reset();
        m_interacao.reset();
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
        QVERIFY(m_grid->verticalHeader()->width() <= 14);
        QVERIFY(m_grid->showGrid());
        QCOMPARE(m_grid->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(m_grid->selectionMode(), QAbstractItemView::SingleSelection);
        // The cells as the statement shows them.
        const auto *delegate = qobject_cast<const QStyledItemDelegate *>(m_grid->itemDelegate());
        QVERIFY(delegate);
        const auto text = [&](int column) { return delegate->displayText(m_model->index(0, column).data(), QLocale()); };
        QCOMPARE(text(0), FormatData(m_rows[0].data));
        QCOMPARE(text(1), m_rows[0].descricao);
        QCOMPARE(text(2), FormatValor(m_rows[0].valor));
    }

    void indicatorMarksTheCurrentRow()
    {
        abre(20);
        QCOMPARE(m_grid->currentRow(), 0);
        QCOMPARE(m_grid->indicatorRow(), 0);
        clicaLinha(5);
        QCOMPARE(m_grid->currentRow(), 5);
        QCOMPARE(m_grid->indicatorRow(), 5);
        // The marker is drawn on that row's section, and on no other.
        QVERIFY(tintaNaSecao(5) > 10);
        QCOMPARE(tintaNaSecao(4), 0);
        const QModelIndexList selected = m_grid->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 5);
        QTest::keyClick(m_grid.get(), Qt::Key_Down);
        QCOMPARE(m_grid->indicatorRow(), 6);
        QTest::keyClick(m_grid.get(), Qt::Key_Up);
        QTest::keyClick(m_grid.get(), Qt::Key_Up);
        QCOMPARE(m_grid->currentRow(), 4);
        QCOMPARE(m_grid->indicatorRow(), 4);
        // A move by the program is shown.
        m_grid->setCurrentRow(19);
        QCOMPARE(m_grid->indicatorRow(), 19);
        QVERIFY(m_grid->viewport()->rect().contains(m_grid->visualRect(m_model->index(19, 0))));
    }

    // A result read anew stands on its first row, at the top; a closed one
    // marks no row.
    void resetStandsOnTheFirstRow()
    {
        abre(300);
        QTest::keyClick(m_grid.get(), Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(m_grid->currentRow(), 299);
        m_query->open(u"f1.db"_s, m_rows[120].data);
        QVERIFY(m_model->rowCount() < 300);
        QCOMPARE(m_grid->currentRow(), 0);
        QCOMPARE(m_grid->indicatorRow(), 0);
        QCOMPARE(m_grid->rowAt(0), 0);
        QCOMPARE(m_model->index(0, 1).data().toString(), m_rows[120].descricao);
        m_query->close();
        QCOMPARE(m_model->rowCount(), 0);
        QCOMPARE(m_grid->indicatorRow(), -1);
        m_query->open(u"f1.db"_s, {});
        QCOMPARE(m_grid->currentRow(), 0);
        QCOMPARE(m_grid->indicatorRow(), 0);
    }

    void jumpsShowTheRightRows_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("expected"); // the current row afterwards; -1: any row shown
        QTest::addColumn<bool>("mixed");   // rows written out of date order, days shared
        QTest::newRow("Ctrl+End") << QList<int>{Qt::Key_End} << 4999 << false;
        QTest::newRow("Ctrl+End, Ctrl+Home") << QList<int>{Qt::Key_End, Qt::Key_Home} << 0 << false;
        QTest::newRow("Page Down to the end") << QList<int>{PageDownAteParar} << 4999 << false;
        QTest::newRow("scrollbar to the middle") << QList<int>{BarraNoMeio} << -1 << false;
        QTest::newRow("scrollbar to the middle, Page Down") << QList<int>{BarraNoMeio, Qt::Key_PageDown} << -1 << false;
        QTest::newRow("Ctrl+End, Page Up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -1 << false;
        QTest::newRow("mixed: Ctrl+End") << QList<int>{Qt::Key_End} << 4999 << true;
        QTest::newRow("mixed: Ctrl+End, Page Up") << QList<int>{Qt::Key_End, Qt::Key_PageUp} << -1 << true;
        QTest::newRow("mixed: scrollbar to 3/4") << QList<int>{BarraEmTresQuartos} << -1 << true;
        QTest::newRow("mixed: scrollbar to the middle, to 3/4") << QList<int>{BarraNoMeio, BarraEmTresQuartos} << -1 << true;
    }

    // The rows shown after a jump are the book's rows at that place, in
    // order, and the current row the operations use is one of them.
    void jumpsShowTheRightRows()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, expected);
        QFETCH(bool, mixed);
        abre(5000, mixed);
        QCOMPARE(m_model->rowCount(), 5000);
        QScrollBar *bar = m_grid->verticalScrollBar();
        for (const int key : std::as_const(keys)) {
            if (key == BarraNoMeio) {
                bar->setValue(bar->maximum() / 2);
            } else if (key == BarraEmTresQuartos) {
                bar->setValue(bar->maximum() / 4 * 3);
            } else if (key == PageDownAteParar) {
                for (int before = -1; before != m_grid->currentRow();) {
                    before = m_grid->currentRow();
                    QTest::keyClick(m_grid.get(), Qt::Key_PageDown);
                }
            } else if (key == Qt::Key_End || key == Qt::Key_Home) {
                QTest::keyClick(m_grid.get(), Qt::Key(key), Qt::ControlModifier);
            } else {
                QTest::keyClick(m_grid.get(), Qt::Key(key));
            }
        }
        const int top = m_grid->rowAt(0);
        int bottom = m_grid->rowAt(m_grid->viewport()->height() - 1);
        if (bottom < 0)
            bottom = m_model->rowCount() - 1;
        QVERIFY(top >= 0 && bottom > top);
        if (keys.endsWith(BarraNoMeio))
            QVERIFY2(top > 1000 && top < 4000, qPrintable(QString::number(top)));
        if (keys.endsWith(BarraEmTresQuartos))
            QVERIFY2(top > 3000 && top < 4500, qPrintable(QString::number(top)));
        for (int row = top; row <= bottom; ++row) {
            QCOMPARE(m_model->index(row, 0).data().toDate(), m_rows[row].data);
            QCOMPARE(m_model->index(row, 1).data().toString(), m_rows[row].descricao);
        }
        const int at = m_grid->currentRow();
        if (expected >= 0)
            QCOMPARE(at, expected);
        QVERIFY2(at >= top && at <= bottom, qPrintable(u"%1 not in %2..%3"_s.arg(at).arg(top).arg(bottom)));
        QCOMPARE(m_grid->indicatorRow(), at);
        QCOMPARE(m_model->row(at).transacao, m_rows[at].transacao);
    }

    // A read that fails while the grid shows rows (the file deleted behind
    // the program's back) is reported once, not at every row painted.
    void readFailureIsReportedOnce()
    {
        abre(3000);
        QVERIFY(QFile::remove(m_folder->dataFile(u"f1.DB"_s)));
        QScrollBar *bar = m_grid->verticalScrollBar();
        bar->setValue(bar->maximum() / 2);
        m_grid->viewport()->repaint();
        QTRY_COMPARE(m_interacao->errors.size(), 1);
        const QString message = m_interacao->errors.first();
        QVERIFY2(message.contains(u"f1.db"_s) && message.contains(u"não foi encontrada"_s), qPrintable(message));
        bar->setValue(bar->maximum());
        m_grid->viewport()->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(m_interacao->errors.size(), 1);
        QVERIFY(m_interacao->messages.isEmpty());
    }

    void doubleClickAnywhere()
    {
        abre(3);
        QSignalSpy spy(m_grid.get(), &DataGrid::doubleClicked);
        const QRect row = m_grid->visualRect(m_model->index(1, 1));
        QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(spy.count(), 1);
        QCOMPARE(m_grid->currentRow(), 1);
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
        QCOMPARE(m_model->index(1, 1).data().toString(), m_rows[1].descricao);
    }

    // The plan's grid: by day of the month, standing on the first row
    // after each reload.
    void planGrid()
    {
        QList<Lancamento> plans{{0, QDate(2024, 5, 10), u"dez"_s, 1, -10, 10},
                                {0, QDate(2024, 5, 5), u"cinco"_s, 1, -5, 5},
                                {0, QDate(2024, 5, 20), u"vinte"_s, 1, -20, 20}};
        gravaLinhas(u"d1.db"_s, plans);
        Database db(m_folder->dataDir());
        Table dfin(db, Table::Kind::Plan, u"d1.db"_s);
        PlanModel model(dfin);
        DataGrid grid;
        grid.setModel(&model);
        grid.resize(483, 217);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.indicatorRow(), -1);
        model.reload();
        QCOMPARE(model.index(0, 1).data().toString(), u"cinco"_s);
        QCOMPARE(model.index(2, 0).data().toInt(), 20);
        QCOMPARE(grid.indicatorRow(), 0);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(model.index(2, 1)).center());
        QCOMPARE(model.row(grid.currentRow()).transacao, plans[2].transacao);
        dfin.insert({0, QDate(2024, 6, 1), u"um"_s, 1, -1, 1});
        model.reload();
        QCOMPARE(model.rowCount(), 4);
        QCOMPARE(model.index(0, 1).data().toString(), u"um"_s);
        QCOMPARE(grid.currentRow(), 0);
        model.clear();
        QCOMPARE(grid.indicatorRow(), -1);
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
        m_db = std::make_unique<Database>(m_folder->dataDir());
        m_query = std::make_unique<StatementQuery>(*m_db);
        m_model = std::make_unique<StatementModel>(*m_query);
        m_grid = std::make_unique<DataGrid>();
        m_grid->setModel(m_model.get());
        m_grid->setColumnWidth(0, 74);
        m_grid->setColumnWidth(1, 301);
        m_grid->setColumnWidth(2, 74);
        m_grid->resize(485, 212);
        m_grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_grid.get()));
        m_query->open(u"f1.db"_s, {});
    }

    void clicaLinha(int row)
    {
        const QRect rect = m_grid->visualRect(m_model->index(row, 1));
        QVERIFY(rect.isValid());
        QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<ScriptedInteraction> m_interacao;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<StatementQuery> m_query;
    std::unique_ptr<StatementModel> m_model;
    std::unique_ptr<DataGrid> m_grid;
    QList<Lancamento> m_rows;
};

QTEST_MAIN(TestDataGrid)
#include "test_data_grid.moc"
