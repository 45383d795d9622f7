#pragma once

#include <QTableView>

namespace cofrel::data {
class CursorModel;
}

class RowIndicatorHeader;

// The data-aware grid of the statement and the plan: read-only, whole rows,
// titles, column and row lines, and a row indicator whose marker stands on
// the data component's current row. The grid's current row is the
// component's cursor both ways; the caller sizes the columns.
class DataGrid final : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget *parent = nullptr);

    // Takes a cofrel::data::CursorModel (QueryModel or TableModel); any
    // other model is shown without a cursor.
    void setModel(QAbstractItemModel *model) override;
    cofrel::data::CursorModel *cursorModel() const { return m_cursorModel; }
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
    void followModel(int row);
    void followWhenIdle();
    void applyFollow(int row);
    void keepCursorInSight();

    RowIndicatorHeader *m_indicator = nullptr;
    cofrel::data::CursorModel *m_cursorModel = nullptr;
    QList<QMetaObject::Connection> m_connections;
    static constexpr int ImmediateMoves = 8;
    int m_movesSinceIdle = 0;
    int m_pendingRow = -1;
    int m_appliedRow = -1;
    bool m_following = false;
};
