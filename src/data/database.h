#pragma once

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QSqlDatabase;
class QSqlError;
class QSqlQuery;
struct sqlite3;

namespace cofrel::data {

struct TableLayout;

// The table engine behind an alias: one SQLite connection over the data
// folder. Each table file in use is attached under a schema named after its
// base name in lower case ("f7" for f7.DB), and a temporary view of the
// same name stands for its table, so the system's SQL texts
// ("select * from f7 where Data>=:inicio") run exactly as written.
//
// Files are attached while a table or query uses them (reference counted).
// When the last user closes, the file stays attached, idle, with its page
// cache warm for the next operation (the statement and the sums reopen the
// same file again and again); the next attach checks that the file is still
// the same one, so a file replaced or deleted while the program runs is
// noticed then. Idle files beyond a few are detached, oldest first.
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
    // The connection's main database: the hidden file ".cofrel-principal.db"
    // of the data folder, or, when the folder cannot hold it (read-only), a
    // private file in the system's temporary folder; empty when even that
    // failed and the main database is in memory. A transaction that writes
    // to several table files commits in all of them or in none only while
    // this is a real file.
    QString mainFile() const { return m_mainFile; }
    static constexpr QLatin1String MainFileName{".cofrel-principal.db"};

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
    // \a action names, in a failure's message, what it was attached for
    // ("gravar na tabela" when the caller means to write).
    Attachment attach(const QString &fileName, const QString &action = QStringLiteral("abrir a tabela"));
    // One user fewer; a file without users stays attached, idle.
    void release(const QString &fileName);
    // Detaches every idle file (none while a transaction is open).
    void detachIdle();
    // The schemas attached at the moment, in use or idle (for tests).
    QStringList attachedSchemas() const;
    // The attachment of the table name used in SQL ("f7"), or nullptr.
    const Attachment *attachmentForTable(const QString &tableName) const;

    QSqlDatabase connection() const;
    // A query on this connection, forward-only.
    QSqlQuery newQuery() const;
    // SQLite's own handle of the connection, for reading many rows without
    // Qt SQL in between; nullptr unless the SQLite library this program
    // calls is proven to be the one Qt's driver runs (a Qt built with its
    // own SQLite, usual on Windows, is read through QSqlQuery instead).
    sqlite3 *nativeHandle() const { return m_nativeHandle; }
    // From now on rows are read through QSqlQuery, as with such a Qt.
    void readThroughQt() { m_nativeHandle = nullptr; }

    // What table file \a fileName looked like at a moment: a later stamp
    // differs after any write to it through this connection (also one not
    // yet committed, or rolled back later) or by anyone else.
    struct Stamp {
        qint64 connectionChanges = -1;
        QByteArray fileCounter;
        qint64 fileSize = -1;
        qint64 modifiedMs = -1;
        bool operator==(const Stamp &) const = default;
        // The same file on disk, whatever this connection did meanwhile
        // (what a later session can still compare).
        bool sameFileState(const Stamp &other) const
        {
            return fileCounter == other.fileCounter && fileSize == other.fileSize && modifiedMs == other.modifiedMs;
        }
    };
    std::optional<Stamp> stamp(const QString &fileName) const; // nullopt: cannot tell
    // Whether the file may have been written since \a since was taken.
    bool changedSince(const QString &fileName, const std::optional<Stamp> &since) const;

    // Components holding a cursor or an attachment register here while
    // open. Before a write to a schema, every reader of that schema is told
    // to settle (read the rest of its rows and finish its statement), so a
    // result already opened is a snapshot: a row moved by the write is never
    // read twice. When the database closes, every client is told to let go.
    struct Client {
        std::function<QStringList()> schemas; // schemas it reads with a live statement
        std::function<void()> settle;
        std::function<void()> closing;
    };
    void addClient(const void *key, Client client);
    void removeClient(const void *key);
    // Also notes, inside a transaction, that \a schema is about to be
    // written, so a failed commit names the files it concerned.
    void settleReaders(const QString &schema);

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
        QString path;
        quint64 device = 0;
        quint64 inode = 0;
        quint64 lastUse = 0;
        bool readOnly = false; // could not be written when attached
    };
    QString openConnection(const QString &mainFile);
    sqlite3 *sameEngineHandle() const;
    void finishInterruptedWrites();
    QString filesWrittenInTransaction() const;
    bool detachNow(const QString &key);
    bool stillValid(const Entry &entry, const QString &action);
    void evictIdle(int keepIdle, int maxTotal);
    void prepareAttachment(Entry &entry, const QString &path, const QString &action);

    QString m_folder;
    QString m_connectionName;
    QString m_mainFile;
    bool m_mainFileIsTemporary = false;
    QStringList m_writtenInTransaction; // schemas written since BEGIN, for messages
    QHash<QString, Entry> m_attached; // by lower-case base name
    QSet<QString> m_migrated; // paths whose indexes were checked this run
    QHash<const void *, Client> m_clients;
    quint64 m_useCounter = 0;
    int m_transactionDepth = 0;
    sqlite3 *m_nativeHandle = nullptr;
};

// The schema and SQL table name of a file name: "f7.DB" -> "f7".
QString schemaForFile(const QString &fileName);

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
// names the file (locked, damaged, missing, read-only, disk full), with the
// engine's own text as its details.
[[noreturn]] void raiseEngineError(const QString &action, const QString &fileName,
                                   const QString &engineText, int sqliteCode);
// What Qt's driver reports of a failure: SQLite's result code (0 when it
// gave none) and the engine's own text.
int nativeCode(const QSqlError &error);
QString engineText(const QSqlError &error);

} // namespace cofrel::data
