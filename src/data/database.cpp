#include "data/database.h"

#include "app/errors.h"
#include "app/login_context.h"
#include "data/layouts.h"
#include "data/lock_wait.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QUrl>
#include <QVariant>

#include <sqlite3.h>

#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

struct Registry {
    QHash<QString, QString> folders;                       // by lower-case alias
    std::map<QString, std::unique_ptr<Database>> databases; // by lower-case alias
};

Registry &registry()
{
    static Registry r;
    return r;
}

QString quoted(const QString &identifier)
{
    return u'"' % QString(identifier).replace(u'"', u"\"\""_s) % u'"';
}

// SQLite's primary result codes the messages distinguish.
enum : int {
    SqliteBusy = 5,
    SqliteLocked = 6,
    SqliteReadOnly = 8,
    SqliteIoErr = 10,
    SqliteCorrupt = 11,
    SqliteFull = 13,
    SqliteCantOpen = 14,
    SqliteNotADb = 26,
};
// The one extended code with a message of its own: the file was deleted,
// renamed or moved while open (SQLITE_READONLY_DBMOVED).
constexpr int SqliteReadOnlyDbMoved = SqliteReadOnly | (4 << 8);

} // namespace

namespace {

// How long a statement waits for a file another program holds locked.
constexpr int LockWaitMs = 2000;

struct LockWait {
    int operationDepth = 0;
    bool spent = false; // the operation has waited once already
};

LockWait &lockWait()
{
    static LockWait state;
    return state;
}

void setLockWait(int ms)
{
    for (const auto &[alias, db] : registry().databases) {
        QSqlQuery q = db->newQuery();
        q.exec(u"PRAGMA busy_timeout = %1"_s.arg(ms));
    }
}

// SQLite allows ten attached files; idle ones beyond this many are let go.
constexpr int MaxAttached = 10;
constexpr int MaxIdle = 6;

// A main database file that exists, owner-only when made here; empty when
// the folder cannot hold one.
QString mainFileIn(const QString &folder, const QString &name)
{
    const QString path = QDir(folder).filePath(name);
    if (QFileInfo(path).isFile())
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly, QFile::ReadOwner | QFile::WriteOwner))
        return {};
    return path;
}

QString temporaryMainFile()
{
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(u"cofrel-principal-XXXXXX.db"_s));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

bool writable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Files made while it lives are its owner's alone (a umask of 077).
class OwnerOnlyFiles final {
public:
    OwnerOnlyFiles() : m_previous(::umask(S_IRWXG | S_IRWXO)) {}
    ~OwnerOnlyFiles() { ::umask(m_previous); }
    OwnerOnlyFiles(const OwnerOnlyFiles &) = delete;
    OwnerOnlyFiles &operator=(const OwnerOnlyFiles &) = delete;

private:
    mode_t m_previous;
};

bool fileIdentity(const QString &path, quint64 &device, quint64 &inode)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = quint64(info.st_dev);
    inode = quint64(info.st_ino);
    return true;
}

} // namespace

QString schemaForFile(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot > 0 ? fileName.left(dot) : fileName).toLower();
}

// ---- Alias registry ---------------------------------------------------------

Database &Database::forAlias(const QString &alias)
{
    Registry &r = registry();
    const QString key = alias.toLower();
    auto it = r.databases.find(key);
    if (it != r.databases.end())
        return *it->second;
    QString folder = r.folders.value(key);
    if (folder.isEmpty() && key == u"cofrel"_s && !loginContext().AppDir.isEmpty())
        folder = loginContext().dataDir();
    if (folder.isEmpty())
        throw Error(u"O alias %1 não está configurado: falta a pasta de dados."_s.arg(alias));
    auto db = std::make_unique<Database>(folder);
    Database &ref = *db;
    r.databases.emplace(key, std::move(db));
    return ref;
}

void Database::setAliasFolder(const QString &alias, const QString &folder)
{
    Registry &r = registry();
    const QString key = alias.toLower();
    r.folders.insert(key, folder);
    auto it = r.databases.find(key);
    if (it != r.databases.end()) {
        // Destroy outside the map: a client told to let go must not find a
        // half-removed entry.
        std::unique_ptr<Database> old = std::move(it->second);
        r.databases.erase(it);
    }
}

void Database::closeAll()
{
    Registry &r = registry();
    while (!r.databases.empty()) {
        auto it = r.databases.begin();
        std::unique_ptr<Database> old = std::move(it->second);
        r.databases.erase(it);
    }
}

