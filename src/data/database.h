#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariantMap>

class QSqlError;

namespace cofrel::data {

// The table engine of the data folder: one SQLite connection, opened at its
// first use. Each table file in use is attached under its base name in
// lower case ("f7" for f7.DB), and a temporary view of that name stands for
// its table, so the program's SQL texts ("select * from f7 where
// Data>=:inicio") run exactly as written.
//
// The connection's main database is the folder's hidden
// ".cofrel-principal.db": only over a real main file does SQLite commit a
// transaction that spans two table files all or nothing (a booking and its
// plan advance). A folder that cannot hold it gets one in the system's
// temporary folder.
class Database final {
public:
    explicit Database(QString folder);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    QString folder() const { return m_folder; }
    // The main database file; empty before the first use, or when even the
    // temporary folder could not hold one (memory then: atomic per file only).
    QString mainFile() const { return m_mainFile; }
    static constexpr QLatin1StringView MainFileName{".cofrel-principal.db"};

    // The path of \a fileName in the folder, letter case ignored ("f7.db"
    // finds "f7.DB"); throws naming the file when there is none.
    QString resolveFile(const QString &fileName) const;

    // Attaches the table file \a fileName, or attaches it anew when it was
    // replaced, deleted or had its permissions changed since, and returns
    // the name its table has in SQL ("f7").
    QString attach(const QString &fileName);
    // Lets go of \a fileName (a user's tables before they are deleted).
    void detach(const QString &fileName);
    // A mark of what \a fileName holds: it differs after any write to it,
    // by this connection or another, and after the file is attached anew.
    QString contentMark(const QString &fileName);

    // Prepares \a sql, binds \a binds by name (":now") and runs it. Throws a
    // cofrel::Error naming \a fileName and saying what could not be done
    // (\a action, "ler a tabela") when the engine refuses.
    QSqlQuery run(const QString &sql, const QVariantMap &binds, const QString &action, const QString &fileName);
    // The same in two steps, for a statement run many times over.
    QSqlQuery prepare(const QString &sql, const QString &action, const QString &fileName);
    void exec(QSqlQuery &query, const QVariantMap &binds, const QString &action, const QString &fileName);

    // A transaction over the table files \a fileNames (attached first: the
    // engine attaches nothing inside a transaction).
    void begin(const QStringList &fileNames);
    void commit();
    void rollback() noexcept;
    bool inTransaction() const { return m_inTransaction; }

private:
    struct Attached {
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        bool writable = false;
        bool empty = false; // emptied in place: no longer a table file
        bool operator==(const Attached &) const = default;
    };
    void open();
    QString openConnection(const QString &mainFile);
    void finishInterruptedWrites();
    void attachAs(const QString &schema, const QString &fileName, const QString &path);
    bool detachSchema(const QString &schema);
    QSqlQuery newQuery() const;

    QString m_folder;
    QString m_connectionName;
    QString m_mainFile;
    bool m_mainFileIsTemporary = false;
    bool m_open = false;
    bool m_inTransaction = false;
    quint64 m_attachments = 0; // attachments made, for contentMark()
    QString m_transactionFiles; // for a failed commit's message
    QHash<QString, Attached> m_attached; // by schema
};

// All writes inside one SQLite transaction; rolled back unless committed.
class Transaction final {
public:
    Transaction(Database &db, const QStringList &fileNames);
    ~Transaction();
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

private:
    Database &m_db;
    bool m_done = false;
};

// The next row of \a query; false at the end. Throws like Database::run
// when the engine fails half way (a file damaged past its first pages).
bool nextRow(QSqlQuery &query, const QString &action, const QString &fileName);

// The name a table file's table has in SQL: "f7.DB" -> "f7".
QString tableNameOf(const QString &fileName);

// Turns an engine failure into a cofrel::Error whose Portuguese message
// names the file (locked, damaged, missing, read-only, disk full), or the
// data \a folder when it cannot be written, with the engine's own text as
// its details.
[[noreturn]] void raiseEngineError(const QString &action, const QString &fileName, const QSqlError &error,
                                   const QString &folder = {});

} // namespace cofrel::data
