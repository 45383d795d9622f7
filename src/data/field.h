#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QVariant>

namespace cofrel::data {

// One field of the current row of a table or query, read and written by
// type. Reading a null gives 0, an empty text or an invalid date.
class Field final {
public:
    Field(QVariant *value, const QString &name, bool writable)
        : m_value(value), m_name(name), m_writable(writable) {}

    qint64 asInteger() const;
    double asFloat() const;
    QString asString() const;
    QDate asDate() const;
    QByteArray asBytes() const;
    bool isNull() const;

    void setInteger(qint64 v);
    void setFloat(double v);
    void setString(const QString &v);
    void setDate(const QDate &v);
    void setBytes(const QByteArray &v);

private:
    void checkWritable() const;
    QVariant *m_value;
    QString m_name;
    bool m_writable;
};

} // namespace cofrel::data
