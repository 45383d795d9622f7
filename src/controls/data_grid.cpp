#include "controls/data_grid.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/guard.h"
#include "data/models.h"

#include <QDate>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QStyledItemDelegate>

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
        // The section's own painting may leave the painter clipped to nothing.
        painter->setClipRect(rect);
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->fillPath(marker, palette().color(QPalette::WindowText));
        painter->restore();
    }

private:
    static constexpr int Width = 12;
    int m_marked = -1;
};

namespace {

// Dates and amounts as the program writes them everywhere.
class ValueDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant &value, const QLocale &locale) const override
    {
        if (value.typeId() == QMetaType::QDate)
            return cofrel::FormatData(value.toDate());
        if (value.typeId() == QMetaType::Double)
            return cofrel::FormatValor(value.toDouble());
        return QStyledItemDelegate::displayText(value, locale);
    }
};

} // namespace

DataGrid::DataGrid(QWidget *parent)
    : QTableView(parent)
    , m_indicator(new RowIndicatorHeader(this))
{
    setVerticalHeader(m_indicator);
    setItemDelegate(new ValueDelegate(this));
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

void DataGrid::setModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    QTableView::setModel(model);
    if (!model)
        return;
    m_connections << connect(model, &QAbstractItemModel::modelReset, this, &DataGrid::standOnFirstRow);
    if (auto *rows = qobject_cast<cofrel::data::RowsModel *>(model)) {
        m_connections << connect(rows, &cofrel::data::RowsModel::failed, this,
                                 [](const QString &message) { cofrel::reportError(cofrel::Error(message)); },
                                 Qt::QueuedConnection);
    }
    standOnFirstRow();
}

int DataGrid::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void DataGrid::setCurrentRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount()) {
        m_indicator->setMarkedRow(-1);
        return;
    }
    const QModelIndex index = model()->index(row, qMax(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(index);
}

int DataGrid::indicatorRow() const
{
    return m_indicator->markedRow();
}

// A result read anew stands on its first row, at the top.
void DataGrid::standOnFirstRow()
{
    scrollToTop();
    setCurrentRow(0);
}

// The scrollbar dragged or the wheel turned: the current row moves onto
// the screen, as the operations on the current row act on it.
void DataGrid::keepCursorInSight()
{
    if (!model() || model()->rowCount() == 0)
        return;
    const int top = rowAt(0);
    if (top < 0)
        return;
    int bottom = rowAt(viewport()->height() - 1);
    if (bottom < 0)
        bottom = model()->rowCount() - 1;
    const int current = currentRow();
    if (current >= top && current <= bottom)
        return;
    const QModelIndex index = model()->index(current < top ? top : bottom, qMax(0, currentIndex().column()));
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void DataGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    m_indicator->setMarkedRow(current.isValid() ? current.row() : -1);
}

void DataGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT doubleClicked();
}
