#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace cofrel::data {

class Query;
class Table;

// Read-only grid model over a query's rows, showing the chosen fields.
// It fetches from the query only as the view asks for more rows, and its
// current row is the query's cursor (currentRow()/setCurrentRow()).
class QueryModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    QueryModel(Query &query, QStringList fields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

    int currentRow() const;
    void setCurrentRow(int row);

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    void reset();
    Query &m_query;
    QStringList m_fields;
    std::vector<int> m_columns; // query column of each shown field
    int m_rows = 0;
};

// Read-only grid model over a table in the order of its current index.
// Rows are read when the table opens or changes; the current row follows
// the table's position both ways.
class TableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    TableModel(Table &table, QStringList fields, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int currentRow() const;
    void setCurrentRow(int row); // moves the table

    void reload();

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    Table &m_table;
    QStringList m_fields;
    std::vector<qint64> m_ids;
    std::vector<QVariantList> m_rows;
};

// Display text of a value in a grid: dates as "dd/mm/yyyy", amounts with
// FormatValor, the rest as text.
QString displayText(const QVariant &value);

} // namespace cofrel::data
