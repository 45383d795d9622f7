#include "data/field.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"

#include <cmath>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

QDate dateFrom(const QVariant &v)
{
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QString) {
        const QString text = v.toString().trimmed();
        QDate d = QDate::fromString(text.left(10), Qt::ISODate);
        if (!d.isValid()) {
            if (const auto typed = LeData(text))
                d = *typed;
        }
        return d;
    }
    return {};
}

} // namespace

bool Field::isNull() const
{
    return !m_value || m_value->isNull();
}

qint64 Field::asInteger() const
{
    if (isNull())
        return 0;
    switch (m_value->typeId()) {
    case QMetaType::Double:
        return std::llround(m_value->toDouble());
    case QMetaType::QDate:
        return m_value->toDate().toJulianDay();
    case QMetaType::QString: {
        bool ok = false;
        const QString text = m_value->toString().trimmed();
        const qint64 v = text.toLongLong(&ok);
        if (ok)
            return v;
        const double d = text.toDouble(&ok);
        return ok && std::isfinite(d) ? std::llround(d) : 0;
    }
    default:
        return m_value->toLongLong();
    }
}

double Field::asFloat() const
{
    if (isNull())
        return 0.0;
    const double v = m_value->toDouble();
    return std::isfinite(v) ? v : 0.0;
}

QString Field::asString() const
{
    if (isNull())
        return {};
    switch (m_value->typeId()) {
    case QMetaType::QDate:
        return FormatData(m_value->toDate());
    case QMetaType::Double:
        return QString::number(m_value->toDouble(), 'g', 15);
    case QMetaType::QByteArray:
        return QString::fromLatin1(m_value->toByteArray());
    default:
        return m_value->toString();
    }
}

QDate Field::asDate() const
{
    return isNull() ? QDate() : dateFrom(*m_value);
}

QByteArray Field::asBytes() const
{
    if (isNull())
        return {};
    if (m_value->typeId() == QMetaType::QByteArray)
        return m_value->toByteArray();
    return m_value->toString().toUtf8();
}

void Field::checkWritable() const
{
    if (!m_value || !m_writable)
        throw Error(u"O campo %1 não pode ser alterado: a tabela não está em inclusão ou alteração."_s.arg(m_name));
}

void Field::setInteger(qint64 v)
{
    checkWritable();
    *m_value = QVariant::fromValue(v);
}

void Field::setFloat(double v)
{
    checkWritable();
    *m_value = QVariant::fromValue(v);
}

void Field::setString(const QString &v)
{
    checkWritable();
    *m_value = QVariant::fromValue(v);
}

void Field::setDate(const QDate &v)
{
    checkWritable();
    *m_value = v.isValid() ? QVariant::fromValue(v) : QVariant();
}

void Field::setBytes(const QByteArray &v)
{
    checkWritable();
    *m_value = QVariant::fromValue(v);
}

} // namespace cofrel::data
