#include "data/templates.h"

#include "app/errors.h"
#include "data/schema.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

// Runs \a work on a private connection to the file \a path.
template <typename Work>
void withFile(const QString &path, Work work)
{
    static int counter = 0;
    const QString name = u"cofrel-template-%1"_s.arg(++counter);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=2000"_s);
        if (!db.open())
            failure = db.lastError().text();
        else
            failure = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!failure.isEmpty())
        throw Error(u"Não foi possível gravar a tabela %1."_s.arg(QDir::toNativeSeparators(path)), failure);
}

// Removes the file and the companions the engine may have left beside it.
void removeTable(const QString &path)
{
    for (const QString &suffix : {QString(), u"-journal"_s, u"-wal"_s, u"-shm"_s}) {
        QFile file(path + suffix);
        if (file.exists() && !file.remove())
            throw Error(u"Não foi possível substituir o arquivo %1."_s.arg(QDir::toNativeSeparators(path + suffix)),
                        file.errorString());
    }
}

void writeTemplate(const QString &path, const TableSchema &schema)
{
    removeTable(path);
    {
        // The file exists owner-only before the engine writes into it.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !file.setPermissions(OwnerOnlyFile))
            throw Error(u"Não foi possível criar o arquivo %1."_s.arg(QDir::toNativeSeparators(path)),
                        file.errorString());
    }
    withFile(path, [&](QSqlDatabase &db) -> QString {
        QSqlQuery q(db);
        q.exec(u"PRAGMA journal_mode = DELETE"_s);
        for (const QString &statement : QStringList{schema.create} + schema.indexes) {
            if (!q.exec(statement.arg(u"main"_s)))
                return q.lastError().text();
        }
        return {};
    });
}

// True when \a path is a registry that lists at least one user, or cannot
// be read at all (a damaged registry is left for a person to look at).
bool holdsUsers(const QString &path)
{
    bool holds = false;
    try {
        withFile(path, [&](QSqlDatabase &db) -> QString {
            QSqlQuery q(db);
            if (!q.exec(u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'users'"_s))
                return q.lastError().text();
            if (!q.next())
                return {}; // no registry table: nothing to keep
            if (!q.exec(u"SELECT EXISTS (SELECT 1 FROM users)"_s) || !q.next())
                return q.lastError().text();
            holds = q.value(0).toLongLong() != 0;
            return {};
        });
    } catch (const Error &) {
        return true;
    }
    return holds;
}

} // namespace

void createTemplates(const QString &dataDir)
{
    const QString folder = QDir::cleanPath(dataDir);
    QDir dir(folder);
    if (!dir.exists()) {
        if (!QDir().mkpath(folder))
            throw Error(u"Não foi possível criar a pasta de dados %1."_s.arg(QDir::toNativeSeparators(folder)));
        QFile::setPermissions(folder, OwnerOnlyFolder);
    }
    writeTemplate(dir.filePath(u"fin.DB"_s), finSchema());
    writeTemplate(dir.filePath(u"dfin.DB"_s), dfinSchema());

    const QString users = dir.filePath(u"users.db"_s);
    const QFileInfo info(users);
    if (!info.exists() || info.size() == 0 || !holdsUsers(users))
        writeTemplate(users, usersSchema());
}

} // namespace cofrel::data
