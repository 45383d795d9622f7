#include "data/table.h"

#include "app/errors.h"
#include "data/conversions.h"
#include "data/database.h"
#include "data/keyset.h"
#include "data/layouts.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

QString quoted(const QString &identifier)
{
    return u'"' % QString(identifier).replace(u'"', u"\"\""_s) % u'"';
}

} // namespace

Table::Table(QString alias, QString tableName, QObject *parent)
    : QObject(parent)
    , m_alias(std::move(alias))
    , m_tableName(std::move(tableName))
{
}

Table::~Table()
{
    close();
}

void Table::setTableName(const QString &fileName)
{
    if (isOpen())
        throw Error(u"Não é possível trocar o arquivo da tabela %1 enquanto ela está aberta."_s.arg(m_tableName));
    m_tableName = fileName;
}

// ---- Index ------------------------------------------------------------------

const IndexLayout *Table::resolveIndex() const
{
    if (!m_layout)
        return nullptr;
    if (!m_indexName.isEmpty()) {
        const IndexLayout *index = m_layout->indexByName(m_indexName);
        if (!index)
            throw Error(u"O índice %1 não existe na tabela %2."_s.arg(m_indexName, m_tableName));
        return index;
    }
    if (!m_indexFieldNames.trimmed().isEmpty()) {
        const IndexLayout *index = m_layout->indexByFields(m_indexFieldNames);
        if (!index)
            throw Error(u"Não há índice para os campos \"%1\" na tabela %2."_s.arg(m_indexFieldNames, m_tableName));
        return index;
    }
    return nullptr; // primary key order
}

void Table::setIndexFieldNames(const QString &fields)
{
    selectIndex(fields, {});
}

void Table::setIndexName(const QString &name)
{
    selectIndex({}, name);
}

// One of the two is empty: an index is chosen by field list or by name.
// An open table keeps its row; a choice that does not resolve is undone.
void Table::selectIndex(const QString &fields, const QString &name)
{
    const QString previousFields = m_indexFieldNames;
    const QString previousName = m_indexName;
    m_indexFieldNames = fields;
    m_indexName = name;
    if (!isOpen())
        return;
    try {
        m_index = resolveIndex();
    } catch (...) {
        m_indexFieldNames = previousFields;
        m_indexName = previousName;
        throw;
    }
    reloadCurrent();
}

QStringList Table::orderColumns() const
{
    QStringList columns = m_index ? m_index->orderColumns() : QStringList();
    if (!columns.contains(m_layout->primaryKey, Qt::CaseInsensitive))
        columns << m_layout->primaryKey;
    return columns;
}

// ---- Open and close ---------------------------------------------------------

void Table::openToWrite()
{
    if (isOpen())
        return;
    m_toWrite = true;
    try {
        open();
    } catch (...) {
        m_toWrite = false;
        throw;
    }
}

void Table::open()
{
    if (isOpen())
        return;
    Database &db = Database::forAlias(m_alias);
    const Database::Attachment attachment = db.attach(m_tableName, m_toWrite ? u"gravar na tabela"_s : u"abrir a tabela"_s);
    m_db = &db;
    m_layout = attachment.layout;
    m_schema = attachment.schema;
    m_internal = attachment.table;
    try {
        m_index = resolveIndex();
        if (m_row.size() != 1 + m_layout->columns.size())
            m_row.assign(1 + m_layout->columns.size(), QVariant());
        m_state = State::Browse;
        db.addClient(this, {{}, {}, [this] { forgetDatabase(); }});
        first();
    } catch (...) {
        close();
        throw;
    }
}

void Table::close()
{
    if (m_state == State::Inactive && !m_db)
        return;
    Database *db = m_db;
    forgetDatabase();
    if (db) {
        db->removeClient(this);
        try {
            db->release(m_tableName);
        } catch (...) {
        }
    }
    try {
        Q_EMIT rowChanged();
    } catch (...) {
    }
}

// The database went away (closed at shutdown or by a test): drop every
// trace of the file without touching the engine.
void Table::forgetDatabase()
{
    m_db = nullptr;
    m_layout = nullptr;
    m_index = nullptr;
    m_schema.clear();
    m_internal.clear();
    m_state = State::Inactive;
    m_toWrite = false;
    // Fields handed out keep pointing into m_row: empty it, keep its place.
    std::fill(m_row.begin(), m_row.end(), QVariant());
    m_orderKey.clear();
    m_hasRow = false;
    m_eof = m_bof = true;
}