// ---- Connection -------------------------------------------------------------

Database::Database(QString folder)
    : m_folder(QDir::cleanPath(folder) + u'/')
{
    static int counter = 0;
    m_connectionName = u"cofrel-%1"_s.arg(++counter);

    // The main database must be a real file: only then does SQLite commit a
    // transaction over several attached files through a super-journal, all
    // files or none (a booking and its plan advance). It holds no table of
    // the program's, only sums kept from one session to the next (kept_sums.h).
    // A folder that cannot hold it (read-only) gets one in the temporary
    // folder, which keeps that promise against a crash of the program;
    // memory is the last resort, atomic per file only.
    tightenModes(m_folder);
    QString failure;
    const QString inFolder = mainFileIn(m_folder, QString(MainFileName));
    if (!inFolder.isEmpty() && (failure = openConnection(inFolder)).isEmpty()) {
        m_mainFile = inFolder;
    } else {
        const QString temporary = temporaryMainFile();
        if (!temporary.isEmpty() && (failure = openConnection(temporary)).isEmpty()) {
            m_mainFile = temporary;
            m_mainFileIsTemporary = true;
        } else {
            if (!temporary.isEmpty())
                QFile::remove(temporary);
            failure = openConnection({});
        }
    }
    if (!failure.isEmpty())
        throw Error(u"Não foi possível iniciar o mecanismo de tabelas na pasta %1."_s.arg(
                        QDir::toNativeSeparators(m_folder)),
                    failure);
    exec(u"PRAGMA temp_store = MEMORY"_s);
    m_nativeHandle = sameEngineHandle();
    if (!m_mainFile.isEmpty()) {
        // Never WAL: a super-journal is only written in rollback mode. A
        // read-only main file simply keeps its settings.
        QSqlQuery q = newQuery();
        q.exec(u"PRAGMA main.journal_mode = DELETE"_s);
        q.exec(u"PRAGMA main.synchronous = FULL"_s);
    }
    if (!m_mainFileIsTemporary && !m_mainFile.isEmpty())
        finishInterruptedWrites();
}

// A write the program did not live to finish left a journal beside each
// file it touched and, over two files, a super-journal beside the main
// file. Each table with a journal is read once now, which lets the engine
// roll it back (deleting the super-journal with the last journal that
// names it). A super-journal written just before the crash may be named by
// no journal at all: the engine never looks at it again. Every super-
// journal is needed only while some journal of the folder exists (a
// commit makes the journals first and deletes them last), so once none is
// left the remaining super-journals are orphans and go.
void Database::finishInterruptedWrites()
{
    const QStringList superJournals = superJournalsIn(m_folder, QString(MainFileName));
    const QStringList journals = journalsIn(m_folder);
    if (journals.isEmpty() && superJournals.isEmpty())
        return;
    const QString schema = u"cofrel_recupera"_s;
    for (const QString &journal : journals) {
        const QString table = journal.chopped(qsizetype(sizeof("-journal") - 1));
        if (table == m_mainFile || !QFileInfo(table).isFile())
            continue;
        QSqlQuery q = newQuery();
        q.prepare(u"ATTACH DATABASE ? AS "_s % schema);
        q.addBindValue(QString(QUrl::fromLocalFile(table).toString(QUrl::FullyEncoded) + u"?mode=rw"_s));
        if (!q.exec())
            continue;
        q.exec(u"SELECT count(*) FROM %1.sqlite_master"_s.arg(schema));
        q.finish();
        q.exec(u"DETACH DATABASE "_s % schema);
    }
    if (!journalsIn(m_folder).isEmpty())
        return;
    for (const QString &superJournal : superJournals)
        QFile::remove(superJournal);
}

