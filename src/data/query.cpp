#include "data/query.h"

#include "app/errors.h"
#include "data/conversions.h"
#include "data/keyset.h"
#include "data/statement.h"

#include <algorithm>
#include <climits>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

QString quoted(const QString &identifier)
{
    return u'"' % QString(identifier).replace(u'"', u"\"\""_s) % u'"';
}

QString parameterName(const QString &name)
{
    return name.startsWith(u':') ? name.mid(1) : name;
}

// Named marks throughout: the statements' own parameters are named.
QString withNamedKeyMarks(QString condition)
{
    for (qsizetype i = 0, n = 0; i < condition.size(); ++i) {
        if (condition[i] == u'?') {
            const QString mark = u":cofrel_chave%1"_s.arg(n++);
            condition.replace(i, 1, mark);
            i += mark.size() - 1;
        }
    }
    return condition;
}

void bindKey(Statement &statement, const QVariantList &values)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.bind(u"cofrel_chave%1"_s.arg(i), values[i]);
}

QStringList quotedColumns(const QStringList &names)
{
    QStringList columns;
    for (const QString &name : names)
        columns << quoted(name);
    return columns;
}

QVariantList readKey(Statement &statement, qsizetype columns)
{
    QVariantList values;
    try {
        if (statement.step(u"ler"_s)) {
            for (int i = 0; i < columns; ++i)
                values << statement.value(i);
        }
    } catch (...) {
        statement.reset();
        throw;
    }
    statement.reset(); // no read lock held meanwhile
    return values;
}

bool hasNull(const QVariantList &values)
{
    return std::any_of(values.begin(), values.end(), [](const QVariant &v) { return v.isNull(); });
}

} // namespace

// Statements of texts run before, reset, for the next time the same text
// is opened (a chart refresh runs nine sums and the balance again and
// again). They belong to one connection and go before it does.
class Query::KeptStatements final {
public:
    ~KeptStatements() { forget(); }

    std::unique_ptr<Statement> take(const Database &db, const QString &text)
    {
        if (&db != m_db)
            return {};
        for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
            if (it->first == text) {
                std::unique_ptr<Statement> statement = std::move(it->second);
                m_kept.erase(it);
                return statement;
            }
        }
        return {};
    }

    void keep(Database &db, const QString &text, std::unique_ptr<Statement> statement)
    {
        statement->reset(); // no read lock held while it waits
        if (&db != m_db) {
            forget();
            m_db = &db;
            m_db->addClient(this, {{}, {}, [this] {
                                       m_kept.clear();
                                       m_db = nullptr;
                                   }});
        }
        m_kept.emplace_back(text, std::move(statement));
        if (m_kept.size() > MaxKept)
            m_kept.erase(m_kept.begin());
    }

    void forget() noexcept
    {
        if (m_db)
            m_db->removeClient(this);
        m_kept.clear();
        m_db = nullptr;
    }

private:
    static constexpr size_t MaxKept = 12;
    std::vector<std::pair<QString, std::unique_ptr<Statement>>> m_kept;
    Database *m_db = nullptr;
};

Query::Query(QString alias, QObject *parent)
    : QObject(parent)
    , m_alias(std::move(alias))
    , m_kept(std::make_unique<KeptStatements>())
{
}

Query::~Query()
{
    close();
}

// ---- Text and parameters ----------------------------------------------------

void Query::clearSql()
{
    close();
    m_sql.reset();
    m_params.clear();
}

void Query::setSql(const Sql &sql)
{
    close();
    m_sql = sql;
    m_params.clear();
}

void Query::bindDate(const QString &name, const QDate &value)
{
    m_params.insert(parameterName(name), value.isValid() ? QVariant::fromValue(isoDate(value)) : QVariant());
}

void Query::bindInteger(const QString &name, qint64 value)
{
    m_params.insert(parameterName(name), QVariant::fromValue(value));
}

