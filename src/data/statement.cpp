#include "data/statement.h"

#include "app/errors.h"
#include "data/database.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

#include <vector>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

class NativeStatement final : public Statement {
public:
    NativeStatement(sqlite3 *db, const QString &sql, const QString &fileName, const QString &action)
        : m_db(db)
        , m_fileName(fileName)
    {
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK) {
            const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
            const int code = sqlite3_extended_errcode(m_db);
            sqlite3_finalize(m_statement);
            m_statement = nullptr;
            raiseEngineError(action, m_fileName, message, code);
        }
        if (!m_statement) // only blanks or a comment
            raiseEngineError(action, m_fileName, u"a instrução está vazia"_s, SQLITE_MISUSE);
    }
    ~NativeStatement() override { sqlite3_finalize(m_statement); }

    void bind(const QString &name, const QVariant &value) override
    {
        const int index = sqlite3_bind_parameter_index(m_statement, (u':' + name).toUtf8().constData());
        if (index == 0)
            return;
        int result = SQLITE_OK;
        switch (value.isNull() ? QMetaType::UnknownType : value.typeId()) {
        case QMetaType::UnknownType:
            result = sqlite3_bind_null(m_statement, index);
            break;
        case QMetaType::Int:
        case QMetaType::LongLong:
            result = sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        default: {
            const QByteArray text = value.toString().toUtf8();
            result = sqlite3_bind_text(m_statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
        if (result != SQLITE_OK)
            raiseEngineError(u"preparar a consulta sobre"_s, m_fileName, QString::fromUtf8(sqlite3_errmsg(m_db)),
                             result);
    }

    void reset() noexcept override { sqlite3_reset(m_statement); }

    bool step(const QString &action) override
    {
        const int result = sqlite3_step(m_statement);
        if (result == SQLITE_ROW)
            return true;
        if (result == SQLITE_DONE) {
            sqlite3_reset(m_statement);
            return false;
        }
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        const int code = sqlite3_extended_errcode(m_db);
        sqlite3_reset(m_statement);
        raiseEngineError(action, m_fileName, message, code);
    }

    int columnCount() const override { return sqlite3_column_count(m_statement); }
    QString columnName(int column) const override
    {
        return QString::fromUtf8(sqlite3_column_name(m_statement, column));
    }

    Type type(int column) const override
    {
        switch (sqlite3_column_type(m_statement, column)) {
        case SQLITE_INTEGER:
            return Type::Integer;
        case SQLITE_FLOAT:
            return Type::Float;
        case SQLITE_TEXT:
            return Type::Text;
        case SQLITE_BLOB:
            return Type::Blob;
        default:
            return Type::Null;
        }
    }
    qint64 integer(int column) const override { return sqlite3_column_int64(m_statement, column); }
    double real(int column) const override { return sqlite3_column_double(m_statement, column); }
    QByteArrayView bytes(int column) const override
    {
        // The pointer first, then the size, as SQLite asks.
        const char *data = sqlite3_column_type(m_statement, column) == SQLITE_BLOB
                               ? static_cast<const char *>(sqlite3_column_blob(m_statement, column))
                               : reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    QString m_fileName;
};

class QtStatement final : public Statement {
public:
    QtStatement(const Database &db, const QString &sql, const QString &fileName, const QString &action)
        : m_query(db.newQuery())
        , m_fileName(fileName)
    {
        if (!m_query.prepare(sql))
            fail(action);
        m_record = m_query.record();
    }

    void bind(const QString &name, const QVariant &value) override { m_query.bindValue(u':' + name, value); }

    void reset() noexcept override
    {
        m_query.finish();
        m_executed = false;
    }

    bool step(const QString &action) override
    {
        if (!m_executed) {
            if (!m_query.exec())
                fail(action);
            m_executed = true;
            m_record = m_query.record();
        }
        if (!m_query.next()) {
            if (m_query.lastError().isValid())
                fail(action);
            reset();
            return false;
        }
        m_row.resize(size_t(m_record.count()));
        m_bytes.resize(m_row.size());
        for (size_t i = 0; i < m_row.size(); ++i) {
            m_row[i] = m_query.value(int(i));
            m_bytes[i] = m_row[i].typeId() == QMetaType::QByteArray ? m_row[i].toByteArray()
                                                                     : m_row[i].toString().toUtf8();
        }
        return true;
    }

    int columnCount() const override { return m_record.count(); }
    QString columnName(int column) const override { return m_record.fieldName(column); }

    Type type(int column) const override
    {
        const QVariant &v = m_row[size_t(column)];
        if (v.isNull())
            return Type::Null;
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            return Type::Integer;
        case QMetaType::Double:
            return Type::Float;
        case QMetaType::QByteArray:
            return Type::Blob;
        default:
            return Type::Text;
        }
    }
    qint64 integer(int column) const override { return m_row[size_t(column)].toLongLong(); }
    double real(int column) const override { return m_row[size_t(column)].toDouble(); }
    QByteArrayView bytes(int column) const override { return m_bytes[size_t(column)]; }

private:
    [[noreturn]] void fail(const QString &action)
    {
        const QSqlError error = m_query.lastError();
        m_query.finish();
        raiseEngineError(action, m_fileName, engineText(error), nativeCode(error));
    }

    QSqlQuery m_query;
    QSqlRecord m_record;
    std::vector<QVariant> m_row;
    std::vector<QByteArray> m_bytes;
    QString m_fileName;
    bool m_executed = false;
};

} // namespace

std::unique_ptr<Statement> Statement::prepare(const Database &db, const QString &sql, const QString &fileName,
                                              const QString &action)
{
    if (sqlite3 *handle = db.nativeHandle())
        return std::make_unique<NativeStatement>(handle, sql, fileName, action);
    return std::make_unique<QtStatement>(db, sql, fileName, action);
}

QVariant Statement::value(int column) const
{
    switch (type(column)) {
    case Type::Integer:
        return QVariant::fromValue(integer(column));
    case Type::Float:
        return QVariant::fromValue(real(column));
    case Type::Text:
        return QVariant::fromValue(QString::fromUtf8(bytes(column)));
    case Type::Blob:
        return QVariant::fromValue(bytes(column).toByteArray());
    case Type::Null:
        break;
    }
    return {};
}

} // namespace cofrel::data