// Opens the connection over \a mainFile (memory when empty) and checks that
// the file reads as a database; the reason when it does not.
QString Database::openConnection(const QString &mainFile)
{
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
        // mode=rw: a main file that can only be read would fail every
        // BEGIN IMMEDIATE; the temporary folder serves instead.
        db.setDatabaseName(mainFile.isEmpty()
                               ? u":memory:"_s
                               : QUrl::fromLocalFile(mainFile).toString(QUrl::FullyEncoded) + u"?mode=rw"_s);
        // A file locked by another program is waited for briefly, then the
        // operation fails with a message naming it.
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI"_s.arg(lockWait().spent ? 0 : LockWaitMs));
        if (!db.open()) {
            failure = engineText(db.lastError());
        } else {
            QSqlQuery q(db);
            if (!q.exec(u"SELECT count(*) FROM main.sqlite_master"_s) || !q.next())
                failure = engineText(q.lastError());
            // An empty file becomes a database at the first write
            // transaction; done now, so later ones never write to it.
            else if (!mainFile.isEmpty() && QFileInfo(mainFile).size() == 0
                     && !q.exec(u"PRAGMA main.user_version = 1"_s))
                failure = engineText(q.lastError());
        }
        if (failure.isEmpty())
            return {};
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    return failure.isEmpty() ? u"?"_s : failure;
}