void Table::requireOpen() const
{
    if (!isOpen() || !m_db)
        throw Error(u"A tabela %1 não está aberta."_s.arg(m_tableName));
}

// Moving away from a row being written posts it first, as the grids and
// dialogs of the program expect of a table component.
void Table::checkBrowseMode()
{
    if (m_state == State::Insert || m_state == State::Edit)
        post();
}

QString Table::qualifiedTable() const
{
    return quoted(m_schema) % u'.' % quoted(m_internal);
}

// ---- Reading rows -----------------------------------------------------------

QString Table::selectList() const
{
    QStringList columns{quoted(m_layout->primaryKey)};
    for (const ColumnLayout &c : m_layout->columns)
        columns << quoted(c.name);
    for (const QString &c : orderColumns())
        columns << quoted(c);
    return columns.join(u", "_s);
}

QString Table::orderBy(bool descending) const
{
    QStringList parts;
    for (const QString &c : orderColumns())
        parts << (descending ? quoted(c) + u" DESC"_s : quoted(c));
    return parts.join(u", "_s);
}

[[noreturn]] void Table::fail(const QString &action, const QSqlQuery &query) const
{
    raiseEngineError(m_toWrite && !action.startsWith(u"apagar"_s) ? u"gravar na tabela"_s : action, m_tableName,
                     engineText(query.lastError()), nativeCode(query.lastError()));
}

bool Table::fetchWhere(const QString &where, const QVariantList &binds, bool descending)
{
    QSqlQuery q = m_db->newQuery();
    QString sql = u"SELECT "_s % selectList() % u" FROM "_s % qualifiedTable();
    if (!where.isEmpty())
        sql += u" WHERE "_s % where;
    sql += u" ORDER BY "_s % orderBy(descending) % u" LIMIT 1"_s;
    if (!q.prepare(sql))
        fail(u"ler a tabela"_s, q);
    for (const QVariant &v : binds)
        q.addBindValue(v);
    if (!q.exec())
        fail(u"ler a tabela"_s, q);
    if (!q.next()) {
        if (q.lastError().isValid())
            fail(u"ler a tabela"_s, q);
        return false;
    }
    loadRow(q);
    return true;
}

void Table::loadRow(QSqlQuery &query)
{
    m_row.assign(1 + m_layout->columns.size(), QVariant());
    m_row[0] = fromStored(ColumnKind::Integer, query.value(0));
    for (size_t i = 0; i < m_layout->columns.size(); ++i)
        m_row[i + 1] = fromStored(m_layout->columns[i].kind, query.value(int(i + 1)));
    m_orderKey.clear();
    const int first = int(1 + m_layout->columns.size());
    const int count = int(orderColumns().size());
    for (int i = 0; i < count; ++i)
        m_orderKey << query.value(first + i);
    m_hasRow = true;
}

void Table::clearRow()
{
    m_row.assign(m_layout ? 1 + m_layout->columns.size() : 0, QVariant());
    m_orderKey.clear();
    m_hasRow = false;
}

QString Table::afterCurrent(QVariantList &binds) const
{
    QStringList columns;
    for (const QString &c : orderColumns())
        columns << quoted(c);
    return rowsAfter(columns, m_orderKey, binds);
}

bool Table::seekAfterCurrent()
{
    QVariantList binds;
    const QString where = afterCurrent(binds);
    return fetchWhere(where, binds);
}

// Reads the current row again (after a post or an index change, so the
// key of the new order is known).
void Table::reloadCurrent()
{
    if (!m_hasRow)
        return;
    const qint64 id = currentId();
    if (!fetchWhere(quoted(m_layout->primaryKey) % u" = ?"_s, {QVariant::fromValue(id)}))
        clearRow();
}

// ---- Moving -----------------------------------------------------------------

void Table::first()
{
    requireOpen();
    checkBrowseMode();
    if (!fetchWhere({}, {}))
        clearRow();
    m_bof = true;
    m_eof = !m_hasRow;
    Q_EMIT rowChanged();
}

void Table::next()
{
    requireOpen();
    checkBrowseMode();
    if (!m_hasRow) {
        m_eof = true;
        return;
    }
    if (seekAfterCurrent()) {
        m_bof = false;
        m_eof = false;
        Q_EMIT rowChanged();
    } else {
        m_eof = true;
    }
}

