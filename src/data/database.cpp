#include "data/database.h"

#include "app/errors.h"
#include "data/schema.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryFile>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

// How long a statement waits for a file another program holds locked.
constexpr int LockWaitMs = 2000;

// SQLite's primary result codes the messages tell apart.
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
// The file was deleted, renamed or moved while open (SQLITE_READONLY_DBMOVED).
constexpr int SqliteReadOnlyDbMoved = SqliteReadOnly | (4 << 8);

QString uriOf(const QString &path)
{
    // mode=rw: a file that vanished since it was found is not made anew.
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + u"?mode=rw"_s;
}

// A main database file that exists, owner-only when made here; empty when
// the folder cannot hold one.
QString mainFileIn(const QString &folder)
{
    const QString path = QDir(folder).filePath(QString(Database::MainFileName));
    if (QFileInfo(path).isFile())
        return path;
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnlyFile) ? path : QString();
}

QString temporaryMainFile()
{
    QTemporaryFile file(QDir(QDir::tempPath()).filePath(u"cofrel-principal-XXXXXX.db"_s));
    file.setAutoRemove(false);
    return file.open() ? file.fileName() : QString();
}

// Files made while it lives are its owner's alone (a umask of 077): the
// engine makes a two-file write's super-journal with the process's umask.
class OwnerOnlyFiles final {
public:
    OwnerOnlyFiles() : m_previous(::umask(S_IRWXG | S_IRWXO)) {}
    ~OwnerOnlyFiles() { ::umask(m_previous); }
    OwnerOnlyFiles(const OwnerOnlyFiles &) = delete;
    OwnerOnlyFiles &operator=(const OwnerOnlyFiles &) = delete;

private:
    mode_t m_previous;
};

int nativeCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : 0;
}

} // namespace

QString tableNameOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return (dot > 0 ? fileName.left(dot) : fileName).toLower();
}

Database::Database(QString folder)
    : m_folder(QDir::cleanPath(folder) + u'/')
{
    static int counter = 0;
    m_connectionName = u"cofrel-%1"_s.arg(++counter);
}

Database::~Database()
{
    rollback();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    if (m_mainFileIsTemporary)
        QFile::remove(m_mainFile);
}

void Database::open()
{
    if (m_open)
        return;
    tightenModes(m_folder);
    QString failure;
    const QString inFolder = mainFileIn(m_folder);
    if (!inFolder.isEmpty() && (failure = openConnection(inFolder)).isEmpty()) {
        m_mainFile = inFolder;
    } else {
        // A read-only folder: the temporary folder keeps the two-file
        // promise against a crash of the program; memory is the last resort.
        const QString temporary = temporaryMainFile();
        if (!temporary.isEmpty() && (failure = openConnection(temporary)).isEmpty()) {
            m_mainFile = temporary;
            m_mainFileIsTemporary = true;
        } else {
            QFile::remove(temporary);
            failure = openConnection({});
        }
    }
    if (!failure.isEmpty())
        throw Error(u"Não foi possível iniciar o mecanismo de tabelas na pasta %1."_s.arg(
                        QDir::toNativeSeparators(m_folder)),
                    failure);
    m_open = true;
    QSqlQuery q = newQuery();
    q.exec(u"PRAGMA temp_store = MEMORY"_s);
    // Never WAL: a super-journal is only written in rollback mode.
    q.exec(u"PRAGMA main.journal_mode = DELETE"_s);
    q.exec(u"PRAGMA main.synchronous = FULL"_s);
    q.exec(u"DROP TABLE IF EXISTS main.somas_guardadas"_s); // kept by earlier versions
    if (!m_mainFileIsTemporary && !m_mainFile.isEmpty())
        finishInterruptedWrites();
}

// Opens the connection over \a mainFile (memory when empty) and checks that
// it reads as a database; the reason when it does not.
QString Database::openConnection(const QString &mainFile)
{
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_connectionName);
        db.setDatabaseName(mainFile.isEmpty() ? u":memory:"_s : uriOf(mainFile));
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI"_s.arg(LockWaitMs));
        if (!db.open()) {
            failure = db.lastError().text();
        } else {
            QSqlQuery q(db);
            // An empty file becomes a database at its first write; done
            // now, so that no later transaction writes to it.
            if (!q.exec(u"SELECT count(*) FROM main.sqlite_master"_s)
                || (!mainFile.isEmpty() && QFileInfo(mainFile).size() == 0
                    && !q.exec(u"PRAGMA main.user_version = 1"_s)))
                failure = q.lastError().text();
        }
        if (failure.isEmpty())
            return {};
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    return failure;
}

