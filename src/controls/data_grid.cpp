#include "controls/data_grid.h"

#include "app/errors.h"
#include "app/guard.h"
#include "data/models.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

// The vertical header of the grid: no numbers, only the marker of the
// current row.
class RowIndicatorHeader final : public QHeaderView {
public:
    explicit RowIndicatorHeader(QWidget *parent)
        : QHeaderView(Qt::Vertical, parent)
    {
        setSectionResizeMode(QHeaderView::Fixed);
        setSectionsClickable(false);
        setHighlightSections(false);
    }

    void setMarkedRow(int row)
    {
        if (row == m_marked)
            return;
        m_marked = row;
        viewport()->update();
    }
    int markedRow() const { return m_marked; }

    QSize sizeHint() const override
    {
        const QSize base = QHeaderView::sizeHint();
        return {Width, base.height()};
    }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        QHeaderView::paintSection(painter, rect, logicalIndex);
        if (logicalIndex != m_marked)
            return;
        // ▶, drawn rather than typed: every font has it this way.
        const int h = qMin(rect.height() - 6, 8);
        const int w = h / 2 + 1;
        const QPointF centre = QRectF(rect).center();
        QPainterPath marker;
        marker.moveTo(centre.x() - w / 2.0, centre.y() - h / 2.0);
        marker.lineTo(centre.x() + w / 2.0, centre.y());
        marker.lineTo(centre.x() - w / 2.0, centre.y() + h / 2.0);
        marker.closeSubpath();
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->fillPath(marker, palette().color(QPalette::WindowText));
        painter->restore();
    }

private:
    static constexpr int Width = 12;
    int m_marked = -1;
};

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_indicator(new RowIndicatorHeader(this))
{
    setVerticalHeader(m_indicator);
    m_indicator->setMinimumWidth(12);
    m_indicator->setMaximumWidth(12);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setSortingEnabled(false);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DataGrid::keepCursorInSight);
}

// The scrollbar dragged or the wheel turned: the component's cursor stays
// on a row the person sees, as the operations on the current row act on it.
void DataGrid::keepCursorInSight()
{
    if (m_following || !m_cursorModel || !model() || model()->rowCount() == 0)
        return;
    const int top = rowAt(0);
    if (top < 0)
        return;
    int bottom = rowAt(viewport()->height() - 1);
    if (bottom < 0)
        bottom = model()->rowCount() - 1;
    const int current = currentIndex().isValid() ? currentIndex().row() : m_cursorModel->currentRow();
    if (current >= top && current <= bottom)
        return;
    const int row = current < top ? top : bottom;
    const int column = qMax(0, currentIndex().column());
    selectionModel()->setCurrentIndex(model()->index(row, column),
                                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void DataGrid::setModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_cursorModel = qobject_cast<cofrel::data::CursorModel *>(model);
    QTableView::setModel(model);
    if (!m_cursorModel)
        return;
    m_connections << connect(m_cursorModel, &cofrel::data::CursorModel::currentRowChanged, this,
                             &DataGrid::followModel);
    m_connections << connect(m_cursorModel, &cofrel::data::CursorModel::failed, this,
                             [](const QString &message) { cofrel::reportError(cofrel::Error(message)); });
    followModel(m_cursorModel->currentRow());
}

int DataGrid::indicatorRow() const
{
    return m_indicator->markedRow();
}

// The component moved: the marker follows at once, and so do the grid's
// current row and selection for the first few moves since the program was
// last idle; the moves of a walk over a long statement are gathered instead,
// and the grid shows where the walk ended once the program is idle, rather
// than moving row by row.
void DataGrid::followModel(int row)
{
    m_indicator->setMarkedRow(row);
    m_pendingRow = row;
    if (m_movesSinceIdle++ == 0)
        QMetaObject::invokeMethod(this, &DataGrid::followWhenIdle, Qt::QueuedConnection);
    if (m_movesSinceIdle <= ImmediateMoves)
        applyFollow(row);
}

void DataGrid::followWhenIdle()
{
    m_movesSinceIdle = 0;
    if (m_pendingRow != m_appliedRow)
        applyFollow(m_pendingRow);
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void DataGrid::applyFollow(int row)
{
    m_appliedRow = row;
    if (!model() || !selectionModel())
        return;
    m_following = true;
    if (row < 0 || row >= model()->rowCount()) {
        selectionModel()->clear();
    } else {
        const int column = qMax(0, currentIndex().column());
        const QModelIndex index = model()->index(row, column);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(index);
    }
    m_following = false;
}

// The person moved (click, keys): the component's cursor follows.
void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !m_cursorModel || !current.isValid())
        return;
    cofrel::guarded([&] { m_cursorModel->setCurrentRow(current.row()); });
    m_indicator->setMarkedRow(m_cursorModel->currentRow());
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}
