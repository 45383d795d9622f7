#pragma once

#include "data/tables.h"

#include <QAbstractTableModel>

#include <map>

namespace cofrel::data {

class StatementQuery;

// The grids' models: read-only, one line per row, the values as they are
// (dates as QDate, amounts as double) for the grid to write out. Reading
// for the view happens inside Qt, where no exception may travel, so a
// failure there is handed to failed() instead.
class RowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    RowsModel(QStringList fields, QObject *parent);

    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The row shown at \a row. Throws when it cannot be read.
    virtual Lancamento row(int row) const = 0;

Q_SIGNALS:
    void failed(const QString &message) const;

private:
    QStringList m_fields;
    mutable bool m_failed = false; // reported once until the next reset
};

// The statement: its row count is known when it opens, its rows are read a
// page at a time as the view shows them, and a few pages are kept.
class StatementModel final : public RowsModel {
    Q_OBJECT
public:
    StatementModel(StatementQuery &query, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    Lancamento row(int row) const override;

    static constexpr int PageRows = 64;
    static constexpr size_t KeptPages = 4;

private:
    void reset();
    StatementQuery &m_query;
    int m_rows = 0;
    mutable std::map<int, std::vector<Lancamento>> m_pages; // by page number
    mutable std::vector<int> m_recent;                     // page numbers, most recent last
};

// The plan, a few dozen rows, read whole at every reload.
class PlanModel final : public RowsModel {
    Q_OBJECT
public:
    PlanModel(Table &plan, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    Lancamento row(int row) const override;
    int rowOf(qint64 transacao) const; // -1 when none

    void reload(); // throws
    void clear();

private:
    Table &m_plan;
    std::vector<Lancamento> m_rows;
};

} // namespace cofrel::data
