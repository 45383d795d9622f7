#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

constexpr QFile::Permissions OthersBits = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup
                                          | QFile::ReadOther | QFile::WriteOther | QFile::ExeOther;

bool isOwnFile(const QString &name)
{
    static const QRegularExpression own(
        u"^(?:(?:users|fin|dfin|[fd][0-9]+)\\.db(?:-journal)?"
        u"|f[0-9]+\\.[0-9]{8}-[0-9]{6}\\.bak"
        u"|\\.cofrel-principal\\.db(?:-journal|-mj[0-9a-f]+)?"
        u"|\\.(?:incluindo|excluindo)-[0-9]+)$"_s,
        QRegularExpression::CaseInsensitiveOption);
    return own.match(name).hasMatch();
}

// Group and other lose every right; the owner keeps exactly theirs, so a
// table or folder its owner made read-only stays read-only.
void restrict(const QFileInfo &info)
{
    const QFile::Permissions current = info.permissions();
    if (current & OthersBits)
        QFile::setPermissions(info.absoluteFilePath(), current & OwnerOnlyFolder);
}

QStringList pathsMatching(const QString &folder, const QString &pattern)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString &name : dir.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        paths << dir.filePath(name);
    return paths;
}

} // namespace

void tightenModes(const QString &folder)
{
    const QFileInfo self(folder);
    if (!self.isDir())
        return;
    restrict(self);
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (!entry.isSymLink() && entry.isFile() && isOwnFile(entry.fileName()))
            restrict(entry);
    }
}

QStringList journalsIn(const QString &folder)
{
    return pathsMatching(folder, u"*-journal"_s);
}

QStringList superJournalsIn(const QString &folder, const QString &mainFileName)
{
    return pathsMatching(folder, mainFileName + u"-mj*"_s);
}

} // namespace cofrel::data