// A write the program did not live to finish left a journal beside each
// file it touched and, over two files, a super-journal beside the main
// file. Each file with a journal is attached and read once now, which lets
// the engine roll it back (and delete the super-journal with the last
// journal naming it). A super-journal is needed only while some journal of
// the folder exists, so once none is left the remaining ones are orphans.
void Database::finishInterruptedWrites()
{
    const QStringList superJournals = superJournalsIn(m_folder, QString(MainFileName));
    const QStringList journals = journalsIn(m_folder);
    for (const QString &journal : journals) {
        const QString table = journal.chopped(qsizetype(sizeof("-journal") - 1));
        if (table == m_mainFile || !QFileInfo(table).isFile())
            continue;
        QSqlQuery q = newQuery();
        q.prepare(u"ATTACH DATABASE :uri AS cofrel_recupera"_s);
        q.bindValue(u":uri"_s, uriOf(table));
        if (!q.exec())
            continue;
        q.exec(u"SELECT count(*) FROM cofrel_recupera.sqlite_master"_s);
        q.finish();
        q.exec(u"DETACH DATABASE cofrel_recupera"_s);
    }
    if (!journalsIn(m_folder).isEmpty())
        return;
    for (const QString &superJournal : superJournals)
        QFile::remove(superJournal);
}

QSqlQuery Database::newQuery() const
{
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    q.setForwardOnly(true);
    return q;
}

