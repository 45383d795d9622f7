#pragma once

#include <QHash>
#include <QString>

#include <memory>

class QSqlDatabase;
class QSqlQuery;

namespace cofrel::data {

struct TableLayout;

// The table engine behind an alias: one SQLite connection over the data
// folder. Each table file in use is attached under a schema named after its
// base name in lower case ("f7" for f7.DB), and a temporary view of the
// same name stands for its table, so the system's SQL texts
// ("select * from f7 where Data>=:inicio") run exactly as written.
//
// Files are attached while a table or query uses them (reference counted)
// and detached when the last one closes, so a file replaced or deleted
// while the program runs is noticed by the next operation.
class Database final {
public:
    // The database of alias \a alias (created on first use; the alias must
    // have been given a folder).
    static Database &forAlias(const QString &alias);
    // Points \a alias at \a folder (the program sets "Cofrel" to
    // AppDir + "dados/"); an existing database of that alias is closed and
    // forgotten.
    static void setAliasFolder(const QString &alias, const QString &folder);
    static void closeAll();

    explicit Database(QString folder);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString folder() const { return m_folder; }

    // The path of file \a fileName in the folder, found without regard to
    // letter case ("f7.db" finds "f7.DB"); throws naming the file when
    // there is none.
    QString resolveFile(const QString &fileName) const;

    struct Attachment {
        QString schema;          // "f7"
        QString table;           // the internal table name, "fin"
        QString fileName;        // as the caller named it, for messages
        const TableLayout *layout = nullptr;
    };
    // Attaches the table file \a fileName (or counts one more user of it).
    Attachment attach(const QString &fileName);
    // One user fewer; detaches when none is left (deferred while a
    // transaction is open).
    void release(const QString &fileName);
    // The attachment of the table name used in SQL ("f7"), or nullptr.
    const Attachment *attachmentForTable(const QString &tableName) const;

    QSqlDatabase connection() const;
    // A query on this connection, forward-only.
    QSqlQuery newQuery() const;

    // Runs \a sql (no result rows); throws with the engine's message and
    // \a fileName named when it fails.
    void exec(const QString &sql, const QString &fileName = {});

    bool inTransaction() const { return m_transactionDepth > 0; }
    void begin();
    void commit();
    void rollback();

private:
    struct Entry {
        Attachment attachment;
        int users = 0;
    };
    void detachNow(const QString &key);
    void flushDeferredDetaches();

    QString m_folder;
    QString m_connectionName;
    QHash<QString, Entry> m_attached; // by lower-case base name
    QStringList m_deferredDetach;
    int m_transactionDepth = 0;
};

// All writes inside one SQLite transaction; rolled back unless commit() ran.
class Transaction final {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

// Turns an engine failure into a cofrel::Error whose Portuguese message
// names the file (locked, damaged, missing, read-only, disk full) and keeps
// the engine's own text.
[[noreturn]] void raiseEngineError(const QString &action, const QString &fileName,
                                   const QString &engineText, int sqliteCode);

} // namespace cofrel::data
