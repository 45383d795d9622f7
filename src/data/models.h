#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>

#include <vector>

namespace cofrel::data {

class Query;
class Table;

// A read-only grid model whose current row is the cursor of a data
// component: the grid shows it and moves it.
class CursorModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    virtual int currentRow() const = 0;
    // Moves the component's cursor (may read from the engine and throw).
    virtual void setCurrentRow(int row) = 0;

Q_SIGNALS:
    void currentRowChanged(int row);
    // Reading for the view failed (the view asks from inside Qt, where no
    // exception may travel); the grid reports the message.
    void failed(const QString &message);
};

// Read-only grid model over a query's rows, showing the chosen fields.
// It has every row of the result from the start, but reads from the query
// only the rows the view shows; its current row is the query's cursor
// (currentRow()/setCurrentRow()).
class QueryModel final : public CursorModel {
    Q_OBJECT
public:
    QueryModel(Query &query, QStringList fields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    int currentRow() const override;
    void setCurrentRow(int row) override;

    // Rows handed to the view per fetchMore(): a screenful and some, so a
    // refresh reads little more than the grid shows (each row read costs
    // about as much as drawing one).
    static constexpr int FetchChunk = 64;

private:
    void reset();
    bool holds(int row) const;
    void fetchAndPublishUpTo(int rows);
    void publishUpTo(int rows);
    void followPosition(int row);
    Query &m_query;
    QStringList m_fields;
    std::vector<int> m_columns; // query column of each shown field
    int m_rows = 0;
    mutable bool m_fetchFailed = false;
};

// Read-only grid model over a table in the order of its current index.
// Rows are read when the table opens or changes; the current row follows
// the table's position both ways.
class TableModel final : public CursorModel {
    Q_OBJECT
public:
    TableModel(Table &table, QStringList fields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int currentRow() const override;
    void setCurrentRow(int row) override; // moves the table

    void reload();

private:
    void tableMoved();
    Table &m_table;
    QStringList m_fields;
    std::vector<qint64> m_ids;
    std::vector<QVariantList> m_rows;
    QHash<qint64, int> m_rowOfId;
    bool m_loadedOpen = false;
    int m_lastCurrent = -1;
};

// Display text of a value in a grid: dates as "dd/mm/yyyy", amounts with
// FormatValor, the rest as text.
QString displayText(const QVariant &value);

} // namespace cofrel::data
