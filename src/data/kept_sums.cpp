#include "data/kept_sums.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <exception>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

// One row per table file of the folder, by its name in lower case.
constexpr auto CreateTable = u"CREATE TABLE IF NOT EXISTS main.somas_guardadas (arquivo TEXT PRIMARY KEY, "
                             u"contador BLOB, tamanho INTEGER, alterado INTEGER, ate TEXT, soma REAL)";

QString keyOf(const Database &db, const QString &fileName)
{
    try {
        return QFileInfo(db.resolveFile(fileName)).fileName().toLower();
    } catch (const std::exception &) {
        return {}; // gone meanwhile: nothing to keep for it
    }
}

} // namespace

std::optional<KeptSum> keptSum(const Database &db, const QString &fileName, const Database::Stamp &stamp)
{
    // Rows written but not committed yet are in no file counter.
    const QString key = keyOf(db, fileName);
    if (db.inTransaction() || key.isEmpty())
        return std::nullopt;
    QSqlQuery q = db.newQuery();
    q.prepare(u"SELECT ate, soma FROM main.somas_guardadas "
              u"WHERE arquivo = ? AND contador = ? AND tamanho = ? AND alterado = ?"_s);
    q.addBindValue(key);
    q.addBindValue(stamp.fileCounter);
    q.addBindValue(stamp.fileSize);
    q.addBindValue(stamp.modifiedMs);
    if (!q.exec() || !q.next() || q.value(1).isNull())
        return std::nullopt; // nothing kept yet, or no table at all
    const QDate upTo = QDate::fromString(q.value(0).toString(), Qt::ISODate);
    if (!upTo.isValid())
        return std::nullopt;
    return KeptSum{upTo, q.value(1).toDouble()};
}

Database::Stamp keepSum(Database &db, const QString &fileName, const Database::Stamp &stamp, const KeptSum &kept)
{
    const QString key = keyOf(db, fileName);
    if (db.inTransaction() || key.isEmpty() || std::isnan(kept.sum))
        return stamp;
    QSqlQuery q = db.newQuery();
    if (!q.exec(QString::fromUtf16(CreateTable)))
        return stamp;
    q.prepare(u"INSERT OR REPLACE INTO main.somas_guardadas VALUES (?, ?, ?, ?, ?, ?)"_s);
    q.addBindValue(key);
    q.addBindValue(stamp.fileCounter);
    q.addBindValue(stamp.fileSize);
    q.addBindValue(stamp.modifiedMs);
    q.addBindValue(kept.upTo.toString(Qt::ISODate));
    q.addBindValue(kept.sum);
    if (!q.exec())
        return stamp;
    const std::optional<Database::Stamp> after = db.stamp(fileName);
    return after && after->sameFileState(stamp) ? *after : stamp;
}

} // namespace cofrel::data
