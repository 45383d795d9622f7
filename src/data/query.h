#pragma once

#include "data/field.h"
#include "data/layouts.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace cofrel::data {

class Database;
class Statement;

// An SQL query component: its text is replaced, named parameters are bound
// as dates or integers, then it is prepared and opened. The result is read
// either as one value (SUM, where a null reads as 0) or walked row by row
// with first/next/eof like a table.
//
// Rows are fetched from the engine only as far as someone reads (the walk,
// or a grid through fetchUpTo()), and kept in a compact column store, so a
// statement over a million rows costs nothing until it is read.
//
// Before the program writes to the table a query reads, the query settles:
// a small result is read to its end, so it stays exactly what it was when
// opened (the due-entry check advances rows it is still walking); a large
// one lets go of its statement and later goes on after the last row it
// read, in the table's order, seeing the rows as they are by then.
class Query final : public QObject {
    Q_OBJECT
public:
    Query(QString alias, QObject *parent = nullptr);
    ~Query() override;

    void clearSql();
    void setSql(const QString &text); // the statement as the system writes it
    QString sql() const { return m_sql; }

    void bindDate(const QString &name, const QDate &value);
    void bindInteger(const QString &name, qint64 value);

    void prepare();
    void open(); // prepares first when needed
    void close(); // never throws
    bool isOpen() const { return m_open; }

    // The first column of the single result row; a null reads as 0.
    double singleValueAsFloat();

    // ---- The walk -------------------------------------------------------
    void first();
    void next();
    bool eof() const;
    bool bof() const { return m_position == 0; }
    bool isEmpty(); // no rows at all
    int position() const { return m_position; } // current row, 0-based
    void moveTo(int row); // fetches as needed; past the end means eof

    Field fieldByName(const QString &name);

    // ---- Row access for grids ------------------------------------------
    int columnCount() const;
    QString columnName(int column) const;
    ColumnKind columnKind(int column) const;
    int fetchedRows() const;
    bool allFetched() const { return m_exhausted; }
    // Fetches until at least \a rows rows are held or the result ends.
    void fetchUpTo(int rows);
    QVariant value(int row, int column) const; // row < fetchedRows()
    int columnIndex(const QString &name) const; // -1 when there is none
    // Reads for walks over many rows, without a QVariant per value. Each
    // answers only for a column holding values of its own kind, and
    // nullopt otherwise, so that the caller falls back to value(): a text
    // as its stored UTF-8 bytes (a null one empty), a number (null: 0), a
    // date (null: invalid). The bytes stay valid until the query fetches
    // more rows or is closed.
    std::optional<QByteArrayView> textAt(int row, int column) const;
    std::optional<double> realAt(int row, int column) const;
    std::optional<QDate> dateAt(int row, int column) const;

    // Reads the result once more from its first row, straight from the
    // engine, handing each row to \a visit and keeping none: a walk over a
    // million rows (the statement's copy) that the rows held for the grid
    // need not grow for. It runs on the query's connection, so while the
    // query's own statement is still being read both see the same rows.
    void readEachRow(const std::function<void(const Statement &row)> &visit);

    // SQLite's plan for the statement as it runs, one line per step
    // ("SEARCH f7.fin USING COVERING INDEX ..."): for checking indexes.
    QStringList queryPlan();

    // Rows read to the end when the query settles before a write.
    static constexpr int SettleRows = 2048;

Q_SIGNALS:
    void opened();
    void closed();
    void positionChanged(int row);
    void rowsFetched(int first, int last);

private:
    struct Column;
    const Column *columnOfKind(int row, int column, ColumnKind kind) const;
    void requireOpen() const;
    void bindPending(Statement &statement);
    bool fetchOne();
    void resume();
    void setUpContinuation();
    void attachTables();
    void releaseTables();
    void setUpColumns();
    void recycleColumns();
    void refreshCurrentRow();
    void settle();
    void forgetDatabase();
    QString effectiveSql() const;
    std::unique_ptr<Statement> takeKept(const QString &sql);
    void keep(std::unique_ptr<Statement> statement);
    void dropKept() noexcept;

    QString m_alias;
    QString m_sql;
    QVariantHash m_params; // name without colon -> value
    std::unique_ptr<Statement> m_statement;
    QString m_statementSql;             // its text as run
    bool m_rowReady = false;            // a row stepped to (by open) and not yet read
    // Statements of texts run before, reset, for the next time the same
    // text is opened (a chart refresh runs the same nine sums again and
    // again); they belong to m_keptDb's connection.
    std::vector<std::pair<QString, std::unique_ptr<Statement>>> m_kept;
    Database *m_keptDb = nullptr;
    std::vector<Column> m_columns;
    std::vector<Column> m_spareColumns; // emptied, kept for their buffers
    QStringList m_attachedFiles;
    QString m_schema;                   // the table read ("f7"), empty when none
    const TableLayout *m_layout = nullptr;
    qsizetype m_fromStart = -1;         // where the table name stands in the text
    qsizetype m_fromLength = 0;
    std::vector<QVariant> m_currentRow; // what Fields of the current row point to
    bool m_fieldsLive = false;          // Fields were handed out: keep m_currentRow current
    QStringList m_orderColumns;         // quoted; empty when the rows cannot be resumed by key
    std::vector<int> m_orderIndexes;    // their result columns
    QVariantList m_lastKey;             // their stored values in the last row read before letting go
    bool m_suspended = false;           // statement let go; resume after m_lastKey
    Database *m_db = nullptr;
    int m_position = 0;
    int m_fetched = 0;
    bool m_prepared = false;
    bool m_open = false;
    bool m_exhausted = true;
};

// Closes a query on every way out of a scope.
class QueryCloser final {
public:
    explicit QueryCloser(Query &query) : m_query(query) {}
    ~QueryCloser() { m_query.close(); }
    QueryCloser(const QueryCloser &) = delete;
    QueryCloser &operator=(const QueryCloser &) = delete;

private:
    Query &m_query;
};

} // namespace cofrel::data
