#pragma once

#include <QTableView>

class RowIndicatorHeader;

// The data-aware grid of the statement and the plan: read-only, whole rows,
// titles, column and row lines, and a row indicator whose marker stands on
// the current row. The operations on "the current row" act on the row the
// person sees marked: a fresh result stands on its first row, and
// scrolling keeps the current row on the screen. Dates are written as
// "dd/mm/yyyy" and amounts with FormatValor; the caller sizes the columns.
class DataGrid final : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    void setModel(QAbstractItemModel *model) override;
    // The current row (-1: none) and a move to \a row, shown on the screen.
    int currentRow() const;
    void setCurrentRow(int row);
    // The row the indicator marks (-1: none).
    int indicatorRow() const;

Q_SIGNALS:
    // A double click with the left button anywhere over the rows' area,
    // empty space included: the grid's double-click handler.
    void doubleClicked();

protected:
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void standOnFirstRow();
    void keepCursorInSight();

    RowIndicatorHeader *m_indicator = nullptr;
    QList<QMetaObject::Connection> m_connections;
};
