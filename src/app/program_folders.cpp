#include "app/program_folders.h"

#include "app/errors.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace cofrel {

using namespace Qt::StringLiterals;

namespace {

using data::OwnerOnlyFile;
using data::OwnerOnlyFolder;

// The registry and the two tables every new user's are copied from.
constexpr QLatin1StringView EmptyTables[] = {"users.db"_L1, "fin.DB"_L1, "dfin.DB"_L1};

QString withSeparator(const QString &folder)
{
    return QDir::cleanPath(folder) + u'/';
}

QString personalDataFolder()
{
    // XDG_DATA_HOME, or ~/.local/share when it is unset (and the person's
    // application data folder on other systems).
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return withSeparator(base + u"/cofrel/dados"_s);
}

// Creates \a folder and every missing folder above it, each owner-only, as
// a person's data folders should be; folders already there are left alone.
void makeOwnerOnlyPath(const QString &folder)
{
    const QString path = QDir::cleanPath(folder);
    const QFileInfo info(path);
    if (info.isDir())
        return;
    if (info.exists())
        throw Error(u"Não foi possível criar a pasta de dados %1: já existe um arquivo com esse nome."_s.arg(
            QDir::toNativeSeparators(path)));
    makeOwnerOnlyPath(info.absolutePath());
    if (!QDir().mkdir(path, OwnerOnlyFolder) || !QFile::setPermissions(path, OwnerOnlyFolder))
        throw Error(u"Não foi possível criar a pasta de dados %1."_s.arg(QDir::toNativeSeparators(path)));
}

bool holdsIgnoringCase(const QStringList &present, QLatin1StringView name)
{
    return std::any_of(present.cbegin(), present.cend(),
                       [&](const QString &entry) { return entry.compare(name, Qt::CaseInsensitive) == 0; });
}

// Writes a copy under a passing name and renames it: a copy cut short
// (a full disk, a killed process) never passes for the table, and is
// made again at the next start.
void copyOwnerOnly(const QString &from, const QString &to)
{
    const auto failure = [&](const QString &reason) {
        return Error(u"Não foi possível copiar a tabela vazia %1 para %2: %3"_s.arg(
            QDir::toNativeSeparators(from), QDir::toNativeSeparators(to), reason));
    };
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw failure(source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFile::NoError)
        throw failure(source.errorString());

    const QString passing = to + u".copiando"_s;
    QFile::remove(passing);
    QFile copy(passing);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnlyFile) || !copy.setPermissions(OwnerOnlyFile)
        || copy.write(bytes) != bytes.size() || !copy.flush()) {
        const QString reason = copy.errorString();
        copy.close();
        QFile::remove(passing);
        throw failure(reason);
    }
    copy.close();
    if (!copy.rename(to)) {
        const QString reason = copy.errorString();
        QFile::remove(passing);
        throw failure(reason);
    }
}

} // namespace

ProgramFolders locateProgramFolders(const QString &executableDir)
{
    const QDir executable(executableDir);
    const QString portable = executable.absoluteFilePath(u"dados"_s);
    if (QFileInfo(portable).isDir())
        return {withSeparator(executable.absolutePath()), withSeparator(portable), QString()};

    const QString shared = executable.absoluteFilePath(u"../share/cofrel"_s);
    const QString files = withSeparator(QFileInfo(shared).isDir() ? shared : executable.absolutePath());
    return {files, personalDataFolder(), files + u"dados/"_s};
}

void prepareDataFolder(const ProgramFolders &folders)
{
    if (folders.templatesDir.isEmpty())
        return;
    makeOwnerOnlyPath(folders.dataDir);
    const QDir data(folders.dataDir);
    const QDir templates(folders.templatesDir);
    const QStringList present = data.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (QLatin1StringView name : EmptyTables) {
        if (!holdsIgnoringCase(present, name))
            copyOwnerOnly(templates.filePath(name), data.filePath(name));
    }
}

} // namespace cofrel