bool Table::isEmpty() const
{
    if (!isOpen() || !m_db)
        return true;
    QSqlQuery q = m_db->newQuery();
    if (!q.exec(u"SELECT EXISTS (SELECT 1 FROM "_s % qualifiedTable() % u")"_s) || !q.next())
        fail(u"ler a tabela"_s, q);
    return q.value(0).toLongLong() == 0;
}

qint64 Table::recordCount() const
{
    requireOpen();
    QSqlQuery q = m_db->newQuery();
    if (!q.exec(u"SELECT COUNT(*) FROM "_s % qualifiedTable()) || !q.next())
        fail(u"ler a tabela"_s, q);
    return q.value(0).toLongLong();
}

bool Table::findKey(const QVariant &key)
{
    requireOpen();
    checkBrowseMode();
    QString column = m_layout->primaryKey;
    ColumnKind kind = ColumnKind::Integer;
    QVariant value;
    if (m_index && m_index->foldCase) {
        column = m_index->keyColumn;
        value = key.isNull() ? QVariant() : QVariant::fromValue(foldedKey(key.toString()));
    } else {
        if (m_index)
            column = m_index->fields.value(0);
        if (const ColumnLayout *c = m_layout->column(column))
            kind = c->kind;
        value = toStored(kind, key);
    }
    if (value.isNull())
        return false;
    if (!fetchWhere(quoted(column) % u" = ?"_s, {value}))
        return false;
    m_bof = m_eof = false;
    Q_EMIT rowChanged();
    return true;
}

bool Table::gotoPrimaryKey(qint64 id)
{
    requireOpen();
    checkBrowseMode();
    if (!fetchWhere(quoted(m_layout->primaryKey) % u" = ?"_s, {QVariant::fromValue(id)}))
        return false;
    m_bof = m_eof = false;
    Q_EMIT rowChanged();
    return true;
}

