#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>

namespace cofrel::data {

class Database;

// One prepared SQL statement on an alias's connection, read row by row.
// Where the SQLite library this program calls is the one Qt's driver runs,
// rows come straight from the engine (texts as the UTF-8 the file holds,
// no QVariant per value); otherwise through QSqlQuery. Both see the same
// attached files, views and transactions.
class Statement {
public:
    // Prepares \a sql; throws cofrel::Error with the engine's message,
    // naming \a fileName and saying what failed (\a action), when the
    // engine refuses it.
    static std::unique_ptr<Statement> prepare(const Database &db, const QString &sql, const QString &fileName,
                                              const QString &action = QStringLiteral("preparar a consulta sobre"));
    virtual ~Statement() = default;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds ":name" (\a name without the colon); dates travel as ISO text.
    virtual void bind(const QString &name, const QVariant &value) = 0;
    // Back to the start, keeping the bindings; lets go of the read lock.
    virtual void reset() noexcept = 0;
    // The next row; false at the end (the read lock let go). Throws, with
    // \a action in the message, when the engine fails.
    virtual bool step(const QString &action) = 0;

    virtual int columnCount() const = 0;
    virtual QString columnName(int column) const = 0;

    // The current row's value in column \a column.
    enum class Type { Integer, Float, Text, Blob, Null };
    virtual Type type(int column) const = 0;
    virtual qint64 integer(int column) const = 0;
    virtual double real(int column) const = 0;
    // The text (UTF-8) or blob, valid until the next step.
    virtual QByteArrayView bytes(int column) const = 0;
    // The value as Qt SQL gives it (qint64, double, QString, QByteArray or null).
    QVariant value(int column) const;

protected:
    Statement() = default;
};

} // namespace cofrel::data