Database::~Database()
{
    // Components still open let go of their cursors first.
    const auto clients = m_clients;
    m_clients.clear();
    for (const Client &c : clients) {
        if (c.closing)
            c.closing();
    }
    if (m_transactionDepth > 0) {
        QSqlQuery q = newQuery();
        q.exec(u"ROLLBACK"_s);
        m_transactionDepth = 0;
    }
    {
        QSqlDatabase db = connection();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    if (m_mainFileIsTemporary)
        QFile::remove(m_mainFile);
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

// The driver's handle is only of use to the SQLite linked here when it is
// the same library: the same version and the same source.
sqlite3 *Database::sameEngineHandle() const
{
    const QSqlDatabase db = connection();
    const QVariant handle = db.isOpen() && db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    QSqlQuery q = newQuery();
    if (!q.exec(u"SELECT sqlite_version(), sqlite_source_id()"_s) || !q.next())
        return nullptr;
    if (q.value(0).toString() != QLatin1StringView(sqlite3_libversion())
        || q.value(1).toString() != QLatin1StringView(sqlite3_sourceid()))
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

std::optional<Database::Stamp> Database::stamp(const QString &fileName) const
{
    QSqlQuery changes = newQuery();
    if (!changes.exec(u"SELECT total_changes()"_s) || !changes.next())
        return std::nullopt;
    QString path;
    try {
        path = resolveFile(fileName);
    } catch (const std::exception &) {
        return std::nullopt;
    }
    // Bytes 24 to 27 of an SQLite file: incremented by every commit of any
    // connection (the tables are kept in rollback-journal mode).
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(24))
        return std::nullopt;
    const QByteArray counter = file.read(4);
    if (counter.size() != 4)
        return std::nullopt;
    // A copy put in the file's place may bear the same counter.
    const QFileInfo info(file);
    return Stamp{changes.value(0).toLongLong(), counter, info.size(),
                 info.lastModified().toMSecsSinceEpoch()};
}

bool Database::changedSince(const QString &fileName, const std::optional<Stamp> &since) const
{
    const std::optional<Stamp> now = stamp(fileName);
    return !since || !now || *since != *now;
}

QSqlQuery Database::newQuery() const
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    return q;
}

void Database::exec(const QString &sql, const QString &fileName)
{
    QSqlQuery q = newQuery();
    if (!q.exec(sql))
        raiseEngineError(u"executar uma instrução sobre"_s, fileName, engineText(q.lastError()),
                         nativeCode(q.lastError()));
}

// ---- Files ------------------------------------------------------------------

QString Database::resolveFile(const QString &fileName) const
{
    if (fileName.isEmpty() || fileName.contains(u'/') || fileName.contains(u'\\')
        || fileName == u"."_s || fileName == u".."_s)
        throw Error(u"Nome de tabela inválido: \"%1\"."_s.arg(fileName));
    const QDir dir(m_folder);
    const QString exact = dir.filePath(fileName);
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    throw Error(u"A tabela %1 não foi encontrada na pasta de dados %2."_s.arg(
        fileName, QDir::toNativeSeparators(m_folder)));
}

Database::Attachment Database::attach(const QString &fileName, const QString &action)
{
    const QString key = schemaForFile(fileName);
    static const QRegularExpression plainName(u"^[a-z_][a-z0-9_]*$"_s);
    if (!plainName.match(key).hasMatch() || key == u"main"_s || key == u"temp"_s)
        throw Error(u"Nome de tabela inválido: \"%1\"."_s.arg(fileName));

    auto it = m_attached.find(key);
    if (it != m_attached.end()) {
        if (it->users > 0 || stillValid(*it, action)) {
            ++it->users;
            it->lastUse = ++m_useCounter;
            return it->attachment;
        }
        // The idle file was deleted or replaced: start afresh.
        if (!detachNow(key))
            raiseEngineError(action, fileName, u"database is locked"_s, 6);
        m_attached.erase(it);
    }
    evictIdle(MaxIdle - 1, MaxAttached - 1);

    const QString path = resolveFile(fileName);
    Entry entry;
    entry.attachment.schema = key;
    entry.attachment.fileName = fileName;
    entry.path = path;
    entry.readOnly = !writable(path);
    fileIdentity(path, entry.device, entry.inode);
    prepareAttachment(entry, path, action);
    entry.users = 1;
    entry.lastUse = ++m_useCounter;
    m_attached.insert(key, entry);
    return entry.attachment;
}

// An idle file is taken up again only while it is the same file and still
// holds its table: a file deleted, replaced or damaged meanwhile is attached
// afresh, which reports it.
bool Database::stillValid(const Entry &entry, const QString &action)
{
    quint64 device = 0;
    quint64 inode = 0;
    if (!fileIdentity(entry.path, device, inode) || device != entry.device || inode != entry.inode)
        return false;
    // Opened while it could only be read (a read-only folder): now that it
    // can be written, it is opened again, or it would stay read-only.
    if (entry.readOnly && writable(entry.path))
        return false;
    QSqlQuery q = newQuery();
    q.prepare(u"SELECT 1 FROM %1.sqlite_master WHERE type = 'table' AND name = ?"_s.arg(
        quoted(entry.attachment.schema)));
    q.addBindValue(entry.attachment.table);
    if (q.exec())
        return q.next();
    // Locked by another program is not replaced: say so now rather than
    // wait again while attaching it anew.
    const int code = nativeCode(q.lastError()) & 0xff;
    if (code == SqliteBusy || code == SqliteLocked)
        raiseEngineError(action, entry.attachment.fileName, engineText(q.lastError()), code);
    return false;
}

void Database::evictIdle(int keepIdle, int maxTotal)
{
    if (inTransaction())
        return;
    for (;;) {
        QString oldest;
        quint64 oldestUse = 0;
        int idle = 0;
        for (auto it = m_attached.cbegin(); it != m_attached.cend(); ++it) {
            if (it->users > 0)
                continue;
            ++idle;
            if (oldest.isEmpty() || it->lastUse < oldestUse) {
                oldest = it.key();
                oldestUse = it->lastUse;
            }
        }
        if (idle == 0 || (idle <= keepIdle && m_attached.size() <= maxTotal) || !detachNow(oldest))
            return;
        m_attached.remove(oldest);
    }
}

void Database::detachIdle()
{
    if (inTransaction())
        return;
    const QStringList keys = m_attached.keys();
    for (const QString &key : keys) {
        if (m_attached.value(key).users == 0 && detachNow(key))
            m_attached.remove(key);
    }
}

QStringList Database::attachedSchemas() const
{
    QStringList keys = m_attached.keys();
    keys.sort();
    return keys;
}

void Database::prepareAttachment(Entry &entry, const QString &path, const QString &action)
{
    const QString schema = quoted(entry.attachment.schema);
    const QString &fileName = entry.attachment.fileName;
    {
        // mode=rw: a file that vanished since it was found is not created anew.
        QSqlQuery q = newQuery();
        q.prepare(u"ATTACH DATABASE ? AS "_s % schema);
        q.addBindValue(QString(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + u"?mode=rw"_s));
        if (!q.exec())
            raiseEngineError(action, fileName, engineText(q.lastError()), nativeCode(q.lastError()));
    }
    const auto detachQuietly = [&] {
        QSqlQuery q = newQuery();
        q.exec(u"DETACH DATABASE "_s % schema);
    };

    const TableLayout *layout = nullptr;
    {
        QSqlQuery q = newQuery();
        if (!q.exec(u"SELECT name FROM %1.sqlite_master WHERE type = 'table'"_s.arg(schema))) {
            const QSqlError error = q.lastError();
            q = QSqlQuery();
            detachQuietly();
            raiseEngineError(action, fileName, engineText(error), nativeCode(error));
        }
        while (!layout && q.next())
            layout = layoutByInternalName(q.value(0).toString());
        if (!layout && q.lastError().isValid()) {
            const QSqlError error = q.lastError();
            q = QSqlQuery();
            detachQuietly();
            raiseEngineError(action, fileName, engineText(error), nativeCode(error));
        }
    }
    if (!layout) {
        detachQuietly();
        throw Error(u"O arquivo %1 está danificado ou não é uma tabela do Cofrel (pasta %2)."_s.arg(
            fileName, QDir::toNativeSeparators(m_folder)));
    }
    entry.attachment.layout = layout;
    entry.attachment.table = layout->internalName;

    QSqlQuery q = newQuery();
    q.exec(u"PRAGMA %1.synchronous = FULL"_s.arg(schema));
    // Room for the indexes of a large ledger: the sums read them whole.
    q.exec(u"PRAGMA %1.cache_size = -32768"_s.arg(schema));
    q.exec(u"PRAGMA %1.journal_mode = DELETE"_s.arg(schema));
    if (!m_migrated.contains(path)) {
        // Older files gain the indexes; a read-only or busy file simply
        // goes without them this time.
        bool all = true;
        for (const QString &statement : layout->migrations)
            all = q.exec(statement.arg(schema)) && all;
        if (all)
            m_migrated.insert(path);
    }
    q.exec(u"DROP VIEW IF EXISTS temp.%1"_s.arg(schema));
    if (!q.exec(u"CREATE TEMP VIEW %1 AS SELECT * FROM %1.%2 ORDER BY %3"_s.arg(
            schema, quoted(layout->internalName), layout->viewOrder))) {
        const QSqlError error = q.lastError();
        q = QSqlQuery();
        detachQuietly();
        raiseEngineError(action, fileName, engineText(error), nativeCode(error));
    }
}

void Database::release(const QString &fileName)
{
    const QString key = schemaForFile(fileName);
    auto it = m_attached.find(key);
    if (it == m_attached.end() || it->users <= 0)
        return;
    --it->users;
    // Idle now: it stays attached for the next operation.
}

bool Database::detachNow(const QString &key)
{
    QSqlQuery q = newQuery();
    q.exec(u"DROP VIEW IF EXISTS temp.%1"_s.arg(quoted(key)));
    return q.exec(u"DETACH DATABASE %1"_s.arg(quoted(key)));
}

const Database::Attachment *Database::attachmentForTable(const QString &tableName) const
{
    auto it = m_attached.constFind(tableName.toLower());
    if (it == m_attached.constEnd() || it->users <= 0)
        return nullptr;
    return &it->attachment;
}

// ---- Clients ----------------------------------------------------------------

void Database::addClient(const void *key, Client client)
{
    m_clients.insert(key, std::move(client));
}

void Database::removeClient(const void *key)
{
    m_clients.remove(key);
}

void Database::settleReaders(const QString &schema)
{
    if (inTransaction() && !m_writtenInTransaction.contains(schema))
        m_writtenInTransaction << schema;
    const auto clients = m_clients;
    for (const Client &c : clients) {
        if (c.settle && c.schemas && c.schemas().contains(schema))
            c.settle();
    }
}

// ---- Transactions -----------------------------------------------------------

void Database::begin()
{
    if (m_transactionDepth == 0) {
        QSqlQuery q = newQuery();
        if (!q.exec(u"BEGIN IMMEDIATE"_s)) {
            // Every attached file is locked for writing: those in use are
            // the ones the caller means to write.
            QStringList names;
            for (const Entry &e : std::as_const(m_attached)) {
                if (e.users > 0)
                    names << e.attachment.fileName;
            }
            raiseEngineError(u"gravar na tabela"_s, names.join(u" e "_s), engineText(q.lastError()),
                             nativeCode(q.lastError()));
        }
        m_writtenInTransaction.clear();
    }
    ++m_transactionDepth;
}

// The files a transaction wrote, as their callers named them ("f1.db e d1.db").
QString Database::filesWrittenInTransaction() const
{
    QStringList names;
    for (const QString &schema : m_writtenInTransaction) {
        const auto it = m_attached.constFind(schema);
        names << (it != m_attached.constEnd() ? it->attachment.fileName : schema);
    }
    return names.join(u" e "_s);
}

void Database::commit()
{
    if (m_transactionDepth <= 0)
        throw Error(u"Não há transação aberta para confirmar."_s);
    if (m_transactionDepth == 1) {
        QSqlQuery q = newQuery();
        // The engine makes a two-file write's super-journal with the
        // process's umask, not the tables' mode: owner-only here.
        const OwnerOnlyFiles ownerOnly;
        if (!q.exec(u"COMMIT"_s)) {
            const QSqlError error = q.lastError();
            const QString files = filesWrittenInTransaction();
            q.exec(u"ROLLBACK"_s);
            m_transactionDepth = 0;
            evictIdle(MaxIdle, MaxAttached);
            raiseEngineError(u"gravar"_s, files, engineText(error), nativeCode(error));
        }
    }
    if (--m_transactionDepth == 0)
        evictIdle(MaxIdle, MaxAttached);
}

void Database::rollback()
{
    if (m_transactionDepth <= 0)
        return;
    QSqlQuery q = newQuery();
    q.exec(u"ROLLBACK"_s);
    m_transactionDepth = 0;
    evictIdle(MaxIdle, MaxAttached);
}

Transaction::Transaction(Database &db)
    : m_db(db)
{
    m_db.begin();
}

Transaction::~Transaction()
{
    if (!m_done) {
        try {
            m_db.rollback();
        } catch (...) {
        }
    }
}

void Transaction::commit()
{
    m_done = true;
    m_db.commit();
}

// ---- Messages ---------------------------------------------------------------

int nativeCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 0;
}