void Table::readRows(const QStringList &fields, std::vector<qint64> &ids,
                     std::vector<QVariantList> &rows) const
{
    ids.clear();
    rows.clear();
    if (!isOpen() || !m_db)
        return;
    QStringList columns{quoted(m_layout->primaryKey)};
    std::vector<ColumnKind> kinds;
    for (const QString &f : fields) {
        const ColumnLayout *c = m_layout->column(f);
        if (!c)
            throw Error(u"O campo %1 não existe na tabela %2."_s.arg(f, m_tableName));
        columns << quoted(c->name);
        kinds.push_back(c->kind);
    }
    QSqlQuery q = m_db->newQuery();
    if (!q.exec(u"SELECT "_s % columns.join(u", "_s) % u" FROM "_s % qualifiedTable() % u" ORDER BY "_s
                % orderBy()))
        fail(u"ler a tabela"_s, q);
    while (q.next()) {
        ids.push_back(q.value(0).toLongLong());
        QVariantList row;
        row.reserve(qsizetype(kinds.size()));
        for (size_t i = 0; i < kinds.size(); ++i)
            row << fromStored(kinds[i], q.value(int(i + 1)));
        rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        fail(u"ler a tabela"_s, q);
}

// ---- Writing ----------------------------------------------------------------

void Table::insert()
{
    requireOpen();
    checkBrowseMode();
    m_idBeforeInsert = m_hasRow ? currentId() : 0;
    m_row.assign(1 + m_layout->columns.size(), QVariant());
    m_state = State::Insert;
    Q_EMIT rowChanged();
}

void Table::edit()
{
    requireOpen();
    if (m_state == State::Insert || m_state == State::Edit)
        return;
    if (!m_hasRow)
        throw Error(u"Não há registro para alterar na tabela %1."_s.arg(m_tableName));
    m_state = State::Edit;
}

void Table::post()
{
    requireOpen();
    if (m_state != State::Insert && m_state != State::Edit)
        return;
    // Results already open on this file are read to the end first: they
    // stay what they were when opened.
    m_db->settleReaders(m_schema);

    QStringList columns;
    QVariantList values;
    for (size_t i = 0; i < m_layout->columns.size(); ++i) {
        const ColumnLayout &c = m_layout->columns[i];
        columns << quoted(c.name);
        values << toStored(c.kind, m_row[i + 1], c.maxLength);
    }
    for (const IndexLayout &index : m_layout->indexes) {
        if (!index.foldCase || index.keyColumn.isEmpty())
            continue;
        const ColumnLayout *source = m_layout->column(index.fields.value(0));
        const QVariant name = source ? m_row[size_t(source - m_layout->columns.data()) + 1] : QVariant();
        columns << quoted(index.keyColumn);
        values << (name.isNull() ? QVariant() : QVariant::fromValue(foldedKey(name.toString())));
    }

    QSqlQuery q = m_db->newQuery();
    qint64 id = 0;
    if (m_state == State::Insert) {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks << u"?"_s;
        if (!q.prepare(u"INSERT INTO "_s % qualifiedTable() % u" ("_s % columns.join(u", "_s) % u") VALUES ("_s
                       % marks.join(u", "_s) % u")"_s))
            fail(u"gravar na tabela"_s, q);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            fail(u"gravar na tabela"_s, q);
        id = q.lastInsertId().toLongLong();
    } else {
        id = currentId();
        QStringList assignments;
        for (const QString &c : columns)
            assignments << c % u" = ?"_s;
        if (!q.prepare(u"UPDATE "_s % qualifiedTable() % u" SET "_s % assignments.join(u", "_s) % u" WHERE "_s
                       % quoted(m_layout->primaryKey) % u" = ?"_s))
            fail(u"gravar na tabela"_s, q);
        for (const QVariant &v : values)
            q.addBindValue(v);
        q.addBindValue(QVariant::fromValue(id));
        if (!q.exec())
            fail(u"gravar na tabela"_s, q);
        if (q.numRowsAffected() == 0) {
            m_state = State::Browse;
            throw Error(u"O registro que estava sendo alterado não existe mais na tabela %1."_s.arg(m_tableName));
        }
    }
    q.finish();
    m_state = State::Browse;
    if (fetchWhere(quoted(m_layout->primaryKey) % u" = ?"_s, {QVariant::fromValue(id)}))
        m_bof = m_eof = false;
    Q_EMIT dataChanged();
    Q_EMIT rowChanged();
}

void Table::cancel()
{
    if (m_state == State::Insert) {
        m_state = State::Browse;
        clearRow();
        if (m_idBeforeInsert == 0 || !gotoPrimaryKey(m_idBeforeInsert))
            first();
        return;
    }
    if (m_state == State::Edit) {
        m_state = State::Browse;
        reloadCurrent();
        Q_EMIT rowChanged();
    }
}

void Table::deleteRow()
{
    requireOpen();
    if (m_state == State::Insert) {
        cancel();
        return;
    }
    if (m_state == State::Edit)
        cancel();
    if (!m_hasRow)
        throw Error(u"Não há registro para apagar na tabela %1."_s.arg(m_tableName));
    m_db->settleReaders(m_schema);
    const qint64 id = currentId();
    {
        QSqlQuery q = m_db->newQuery();
        if (!q.prepare(u"DELETE FROM "_s % qualifiedTable() % u" WHERE "_s % quoted(m_layout->primaryKey)
                       % u" = ?"_s))
            fail(u"apagar um registro da tabela"_s, q);
        q.addBindValue(QVariant::fromValue(id));
        if (!q.exec())
            fail(u"apagar um registro da tabela"_s, q);
    }
    // Stand on the next row, or on the new last one when the last went.
    if (seekAfterCurrent()) {
        m_eof = false;
    } else if (fetchWhere({}, {}, true)) {
        m_eof = false;
    } else {
        clearRow();
        m_eof = m_bof = true;
    }
    Q_EMIT dataChanged();
    Q_EMIT rowChanged();
}

// ---- Fields -----------------------------------------------------------------

Field Table::fieldByName(const QString &name)
{
    requireOpen();
    if (name.compare(m_layout->primaryKey, Qt::CaseInsensitive) == 0)
        return Field(&m_row[0], m_layout->primaryKey, false);
    for (size_t i = 0; i < m_layout->columns.size(); ++i) {
        const ColumnLayout &c = m_layout->columns[i];
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return Field(&m_row[i + 1], c.name, m_state == State::Insert || m_state == State::Edit);
    }
    throw Error(u"O campo %1 não existe na tabela %2."_s.arg(name, m_tableName));
}

qint64 Table::currentId() const
{
    if (m_row.empty() || m_row[0].isNull())
        return 0;
    return m_row[0].toLongLong();
}

} // namespace cofrel::data