// A parameter never bound is null.
void Query::bindParameters(Statement &statement) const
{
    for (const QString &name : m_sql->parameters())
        statement.bind(name, m_params.value(name));
}

// The table's name stands for a view that yields its rows in key order; a
// sum reads the stored table itself.
QString Query::runText() const
{
    if (!m_sql->isSingleSum())
        return m_sql->text();
    return m_sql->textOver(quoted(m_table.schema) % u'.' % quoted(m_table.table) % u" AS "_s % m_sql->table());
}

// ---- Prepare, open, close ---------------------------------------------------

// The table is attached while the query is prepared or open; its name
// resolves to the file "<name>.db" in any letter case.
void Query::prepare()
{
    if (m_state != State::Closed)
        return;
    if (!m_sql)
        throw Error(u"A consulta não tem instrução SQL."_s);
    Database &db = Database::forAlias(m_alias);
    const QString fileName = m_sql->table() + u".db"_s;
    m_table = db.attach(fileName);
    try {
        const QString text = runText();
        m_statement = m_kept->take(db, text);
        if (!m_statement)
            m_statement = Statement::prepare(db, text, fileName);
    } catch (...) {
        m_table = {};
        try {
            db.release(fileName);
        } catch (...) {
        }
        throw;
    }
    m_db = &db;
    m_state = State::Prepared;
    m_db->addClient(this, {[this] { return m_reading == Reading::Live ? QStringList{m_table.schema} : QStringList(); },
                           [this] { settle(); }, [this] { forgetDatabase(); }});
}

void Query::open()
{
    if (m_state == State::Open)
        return;
    prepare();
    m_state = State::Open;
    m_reading = Reading::Live;
    m_position = 0;
    m_base = 0;
    m_fieldsLive = false;
    m_lastKey.clear();
    try {
        m_total = m_sql->isSingleSum() ? -1 : countRows();
        m_statement->reset();
        bindParameters(*m_statement);
        // The columns are known once the statement has run.
        const bool row = m_statement->step(u"abrir a consulta sobre"_s);
        m_rows.setUp(*m_statement, m_table.layout);
        m_currentRow.assign(size_t(m_rows.count()), QVariant());
        if (row)
            m_rows.append(*m_statement);
        else
            finish();
    } catch (...) {
        close();
        throw;
    }
    Q_EMIT opened();
    Q_EMIT positionChanged(0);
}

void Query::close()
{
    if (m_state == State::Closed)
        return;
    const bool wasOpen = m_state == State::Open;
    if (m_statement && !m_continued) {
        try {
            m_kept->keep(*m_db, runText(), std::move(m_statement));
        } catch (...) {
        }
    }
    m_statement.reset();
    m_db->removeClient(this);
    try {
        m_db->release(m_table.fileName);
    } catch (...) {
    }
    becomeClosed();
    if (wasOpen) {
        try {
            Q_EMIT closed();
        } catch (...) {
        }
    }
}

void Query::becomeClosed()
{
    m_db = nullptr;
    m_table = {};
    m_state = State::Closed;
    m_reading = Reading::Done;
    m_position = m_base = 0;
    m_total = -1;
    m_continued = false;
    m_lastKey.clear();
    m_sample.clear();
    m_sampleTakenAt.reset();
    m_rows.clear();
    std::fill(m_currentRow.begin(), m_currentRow.end(), QVariant());
}

// The database is going away: let go of the statement without touching it.
void Query::forgetDatabase()
{
    const bool wasOpen = m_state == State::Open;
    m_statement.reset();
    becomeClosed();
    if (wasOpen)
        Q_EMIT closed();
}

// ---- Reading ----------------------------------------------------------------

// Done: the statement has let go of the file's read lock.
void Query::finish()
{
    m_reading = Reading::Done;
    m_rows.fitToSize();
}