QString Database::resolveFile(const QString &fileName) const
{
    if (fileName.isEmpty() || fileName.contains(u'/') || fileName.contains(u'\\') || fileName == u"."_s
        || fileName == u".."_s)
        throw Error(u"Nome de tabela inválido: \"%1\"."_s.arg(fileName));
    const QDir dir(m_folder);
    if (QFileInfo(dir.filePath(fileName)).isFile())
        return dir.filePath(fileName);
    for (const QString &entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (entry.compare(fileName, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    throw Error(u"A tabela %1 não foi encontrada na pasta de dados %2."_s.arg(
        fileName, QDir::toNativeSeparators(m_folder)));
}

QString Database::attach(const QString &fileName)
{
    const QString schema = tableNameOf(fileName);
    static const QRegularExpression plainName(u"^[a-z_][a-z0-9_]*$"_s);
    if (!plainName.match(schema).hasMatch() || schema == u"main"_s || schema == u"temp"_s)
        throw Error(u"Nome de tabela inválido: \"%1\"."_s.arg(fileName));
    open();
    const QString path = resolveFile(fileName);
    struct stat info {};
    Attached now{path};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0) {
        now.device = quint64(info.st_dev);
        now.inode = quint64(info.st_ino);
        now.writable = ::access(QFile::encodeName(path).constData(), W_OK) == 0;
        now.empty = info.st_size == 0;
    }
    const auto it = m_attached.constFind(schema);
    if (it != m_attached.constEnd()) {
        if (*it == now)
            return schema;
        // Another file under the same name: the old one goes first.
        if (!detachSchema(schema))
            throw Error(u"A tabela %1 foi substituída enquanto estava em uso."_s.arg(fileName));
    }
    attachAs(schema, fileName, path);
    m_attached.insert(schema, now);
    ++m_attachments;
    return schema;
}

QString Database::contentMark(const QString &fileName)
{
    const QString schema = attach(fileName);
    const QString action = u"ler a tabela"_s;
    // data_version moves with other connections' commits, total_changes()
    // with this connection's own writes.
    QSqlQuery version = run(u"PRAGMA %1.data_version"_s.arg(schema), {}, action, fileName);
    QSqlQuery changes = run(u"SELECT total_changes()"_s, {}, action, fileName);
    nextRow(version, action, fileName);
    nextRow(changes, action, fileName);
    return u"%1:%2:%3"_s.arg(m_attachments).arg(version.value(0).toLongLong()).arg(changes.value(0).toLongLong());
}

void Database::attachAs(const QString &schema, const QString &fileName, const QString &path)
{
    const QString action = u"abrir a tabela"_s;
    run(u"ATTACH DATABASE :uri AS %1"_s.arg(schema), {{u":uri"_s, uriOf(path)}}, action, fileName);
    try {
        const TableSchema *layout = nullptr;
        QSqlQuery tables = run(u"SELECT name FROM %1.sqlite_master WHERE type = 'table'"_s.arg(schema), {},
                               action, fileName);
        while (!layout && tables.next())
            layout = schemaOfTable(tables.value(0).toString());
        tables.finish();
        if (!layout)
            throw Error(u"O arquivo %1 está danificado ou não é uma tabela do Cofrel (pasta %2)."_s.arg(
                fileName, QDir::toNativeSeparators(m_folder)));
        QSqlQuery q = newQuery();
        q.exec(u"PRAGMA %1.journal_mode = DELETE"_s.arg(schema));
        q.exec(u"PRAGMA %1.synchronous = FULL"_s.arg(schema));
        // Older files gain the indexes; a read-only one simply goes without.
        for (const QString &statement : layout->indexes)
            q.exec(statement.arg(schema));
        q.exec(u"DROP VIEW IF EXISTS temp.%1"_s.arg(schema));
        run(u"CREATE TEMP VIEW %1 AS SELECT * FROM %1.%2"_s.arg(schema, layout->table), {}, action, fileName);
    } catch (...) {
        detachSchema(schema);
        throw;
    }
}

bool Database::detachSchema(const QString &schema)
{
    QSqlQuery q = newQuery();
    q.exec(u"DROP VIEW IF EXISTS temp.%1"_s.arg(schema));
    if (!q.exec(u"DETACH DATABASE %1"_s.arg(schema)))
        return false;
    m_attached.remove(schema);
    return true;
}

void Database::detach(const QString &fileName)
{
    if (m_attached.contains(tableNameOf(fileName)))
        detachSchema(tableNameOf(fileName));
}

QSqlQuery Database::run(const QString &sql, const QVariantMap &binds, const QString &action,
                        const QString &fileName)
{
    QSqlQuery q = prepare(sql, action, fileName);
    exec(q, binds, action, fileName);
    return q;
}

QSqlQuery Database::prepare(const QString &sql, const QString &action, const QString &fileName)
{
    open();
    QSqlQuery q = newQuery();
    if (!q.prepare(sql))
        raiseEngineError(action, fileName, q.lastError(), m_folder);
    return q;
}

void Database::exec(QSqlQuery &query, const QVariantMap &binds, const QString &action, const QString &fileName)
{
    for (auto it = binds.cbegin(); it != binds.cend(); ++it)
        query.bindValue(it.key(), it.value());
    if (!query.exec())
        raiseEngineError(action, fileName, query.lastError(), m_folder);
}

void Database::begin(const QStringList &fileNames)
{
    for (const QString &fileName : fileNames)
        attach(fileName);
    m_transactionFiles = fileNames.join(u" e "_s);
    run(u"BEGIN IMMEDIATE"_s, {}, u"gravar na tabela"_s, m_transactionFiles);
    m_inTransaction = true;
}

void Database::commit()
{
    QSqlQuery q = newQuery();
    const OwnerOnlyFiles ownerOnly;
    if (!q.exec(u"COMMIT"_s)) {
        const QSqlError error = q.lastError();
        rollback();
        raiseEngineError(u"gravar"_s, m_transactionFiles, error, m_folder);
    }
    m_inTransaction = false;
}

void Database::rollback() noexcept
{
    if (!m_inTransaction)
        return;
    m_inTransaction = false;
    QSqlQuery q = newQuery();
    q.exec(u"ROLLBACK"_s);
}

Transaction::Transaction(Database &db, const QStringList &fileNames)
    : m_db(db)
{
    m_db.begin(fileNames);
}

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    m_done = true;
    m_db.commit();
}

bool nextRow(QSqlQuery &query, const QString &action, const QString &fileName)
{
    if (query.next())
        return true;
    if (query.lastError().isValid())
        raiseEngineError(action, fileName, query.lastError());
    return false;
}

void raiseEngineError(const QString &action, const QString &fileName, const QSqlError &error,
                      const QString &folder)
{
    const QString engineText =
        error.databaseText().trimmed().isEmpty() ? error.text().trimmed() : error.databaseText().trimmed();
    const int code = nativeCode(error);
    const QString file = fileName.isEmpty() ? u"(sem tabela)"_s : fileName;
    // A data folder that cannot be written refuses every write in it, a
    // journal's first: said of the folder, not of one table.
    const bool refused =
        (code & 0xff) == SqliteCantOpen || ((code & 0xff) == SqliteReadOnly && code != SqliteReadOnlyDbMoved);
    if (refused && !folder.isEmpty() && ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        throw Error(u"A pasta de dados %1 está protegida contra gravação; não foi possível %2 %3."_s.arg(
                        QDir::toNativeSeparators(QDir::cleanPath(folder)), action, file),
                    engineText);
    switch (code & 0xff) {
    case SqliteBusy:
    case SqliteLocked:
        throw Error(u"A tabela %1 está bloqueada por outro programa; não foi possível %2. "
                    u"Tente de novo em instantes."_s.arg(file, action),
                    engineText);
    case SqliteCorrupt:
    case SqliteNotADb:
        throw Error(u"O arquivo %1 está danificado ou não é uma tabela do Cofrel."_s.arg(file), engineText);
    case SqliteReadOnly:
        if (code == SqliteReadOnlyDbMoved)
            throw Error(u"O arquivo da tabela %1 foi apagado, renomeado ou movido enquanto o Cofrel o usava; "
                        u"não foi possível %2."_s.arg(file, action),
                        engineText);
        throw Error(u"A tabela %1 está protegida contra gravação; não foi possível %2."_s.arg(file, action),
                    engineText);
    case SqliteFull:
        throw Error(u"Não há espaço em disco para gravar na tabela %1."_s.arg(file), engineText);
    case SqliteCantOpen:
        throw Error(u"Não foi possível %1 %2: o arquivo, ou o diário de gravação que o acompanha na pasta "
                    u"de dados, não pôde ser aberto; veja se a pasta permite gravação."_s.arg(action, file),
                    engineText);
    case SqliteIoErr:
        throw Error(u"Erro de leitura ou gravação no arquivo %1."_s.arg(file), engineText);
    default:
        break;
    }
    if (fileName.isEmpty())
        throw Error(u"Erro do mecanismo de tabelas ao %1."_s.arg(action), engineText);
    throw Error(u"Erro do mecanismo de tabelas ao %1 %2."_s.arg(action, fileName), engineText);
}

} // namespace cofrel::data