QString engineText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

namespace {

// A data folder that cannot be written refuses every write in it, a
// journal's first: said of the folder, not of one table.
void refuseInReadOnlyFolder(const QString &action, const QString &file, const QString &engineText)
{
    for (const auto &[alias, db] : registry().databases) {
        if (!writable(db->folder()))
            throw Error(u"A pasta de dados %1 está protegida contra gravação; não foi possível %2 %3."_s.arg(
                            QDir::toNativeSeparators(QDir::cleanPath(db->folder())), action, file),
                        engineText);
    }
}

} // namespace

void raiseEngineError(const QString &action, const QString &fileName, const QString &engineText,
                      int sqliteCode)
{
    const QString file = fileName.isEmpty() ? u"(sem tabela)"_s : fileName;
    switch (sqliteCode & 0xff) {
    case SqliteBusy:
    case SqliteLocked:
        if (lockWait().operationDepth > 0 && !lockWait().spent) {
            lockWait().spent = true;
            setLockWait(0);
        }
        throw Error(u"A tabela %1 está bloqueada por outro programa; não foi possível %2. "
              u"Tente de novo em instantes."_s.arg(file, action), engineText);
    case SqliteCorrupt:
    case SqliteNotADb:
        throw Error(u"O arquivo %1 está danificado ou não é uma tabela do Cofrel."_s.arg(file), engineText);
    case SqliteReadOnly:
        if (sqliteCode == SqliteReadOnlyDbMoved)
            throw Error(u"O arquivo da tabela %1 foi apagado, renomeado ou movido enquanto o Cofrel o usava; "
                  u"não foi possível %2."_s.arg(file, action), engineText);
        refuseInReadOnlyFolder(action, file, engineText);
        throw Error(u"A tabela %1 está protegida contra gravação; não foi possível %2."_s.arg(file, action), engineText);
    case SqliteFull:
        throw Error(u"Não há espaço em disco para gravar na tabela %1."_s.arg(file), engineText);
    case SqliteCantOpen:
        refuseInReadOnlyFolder(action, file, engineText);
        throw Error(u"Não foi possível %1 %2: o arquivo, ou o diário de gravação que o acompanha na pasta "
              u"de dados, não pôde ser aberto; veja se a pasta permite gravação."_s.arg(action, file), engineText);
    case SqliteIoErr:
        throw Error(u"Erro de leitura ou gravação no arquivo %1."_s.arg(file), engineText);
    default:
        break;
    }
    if (fileName.isEmpty())
        throw Error(u"Erro do mecanismo de tabelas ao %1."_s.arg(action), engineText);
    throw Error(u"Erro do mecanismo de tabelas ao %1 %2."_s.arg(action, fileName), engineText);
}

LockWaitOperation::LockWaitOperation() noexcept
{
    ++lockWait().operationDepth;
}

LockWaitOperation::~LockWaitOperation()
{
    LockWait &state = lockWait();
    if (--state.operationDepth > 0 || !state.spent)
        return;
    state.spent = false;
    try {
        setLockWait(LockWaitMs);
    } catch (...) {
    }
}

} // namespace cofrel::data