// A write to the table is coming: read the rest now, so the result stays
// what it was when opened, and free the statement.
void Query::settle()
{
    if (m_state != State::Open || m_reading != Reading::Live)
        return;
    fetchUpTo(fetchedRows() + SettleRows);
    if (m_reading == Reading::Done)
        return;
    QVariantList key;
    for (const QString &column : m_sql->keyOrder()) {
        const int index = m_rows.indexOf(column);
        if (index >= 0)
            key << m_statement->value(index);
    }
    if (key.isEmpty() || key.size() != m_sql->keyOrder().size()) {
        fetchUpTo(INT_MAX);
        return;
    }
    // The statement still stands on the last row read: its key is where
    // the rows are taken up again.
    m_lastKey = key;
    m_statement->reset();
    m_reading = Reading::Suspended;
}

// Takes the rows up again after the last one read, in key order.
void Query::resume()
{
    QStringList columns;
    for (const QString &column : m_sql->keyOrder())
        columns << quoted(column);
    QVariantList keyValues;
    const QString after = withNamedKeyMarks(rowsAfter(columns, m_lastKey, keyValues));
    const QString sql = u"SELECT * FROM ("_s % m_sql->text() % u") WHERE "_s % after % u" ORDER BY "_s
                        % columns.join(u", "_s);
    std::unique_ptr<Statement> next = Statement::prepare(*m_db, sql, m_table.fileName, u"ler"_s);
    bindParameters(*next);
    bindKey(*next, keyValues);
    m_statement = std::move(next);
    m_continued = true;
    m_reading = Reading::Live;
}

// The stored table is counted, through its smallest index.
int Query::countRows()
{
    const QString source = quoted(m_table.schema) % u'.' % quoted(m_table.table) % u" AS "_s % m_sql->table();
    const std::unique_ptr<Statement> count = Statement::prepare(*m_db, m_sql->countOver(source), m_table.fileName);
    bindParameters(*count);
    const qint64 rows = count->step(u"abrir a consulta sobre"_s) ? count->integer(0) : 0;
    count->reset();
    return int(qMin<qint64>(rows, INT_MAX - 1));
}

// The key of the row \a fromEnd rows before the last, read backwards through the
// index that gives the key order; empty when there is no such row.
QVariantList Query::keyFromEnd(int fromEnd)
{
    QStringList columns;
    QStringList descending;
    for (const QString &column : m_sql->keyOrder()) {
        columns << quoted(column);
        descending << quoted(column) % u" DESC"_s;
    }
    const std::unique_ptr<Statement> key = Statement::prepare(
        *m_db,
        u"SELECT "_s % columns.join(u", "_s) % u" FROM ("_s % m_sql->text() % u") ORDER BY "_s
            % descending.join(u", "_s) % u" LIMIT 1 OFFSET :cofrel_desde"_s,
        m_table.fileName, u"ler"_s);
    bindParameters(*key);
    key->bind(u"cofrel_desde"_s, QVariant::fromValue(qint64(fromEnd)));
    return readKey(*key, columns.size());
}

// The key of the row \a skip rows on from the first whose leading key column
// is \a lead or more (from the first row when \a lead is null), read from the
// index alone: SQLite seeks to \a lead and steps over the keys after it.
QVariantList Query::keyFrom(const QVariant &lead, int skip)
{
    const QStringList columns = quotedColumns(m_sql->keyOrder());
    const QString from = lead.isNull() ? QString() : u" WHERE "_s % columns[0] % u" >= :cofrel_chave0"_s;
    const std::unique_ptr<Statement> key = Statement::prepare(
        *m_db,
        u"SELECT "_s % columns.join(u", "_s) % u" FROM ("_s % m_sql->text() % u")"_s % from % u" ORDER BY "_s
            % columns.join(u", "_s) % u" LIMIT 1 OFFSET :cofrel_desde"_s,
        m_table.fileName, u"ler"_s);
    bindParameters(*key);
    if (!lead.isNull())
        key->bind(u"cofrel_chave0"_s, lead);
    key->bind(u"cofrel_desde"_s, QVariant::fromValue(qint64(skip)));
    return readKey(*key, columns.size());
}

