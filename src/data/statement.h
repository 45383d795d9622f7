#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

class QSqlDatabase;

namespace cofrel::data {

// One SQL statement on the engine's own interface, for the queries that
// read many rows: a row is read straight from SQLite, texts as the UTF-8
// the file holds, without a QVariant per value on the way. It runs on the
// connection of the alias's database (the one Qt SQL opened), so it sees
// the same attached files, views and transactions.
class Statement final {
public:
    // Prepares \a sql; throws cofrel::Error with the engine's message,
    // naming \a fileName and saying what failed (\a action), when SQLite
    // refuses it.
    Statement(const QSqlDatabase &connection, const QString &sql, const QString &fileName,
              const QString &action = QStringLiteral("preparar a consulta sobre"));
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds ":name" (\a name without the colon) when the text holds it;
    // returns whether it did. Dates travel as their ISO text.
    bool bind(const QString &name, const QVariant &value);
    // Back to the start, keeping the bindings; lets go of the read lock.
    void reset() noexcept;
    // Every parameter back to null.
    void clearBindings() noexcept;
    // The next row; false at the end. Throws, with \a action in the
    // message, when the engine fails.
    bool step(const QString &action);

    int columnCount() const;
    QString columnName(int column) const;

    // The current row's value in column \a column.
    enum class Type { Integer, Float, Text, Blob, Null };
    Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QByteArrayView bytes(int column) const; // the text (UTF-8) or blob as stored
    // The value as Qt SQL gives it (qint64, double, QString, QByteArray or null).
    QVariant value(int column) const;

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    QString m_fileName;
};

} // namespace cofrel::data
