#include "data/kept_sums.h"

#include <QCryptographicHash>
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
                             u"contador BLOB, tamanho INTEGER, alterado INTEGER, ate TEXT, soma REAL, "
                             u"verificacao BLOB)";

// The row is written without waiting for the disk (it is only a saving of
// time, and a post waits for the disk already); a row half written when
// the machine lost power fails this check and is not used.
QByteArray verificacao(const QString &key, const Database::Stamp &stamp, const QString &upTo, double sum)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(key.toUtf8());
    hash.addData(stamp.fileCounter);
    const QByteArray rest = QByteArray::number(stamp.fileSize) + ' ' + QByteArray::number(stamp.modifiedMs) + ' '
        + upTo.toUtf8() + ' ' + QByteArray::number(sum, 'g', 17);
    hash.addData(rest);
    return hash.result().left(8);
}

QString keyOf(const Database &db, const QString &fileName)
{
    try {
        return QFileInfo(db.resolveFile(fileName)).fileName().toLower();
    } catch (const std::exception &) {
        return {}; // gone meanwhile: nothing to keep for it
    }
}

bool write(QSqlQuery &q, const QString &key, const Database::Stamp &stamp, const KeptSum &kept)
{
    if (!q.exec(QString::fromUtf16(CreateTable))
        || !q.prepare(u"INSERT OR REPLACE INTO main.somas_guardadas VALUES (?, ?, ?, ?, ?, ?, ?)"_s))
        return false;
    const QString upTo = kept.upTo.toString(Qt::ISODate);
    q.addBindValue(key);
    q.addBindValue(stamp.fileCounter);
    q.addBindValue(stamp.fileSize);
    q.addBindValue(stamp.modifiedMs);
    q.addBindValue(upTo);
    q.addBindValue(kept.sum);
    q.addBindValue(verificacao(key, stamp, upTo, kept.sum));
    return q.exec();
}

} // namespace

std::optional<KeptSum> keptSum(const Database &db, const QString &fileName, const Database::Stamp &stamp)
{
    // Rows written but not committed yet are in no file counter.
    const QString key = keyOf(db, fileName);
    if (db.inTransaction() || key.isEmpty())
        return std::nullopt;
    QSqlQuery q = db.newQuery();
    q.prepare(u"SELECT ate, soma, verificacao FROM main.somas_guardadas "
              u"WHERE arquivo = ? AND contador = ? AND tamanho = ? AND alterado = ?"_s);
    q.addBindValue(key);
    q.addBindValue(stamp.fileCounter);
    q.addBindValue(stamp.fileSize);
    q.addBindValue(stamp.modifiedMs);
    if (!q.exec() || !q.next() || q.value(1).isNull())
        return std::nullopt; // nothing kept yet, or no table at all
    const QString upToText = q.value(0).toString();
    const double sum = q.value(1).toDouble();
    const QDate upTo = QDate::fromString(upToText, Qt::ISODate);
    if (!upTo.isValid() || q.value(2).toByteArray() != verificacao(key, stamp, upToText, sum))
        return std::nullopt;
    return KeptSum{upTo, sum};
}

Database::Stamp keepSum(Database &db, const QString &fileName, const Database::Stamp &stamp, const KeptSum &kept)
{
    const QString key = keyOf(db, fileName);
    if (db.inTransaction() || key.isEmpty() || std::isnan(kept.sum))
        return stamp;
    QSqlQuery q = db.newQuery();
    q.exec(u"PRAGMA main.synchronous = OFF"_s);
    const bool written = write(q, key, stamp, kept);
    // A transaction over several table files needs the main file's full
    // care again.
    q.exec(u"PRAGMA main.synchronous = FULL"_s);
    if (!written)
        return stamp;
    const std::optional<Database::Stamp> after = db.stamp(fileName);
    return after && after->sameFileState(stamp) ? *after : stamp;
}

} // namespace cofrel::data