// Notes that row \a row has \a key, and where the rows sharing its leading
// column begin, so that a later jump near it seeks from there.
void Query::noteKey(int row, const QVariantList &key)
{
    if (key.size() != m_sql->keyOrder().size() || hasNull(key))
        return;
    const QStringList columns = quotedColumns(m_sql->keyOrder());
    QString before;
    if (columns.size() > 1) {
        QStringList marks;
        for (qsizetype i = 1; i < columns.size(); ++i)
            marks << u":cofrel_chave%1"_s.arg(i);
        before = u" AND ("_s % columns.mid(1).join(u", "_s) % u") < ("_s % marks.join(u", "_s) % u")"_s;
    }
    const std::unique_ptr<Statement> count = Statement::prepare(
        *m_db,
        u"SELECT count(*) FROM (SELECT "_s % columns.join(u", "_s) % u" FROM ("_s % m_sql->text() % u") WHERE "_s
            % columns[0] % u" = :cofrel_chave0"_s % before % u" ORDER BY "_s % columns.join(u", "_s) % u")"_s,
        m_table.fileName, u"ler"_s);
    bindParameters(*count);
    bindKey(*count, key);
    const QVariantList sharing = readKey(*count, 1);
    if (sharing.isEmpty())
        return;
    if (m_sample.size() >= MaxSampled)
        m_sample.clear();
    m_sample[row] = SampledKey{key.first(), row - int(sharing.first().toLongLong())};
}

// The key of row \a row, read over the fewest keys of the index: backwards
// from the end, or on from the first row or from where the rows sharing a
// key an earlier jump found begin (a scrollbar dragged reaches each place
// from the one before). The keys noted hold until the file may have been
// written.
QVariantList Query::keyOfRow(int row)
{
    if (!m_sample.empty() && m_db->changedSince(m_table.fileName, m_sampleTakenAt))
        m_sample.clear();
    if (m_sample.empty())
        m_sampleTakenAt = m_db->stamp(m_table.fileName);
    const auto after = m_sample.upper_bound(row);
    const SampledKey *near = after == m_sample.begin() ? nullptr : &std::prev(after)->second;
    const int nearRow = near ? near->firstSharing : 0;
    const QVariantList key = m_total - 1 - row < row - nearRow
                                 ? keyFromEnd(m_total - 1 - row)
                                 : keyFrom(near ? near->lead : QVariant(), row - nearRow);
    noteKey(row, key);
    return key;
}

// The window starts again at row \a row: the key of the row before it is
// found through the index alone and the rows are taken up after that key,
// so a screen anywhere costs about as little as the first.
void Query::startAt(int row)
{
    if (row > 0 && m_total > 0 && !m_sql->keyOrder().isEmpty()) {
        QVariantList key = keyOfRow(row - 1);
        if (key.size() == m_sql->keyOrder().size()) {
            m_statement->reset(); // taken up again from the key on the next read
            m_continued = true;
            m_lastKey = std::move(key);
            m_rows.dropRows();
            m_base = row;
            m_reading = Reading::Suspended;
            return;
        }
    }
    std::unique_ptr<Statement> next = Statement::prepare(
        *m_db, u"SELECT * FROM ("_s % m_sql->text() % u") LIMIT -1 OFFSET :cofrel_desde"_s, m_table.fileName, u"ler"_s);
    bindParameters(*next);
    next->bind(u"cofrel_desde"_s, QVariant::fromValue(qint64(row)));
    m_statement = std::move(next);
    m_continued = true;
    m_lastKey.clear();
    m_rows.dropRows();
    m_base = row;
    m_reading = Reading::Live;
}

