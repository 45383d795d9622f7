#include "data/statement.h"

#include "app/errors.h"
#include "data/database.h"

#include <QSqlDatabase>
#include <QSqlDriver>

#include <sqlite3.h>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

sqlite3 *nativeHandle(const QSqlDatabase &connection)
{
    const QVariant handle = connection.isOpen() && connection.driver() ? connection.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw Error(u"O mecanismo de tabelas não está aberto."_s);
    return *static_cast<sqlite3 *const *>(handle.constData());
}

} // namespace

Statement::Statement(const QSqlDatabase &connection, const QString &sql, const QString &fileName,
                     const QString &action)
    : m_db(nativeHandle(connection))
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

Statement::~Statement()
{
    sqlite3_finalize(m_statement);
}

bool Statement::bind(const QString &name, const QVariant &value)
{
    const int index = sqlite3_bind_parameter_index(m_statement, (u':' + name).toUtf8().constData());
    if (index == 0)
        return false;
    int result = SQLITE_OK;
    if (value.isNull()) {
        result = sqlite3_bind_null(m_statement, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Bool:
            result = sqlite3_bind_int64(m_statement, index, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            result = sqlite3_bind_double(m_statement, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            result = sqlite3_bind_blob(m_statement, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            result = sqlite3_bind_text(m_statement, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (result != SQLITE_OK)
        raiseEngineError(u"preparar a consulta sobre"_s, m_fileName, QString::fromUtf8(sqlite3_errmsg(m_db)), result);
    return true;
}

void Statement::reset() noexcept
{
    sqlite3_reset(m_statement);
}

void Statement::clearBindings() noexcept
{
    sqlite3_clear_bindings(m_statement);
}

bool Statement::step(const QString &action)
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE) {
        sqlite3_reset(m_statement); // done: let go of the file's read lock
        return false;
    }
    const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
    const int code = sqlite3_extended_errcode(m_db);
    sqlite3_reset(m_statement);
    raiseEngineError(action, m_fileName, message, code);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

Statement::Type Statement::type(int column) const
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

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_statement, column);
}

QByteArrayView Statement::bytes(int column) const
{
    // The pointer first, then the size, as SQLite asks.
    const char *data = sqlite3_column_type(m_statement, column) == SQLITE_BLOB
                           ? static_cast<const char *>(sqlite3_column_blob(m_statement, column))
                           : reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
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
