#pragma once

#include "data/database.h"
#include "data/field.h"
#include "data/result_columns.h"
#include "data/sql.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace cofrel::data {

class Statement;

// A query component over one of the program's statements (Sql): named
// parameters are bound as dates or integers, then it is prepared and
// opened. The result is read either as one value (SUM, where a null reads
// as 0) or walked row by row with first/next/eof like a table.
//
// Rows are fetched from the engine only as far as someone reads (the walk,
// or a grid through fetchUpTo()), and kept in a compact column store, so a
// statement over a million rows costs nothing until it is read.
//
// Before the program writes to the table a query reads, the query settles:
// a small result is read to its end, so it stays exactly what it was when
// opened (the due-entry check advances rows it is still walking); a large
// one lets go of its statement and later goes on after the last row it
// read, in its key order, seeing the rows as they are by then.
class Query final : public QObject {
    Q_OBJECT
public:
    Query(QString alias, QObject *parent = nullptr);
    ~Query() override;

    void clearSql();
    void setSql(const Sql &sql);
    QString sql() const { return m_sql ? m_sql->text() : QString(); } // as the system writes it

    void bindDate(const QString &name, const QDate &value);
    void bindInteger(const QString &name, qint64 value);

    void prepare();
    void open(); // prepares first when needed
    void close(); // never throws
    bool isOpen() const { return m_state == State::Open; }

    // The first column of the single result row; a null reads as 0.
    double singleValueAsFloat();

    // ---- The walk -------------------------------------------------------
    void first();
    void next();
    bool eof() const;
    bool isEmpty(); // no rows at all
    int position() const { return m_position; } // current row, 0-based
    void moveTo(int row); // fetches as needed; past the end means eof

    Field fieldByName(const QString &name);

    // ---- Row access for grids ------------------------------------------
    int columnCount() const { return m_rows.count(); }
    QString columnName(int column) const { return m_rows.name(column); }
    ColumnKind columnKind(int column) const { return m_rows.kind(column); }
    // The rows held are a window [firstHeld(), fetchedRows()) of the
    // result; a move far from it, or a grid showing rows far from it,
    // starts the window again there instead of reading every row between.
    int firstHeld() const { return m_base; }
    int fetchedRows() const { return m_base + m_rows.rows(); }
    // The number of rows of the result, counted when it opened (-1 for a sum).
    int rowCount() const { return m_total; }
    // Makes row \a row held, reading a few rows ahead of it.
    void hold(int row);
    bool allFetched() const { return m_reading == Reading::Done; }
    // Fetches until at least \a rows rows are held or the result ends.
    void fetchUpTo(int rows);
    QVariant value(int row, int column) const { return m_rows.value(row - m_base, column); } // a held row
    int columnIndex(const QString &name) const { return m_rows.indexOf(name); } // -1 when there is none
    // Reads for walks over many rows, without a QVariant per value. Each
    // answers only for a column holding values of its own kind, and
    // nullopt otherwise, so that the caller falls back to value(): a text
    // as its stored UTF-8 bytes (a null one empty), a number (null: 0), a
    // date (null: invalid). The bytes stay valid until the query fetches
    // more rows or is closed.
    std::optional<QByteArrayView> textAt(int row, int column) const { return m_rows.textAt(row - m_base, column); }
    std::optional<double> realAt(int row, int column) const { return m_rows.realAt(row - m_base, column); }
    std::optional<QDate> dateAt(int row, int column) const { return m_rows.dateAt(row - m_base, column); }

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
    // Rows read ahead rather than starting the window again.
    static constexpr int NearRows = 256;
    // Keys of rows that jumps found, kept to seek from (a few bytes each).
    static constexpr size_t MaxSampled = 4096;

Q_SIGNALS:
    void opened();
    void closed();
    void positionChanged(int row);

private:
    class KeptStatements;
    enum class State { Closed, Prepared, Open };
    enum class Reading { Live, Suspended, Done };

    QString runText() const;
    void bindParameters(Statement &statement) const;
    bool fetchOne();
    void finish();
    void settle();
    void resume();
    void startAt(int row);
    QVariantList keyFromEnd(int fromEnd);
    QVariantList keyOfRow(int row);
    QVariantList keyFrom(const QVariant &lead, int skip);
    void noteKey(int row, const QVariantList &key);
    int countRows();
    void forgetDatabase();
    void becomeClosed(); // the members as a closed query has them
    void refreshCurrentRow();

    QString m_alias;
    std::optional<Sql> m_sql;
    QVariantHash m_params; // name without colon -> value
    Database *m_db = nullptr;
    Database::Attachment m_table; // while prepared
    std::unique_ptr<Statement> m_statement;
    std::unique_ptr<KeptStatements> m_kept;
    ResultColumns m_rows;
    std::vector<QVariant> m_currentRow; // what Fields of the current row point to
    bool m_fieldsLive = false;          // Fields were handed out: keep m_currentRow current
    QVariantList m_lastKey;             // the key of the last row read before the statement let go
    bool m_continued = false;           // the statement is not the prepared one
    int m_base = 0;                     // the first row held
    struct SampledKey {
        QVariant lead;    // its leading key column
        int firstSharing; // the first row with that leading column
    };
    std::map<int, SampledKey> m_sample; // by row
    std::optional<Database::Stamp> m_sampleTakenAt;
    int m_total = -1;
    int m_position = 0;
    State m_state = State::Closed;
    Reading m_reading = Reading::Done;
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