void Query::hold(int row)
{
    if (!isOpen() || row < 0 || (m_total >= 0 && row >= m_total))
        return;
    if (row >= m_base && row < fetchedRows())
        return;
    if (m_total >= 0 && (row < m_base || row > fetchedRows() + NearRows))
        startAt(row);
    fetchUpTo(row + 1 + 64);
}

bool Query::fetchOne()
{
    if (m_reading == Reading::Done || !m_statement)
        return false;
    const bool resumed = m_reading == Reading::Suspended;
    if (resumed)
        resume();
    bool row = false;
    try {
        row = m_statement->step(u"ler"_s);
    } catch (...) {
        m_reading = Reading::Done;
        throw;
    }
    if (!row) {
        finish();
        return false;
    }
    if (resumed && m_statement->columnCount() != m_rows.count())
        throw Error(u"A consulta sobre %1 mudou de colunas enquanto era lida."_s.arg(m_table.fileName));
    m_rows.append(*m_statement);
    return true;
}

void Query::fetchUpTo(int rows)
{
    while (fetchedRows() < rows && fetchOne()) {
    }
}

QStringList Query::queryPlan()
{
    prepare();
    const std::unique_ptr<Statement> plan =
        Statement::prepare(*m_db, u"EXPLAIN QUERY PLAN "_s % runText(), m_table.fileName);
    bindParameters(*plan);
    QStringList lines;
    while (plan->step(u"ler"_s))
        lines << QString::fromUtf8(plan->bytes(3));
    return lines;
}

void Query::readEachRow(const std::function<void(const Statement &row)> &visit)
{
    open();
    const std::unique_ptr<Statement> walk = Statement::prepare(*m_db, runText(), m_table.fileName, u"ler"_s);
    bindParameters(*walk);
    while (walk->step(u"ler"_s))
        visit(*walk);
}

// ---- The walk ---------------------------------------------------------------

double Query::singleValueAsFloat()
{
    open();
    const QVariant v = value(0, 0);
    return v.isNull() ? 0.0 : v.toDouble();
}

void Query::first()
{
    moveTo(0);
}

void Query::next()
{
    if (!isOpen() || !eof())
        moveTo(m_position + 1);
}

bool Query::eof() const
{
    return !isOpen() || m_position >= fetchedRows();
}

bool Query::isEmpty()
{
    return !isOpen() || fetchedRows() == 0;
}

void Query::moveTo(int row)
{
    if (!isOpen())
        throw Error(u"A consulta não está aberta."_s);
    row = qMax(0, row);
    // Past the end the window goes to the last row, not over every row before it.
    const int held = m_total > 0 ? qMin(row, m_total - 1) : row;
    if (m_total > 0 && (held < m_base || held > fetchedRows() + NearRows))
        startAt(held);
    if (row < INT_MAX)
        fetchUpTo(row + 1);
    const int target = qMin(row, fetchedRows());
    const bool moved = target != m_position;
    m_position = target;
    if (m_fieldsLive)
        refreshCurrentRow();
    if (moved)
        Q_EMIT positionChanged(m_position);
}

// Past the end the last row stays current, as in a table.
void Query::refreshCurrentRow()
{
    const int row = qMin(m_position, fetchedRows() - 1);
    if (row < m_base) // a grid showed rows elsewhere meanwhile
        hold(row);
    for (size_t i = 0; i < m_currentRow.size(); ++i)
        m_currentRow[i] = value(row, int(i));
}

Field Query::fieldByName(const QString &name)
{
    if (!isOpen())
        throw Error(u"A consulta não está aberta."_s);
    const int column = columnIndex(name);
    if (column < 0)
        throw Error(u"O campo %1 não existe no resultado da consulta."_s.arg(name));
    if (!m_fieldsLive) {
        m_fieldsLive = true;
        refreshCurrentRow();
    }
    return Field(&m_currentRow[size_t(column)], columnName(column), false);
}

} // namespace cofrel::data
