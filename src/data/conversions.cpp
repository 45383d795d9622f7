#include "data/conversions.h"

#include "app/cofrel_uteis.h"

#include <QDate>

#include <cmath>

namespace cofrel::data {

using namespace Qt::StringLiterals;

QDate dateFromIso(const QString &text)
{
    return QDate::fromString(text.trimmed().left(10), u"yyyy-MM-dd"_s);
}

QString isoDate(const QDate &date)
{
    return date.toString(u"yyyy-MM-dd"_s);
}

namespace {

bool isNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return true;
    default:
        return false;
    }
}

QVariant integerOf(const QVariant &v)
{
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        return std::isfinite(d) ? QVariant::fromValue(qint64(std::llround(d))) : QVariant();
    }
    if (isNumber(v))
        return QVariant::fromValue(v.toLongLong());
    bool ok = false;
    const QString text = v.toString().trimmed();
    const qint64 i = text.toLongLong(&ok);
    if (ok)
        return QVariant::fromValue(i);
    const double d = text.toDouble(&ok);
    return ok && std::isfinite(d) ? QVariant::fromValue(qint64(std::llround(d))) : QVariant();
}

QVariant realOf(const QVariant &v)
{
    bool ok = false;
    const double d = isNumber(v) ? v.toDouble() : v.toString().trimmed().toDouble(&ok);
    if (!isNumber(v) && !ok)
        return {};
    return std::isfinite(d) ? QVariant::fromValue(d) : QVariant();
}

} // namespace

QVariant fromStored(ColumnKind kind, const QVariant &raw)
{
    if (raw.isNull())
        return {};
    switch (kind) {
    case ColumnKind::Integer:
        return integerOf(raw);
    case ColumnKind::Real:
        return realOf(raw);
    case ColumnKind::Date: {
        const QDate d = raw.typeId() == QMetaType::QDate ? raw.toDate() : dateFromIso(raw.toString());
        return d.isValid() ? QVariant::fromValue(d) : QVariant();
    }
    case ColumnKind::Text:
        if (raw.typeId() == QMetaType::QByteArray)
            return QVariant::fromValue(QString::fromUtf8(raw.toByteArray()));
        return QVariant::fromValue(raw.toString());
    case ColumnKind::Bytes:
        if (raw.typeId() == QMetaType::QByteArray)
            return raw;
        return QVariant::fromValue(raw.toString().toUtf8());
    }
    return raw;
}

QString storableText(const QString &text, int maxLength)
{
    QString result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            if (maxLength > 0 && result.size() + 2 > maxLength)
                break;
            result.append(c).append(text.at(++i));
            continue;
        }
        if (maxLength > 0 && result.size() + 1 > maxLength)
            break;
        const bool replaced = c.isSurrogate() || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF;
        result.append(replaced ? QChar(QChar::ReplacementCharacter) : c);
    }
    return result;
}

QVariant toStored(ColumnKind kind, const QVariant &value, int maxLength)
{
    if (value.isNull())
        return {};
    switch (kind) {
    case ColumnKind::Integer:
        return integerOf(value);
    case ColumnKind::Real:
        return realOf(value);
    case ColumnKind::Date: {
        QDate d;
        if (value.typeId() == QMetaType::QDate) {
            d = value.toDate();
        } else {
            const QString text = value.toString();
            d = dateFromIso(text);
            if (!d.isValid()) {
                if (const auto typed = LeData(text))
                    d = *typed;
            }
        }
        return d.isValid() ? QVariant::fromValue(isoDate(d)) : QVariant();
    }
    case ColumnKind::Text: {
        const QString text = value.typeId() == QMetaType::QDate ? FormatData(value.toDate()) : value.toString();
        return QVariant::fromValue(storableText(text, maxLength));
    }
    case ColumnKind::Bytes:
        if (value.typeId() == QMetaType::QByteArray)
            return value;
        // A scrambled password written as text holds one byte per character.
        return QVariant::fromValue(value.toString().toLatin1());
    }
    return value;
}

} // namespace cofrel::data
