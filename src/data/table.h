#pragma once

#include "data/field.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

class QSqlQuery;

namespace cofrel::data {

class Database;

struct TableLayout;
struct IndexLayout;

// A table component: one table file of the alias, opened and closed around
// each operation, walked in the order of its current index, searched with
// FindKey, written one row at a time. Every post is one SQLite statement
// (one transaction unless a Transaction is open), durable when it returns.
class Table final : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Insert, Edit };

    Table(QString alias, QString tableName, QObject *parent = nullptr);
    ~Table() override;

    QString alias() const { return m_alias; }
    QString tableName() const { return m_tableName; }
    // Only while closed; throws otherwise.
    void setTableName(const QString &fileName);

    // Selects the ordering index by field list ("Data", "Dia;Data",
    // "Transacao") or by name ("users"). Allowed open or closed; an open
    // table keeps its current row.
    void setIndexFieldNames(const QString &fields);
    QString indexFieldNames() const { return m_indexFieldNames; }
    void setIndexName(const QString &name);
    QString indexName() const { return m_indexName; }

    void open();
    // Opened by an operation that means to write: a table locked by another
    // program is reported as one that could not be written.
    void openToWrite();
    void close(); // discards a pending insert or edit; never throws
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    void first();
    void next();
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const; // at the beginning and at the end at once
    qint64 recordCount() const;

    // Positions on the row whose current-index key equals \a key; returns
    // whether one was found (the position is unspecified when not).
    bool findKey(const QVariant &key);
    // Positions on the row with this primary key (used by grids).
    bool gotoPrimaryKey(qint64 id);

    void insert();
    void edit();
    void post();
    void cancel();
    void deleteRow(); // deletes the current row and moves to the next one

    Field fieldByName(const QString &name);
    // The primary key of the current row (0 when none).
    qint64 currentId() const;

    // Every row in the order of the current index, without moving the
    // table: the primary keys and the values of \a fields (for grids).
    void readRows(const QStringList &fields, std::vector<qint64> &ids,
                  std::vector<QVariantList> &rows) const;

Q_SIGNALS:
    // The current row changed (moved, posted, deleted, opened, closed).
    void rowChanged();
    // Rows were added, changed or removed by this component.
    void dataChanged();

private:
    const IndexLayout *currentIndex() const { return m_index; }
    void selectIndex(const QString &fields, const QString &name);
    const IndexLayout *resolveIndex() const;
    void requireOpen() const;
    void checkBrowseMode();
    QStringList orderColumns() const;
    QString selectList() const;
    QString orderBy(bool descending = false) const;
    // Loads the first row (in index order, or reversed) that meets \a where.
    bool fetchWhere(const QString &where, const QVariantList &binds, bool descending = false);
    QString afterCurrent(QVariantList &binds) const;
    void loadRow(QSqlQuery &query);
    void clearRow();
    bool seekAfterCurrent();
    void reloadCurrent();
    void forgetDatabase();
    QString qualifiedTable() const;
    QString fileName() const { return m_tableName; }
    [[noreturn]] void fail(const QString &action, const QSqlQuery &query) const;

    QString m_alias;
    QString m_tableName;
    QString m_indexFieldNames;
    QString m_indexName;
    State m_state = State::Inactive;
    bool m_toWrite = false;
    Database *m_db = nullptr;
    const TableLayout *m_layout = nullptr;
    QString m_schema;
    QString m_internal;
    const IndexLayout *m_index = nullptr;
    std::vector<QVariant> m_row; // primary key first, then the layout's columns
    QVariantList m_orderKey;     // stored values of the order columns and the key
    qint64 m_idBeforeInsert = 0;
    bool m_eof = true;
    bool m_bof = true;
    bool m_hasRow = false;
};

// Closes a table on every way out of a scope.
class TableCloser final {
public:
    explicit TableCloser(Table &table) : m_table(table) {}
    ~TableCloser() { m_table.close(); }
    TableCloser(const TableCloser &) = delete;
    TableCloser &operator=(const TableCloser &) = delete;

private:
    Table &m_table;
};

// Switches a table's index field list and restores it on every way out.
class IndexSwitch final {
public:
    IndexSwitch(Table &table, const QString &fields)
        : m_table(table), m_previous(table.indexFieldNames())
    {
        m_table.setIndexFieldNames(fields);
    }
    ~IndexSwitch() { try { m_table.setIndexFieldNames(m_previous); } catch (...) {} }
    IndexSwitch(const IndexSwitch &) = delete;
    IndexSwitch &operator=(const IndexSwitch &) = delete;

private:
    Table &m_table;
    QString m_previous;
};

} // namespace cofrel::data
