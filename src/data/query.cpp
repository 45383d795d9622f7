#include "data/query.h"

#include "app/errors.h"
#include "data/conversions.h"
#include "data/database.h"
#include "data/keyset.h"
#include "data/statement.h"

#include <QRegularExpression>
#include <QSqlDatabase>

#include <climits>
#include <cmath>

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

// A kind for a column the layouts do not know (a SUM), from its first value.
ColumnKind kindOfType(Statement::Type type)
{
    switch (type) {
    case Statement::Type::Integer:
        return ColumnKind::Integer;
    case Statement::Type::Text:
        return ColumnKind::Text;
    case Statement::Type::Blob:
        return ColumnKind::Bytes;
    case Statement::Type::Float:
    case Statement::Type::Null:
        break;
    }
    return ColumnKind::Real;
}

char16_t codeOf(QChar c)
{
    return c.unicode();
}

char16_t codeOf(char c)
{
    return char16_t(uchar(c));
}

ColumnKind kindOfValue(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return ColumnKind::Integer;
    case QMetaType::QByteArray:
        return ColumnKind::Bytes;
    case QMetaType::QString:
        return ColumnKind::Text;
    default:
        return ColumnKind::Real;
    }
}

} // namespace

// One result column, held compactly: numbers and dates (as day numbers) in
// plain vectors, texts in one UTF-8 arena.
struct Query::Column {
    QString name;
    ColumnKind kind = ColumnKind::Real;
    bool kindKnown = false;
    std::vector<qint64> ints;
    std::vector<double> reals;
    std::vector<qsizetype> ends; // end of each value in the arena
    QByteArray arena;
    std::vector<bool> nulls;

    // Buffers reused from a much larger result give back what this one
    // does not need, so a column keeps at most a few times its own size.
    void fitToSize()
    {
        const auto fit = [](auto &buffer, size_t used, size_t capacity) {
            if (capacity > 1024 * 1024 && capacity > 4 * used)
                buffer.shrink_to_fit();
        };
        fit(ints, ints.size() * sizeof(qint64), ints.capacity() * sizeof(qint64));
        fit(reals, reals.size() * sizeof(double), reals.capacity() * sizeof(double));
        fit(ends, ends.size() * sizeof(qsizetype), ends.capacity() * sizeof(qsizetype));
        fit(nulls, nulls.size() / 8, nulls.capacity() / 8);
        if (arena.capacity() > 1024 * 1024 && arena.capacity() > 4 * arena.size())
            arena.squeeze();
    }

    // No values, no kind; the buffers keep their capacity.
    void clearValues()
    {
        name.clear();
        kind = ColumnKind::Real;
        kindKnown = false;
        ints.clear();
        reals.clear();
        ends.clear();
        arena.truncate(0);
        nulls.clear();
    }

    void append(const QVariant &raw)
    {
        if (!kindKnown && !raw.isNull()) {
            kind = kindOfValue(raw);
            kindKnown = true;
        }
        // The common stored forms are taken directly; anything else goes
        // through the general conversion.
        const int type = raw.typeId();
        switch (kind) {
        case ColumnKind::Integer: {
            const QVariant v = type == QMetaType::LongLong ? raw : fromStored(kind, raw);
            nulls.push_back(v.isNull());
            ints.push_back(v.isNull() ? 0 : v.toLongLong());
            break;
        }
        case ColumnKind::Date: {
            qint64 day = 0;
            bool ok = type == QMetaType::QString && isoDay(raw.toString(), day);
            if (!ok) {
                const QVariant v = fromStored(kind, raw);
                ok = !v.isNull();
                day = ok ? v.toDate().toJulianDay() : 0;
            }
            nulls.push_back(!ok);
            ints.push_back(day);
            break;
        }
        case ColumnKind::Real: {
            const QVariant v = type == QMetaType::Double ? raw : fromStored(kind, raw);
            nulls.push_back(v.isNull());
            reals.push_back(v.isNull() ? 0.0 : v.toDouble());
            break;
        }
        case ColumnKind::Text:
            nulls.push_back(raw.isNull());
            if (type == QMetaType::QString)
                arena += raw.toString().toUtf8();
            else if (!raw.isNull())
                arena += fromStored(kind, raw).toString().toUtf8();
            ends.push_back(arena.size());
            break;
        case ColumnKind::Bytes:
            nulls.push_back(raw.isNull());
            if (!raw.isNull())
                arena += fromStored(kind, raw).toByteArray();
            ends.push_back(arena.size());
            break;
        }
    }

    // A value straight from the engine: the forms the layouts store are
    // taken as they are (a text as its UTF-8 bytes); anything else goes
    // through append() as Qt SQL would have given it.
    void appendFrom(const Statement &row, int column)
    {
        const Statement::Type type = row.type(column);
        if (!kindKnown && type != Statement::Type::Null) {
            kind = kindOfType(type);
            kindKnown = true;
        }
        qint64 day = 0;
        switch (kind) {
        case ColumnKind::Integer:
            if (type == Statement::Type::Integer) {
                nulls.push_back(false);
                ints.push_back(row.integer(column));
                return;
            }
            break;
        case ColumnKind::Date:
            if (type == Statement::Type::Text && isoDay(row.bytes(column), day)) {
                nulls.push_back(false);
                ints.push_back(day);
                return;
            }
            break;
        case ColumnKind::Real:
            if (type == Statement::Type::Float) {
                nulls.push_back(false);
                reals.push_back(row.real(column));
                return;
            }
            break;
        case ColumnKind::Text:
            if (type == Statement::Type::Text) {
                const QByteArrayView bytes = row.bytes(column);
                nulls.push_back(false);
                arena.append(bytes.data(), bytes.size());
                ends.push_back(arena.size());
                return;
            }
            break;
        case ColumnKind::Bytes:
            break;
        }
        append(row.value(column));
    }

    // "YYYY-MM-DD" read without the general date parser.
    template <typename Text>
    static bool isoDay(const Text &text, qint64 &day)
    {
        if (text.size() < 10 || codeOf(text[4]) != u'-' || codeOf(text[7]) != u'-')
            return false;
        int parts[3] = {0, 0, 0};
        const int starts[3] = {0, 5, 8};
        const int lengths[3] = {4, 2, 2};
        for (int p = 0; p < 3; ++p) {
            for (int i = 0; i < lengths[p]; ++i) {
                const char16_t c = codeOf(text[starts[p] + i]);
                if (c < u'0' || c > u'9')
                    return false;
                parts[p] = parts[p] * 10 + (c - u'0');
            }
        }
        const QDate d(parts[0], parts[1], parts[2]);
        if (!d.isValid())
            return false;
        day = d.toJulianDay();
        return true;
    }

    QVariant at(size_t row) const
    {
        if (row >= nulls.size() || nulls[row])
            return {};
        switch (kind) {
        case ColumnKind::Integer:
            return QVariant::fromValue(ints[row]);
        case ColumnKind::Date:
            return QVariant::fromValue(QDate::fromJulianDay(ints[row]));
        case ColumnKind::Real:
            return QVariant::fromValue(reals[row]);
        case ColumnKind::Text:
        case ColumnKind::Bytes: {
            const qsizetype begin = row == 0 ? 0 : ends[row - 1];
            const QByteArrayView bytes(arena.constData() + begin, ends[row] - begin);
            if (kind == ColumnKind::Text)
                return QVariant::fromValue(QString::fromUtf8(bytes));
            return QVariant::fromValue(bytes.toByteArray());
        }
        }
        return {};
    }
};

Query::Query(QString alias, QObject *parent)
    : QObject(parent)
    , m_alias(std::move(alias))
{
}

Query::~Query()
{
    close();
    dropKept();
}

// ---- Text and parameters ----------------------------------------------------

void Query::clearSql()
{
    close();
    m_sql.clear();
    m_params.clear();
}

void Query::setSql(const QString &text)
{
    close();
    m_sql = text;
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

// Only the names the text uses are bound; the others are left aside.
void Query::bindPending(Statement &statement)
{
    for (auto it = m_params.cbegin(); it != m_params.cend(); ++it)
        statement.bind(it.key(), it.value());
}

// ---- Tables -----------------------------------------------------------------

// The table named after FROM is attached while the query is prepared or
// open; its name resolves to the file "<name>.db" in any letter case.
void Query::attachTables()
{
    static const QRegularExpression from(u"\\bfrom\\s+(\"?)([A-Za-z_][A-Za-z0-9_]*)\\1(?![\\w.])"_s,
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(m_sql);
    if (!match.hasMatch())
        return;
    const QString fileName = match.captured(2) + u".db"_s;
    const Database::Attachment attachment = m_db->attach(fileName);
    m_attachedFiles << fileName;
    m_schema = attachment.schema;
    m_layout = attachment.layout;
    m_fromStart = match.capturedStart(2) - match.capturedLength(1);
    m_fromLength = match.capturedLength(2) + 2 * match.capturedLength(1);
}

void Query::releaseTables()
{
    if (m_db) {
        for (const QString &fileName : std::as_const(m_attachedFiles)) {
            try {
                m_db->release(fileName);
            } catch (...) {
            }
        }
    }
    m_attachedFiles.clear();
    m_schema.clear();
    m_layout = nullptr;
    m_fromStart = -1;
    m_fromLength = 0;
}

// The text as run. The table's name stands for a view that yields the rows
// in the table's own order; a statement that only sums or counts reads the
// stored table itself, so SQLite can answer it from a covering index
// instead of producing the ordered rows first.
QString Query::effectiveSql() const
{
    if (m_fromStart < 0 || !m_layout)
        return m_sql;
    static const QRegularExpression aggregateOnly(
        u"^\\s*select\\s+(?:(?:sum|total|count|avg|min|max)\\s*\\([^()]*\\)\\s*(?:as\\s+\\w+\\s*)?,?\\s*)+\\s+from\\s"_s,
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression grouping(u"\\b(group|order)\\s+by\\b|\\blimit\\b"_s,
                                             QRegularExpression::CaseInsensitiveOption);
    if (!aggregateOnly.match(m_sql).hasMatch() || grouping.match(m_sql).hasMatch())
        return m_sql;
    const QString name = m_sql.mid(m_fromStart, m_fromLength);
    return m_sql.left(m_fromStart) % quoted(m_schema) % u'.' % quoted(m_layout->internalName) % u" AS "_s
           % name % m_sql.mid(m_fromStart + m_fromLength);
}

// A plain "select * from <table> [where ...]" yields its rows in the
// table's own order, which is unique: such a statement can let go of its
// rows and take them up again after the last one read.
void Query::setUpContinuation()
{
    m_orderColumns.clear();
    if (!m_layout || m_fromStart < 0 || effectiveSql() != m_sql)
        return;
    static const QRegularExpression plain(u"^\\s*select\\s+\\*\\s+from\\s"_s, QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression other(
        u"\\b(order|group)\\s+by\\b|\\b(limit|union|join|distinct|having|except|intersect)\\b|[(),;]"_s,
        QRegularExpression::CaseInsensitiveOption);
    if (!plain.match(m_sql).hasMatch() || other.match(m_sql.mid(m_fromStart)).hasMatch())
        return;
    for (const QString &c : m_layout->viewOrder.split(u',', Qt::SkipEmptyParts)) {
        QString column = c.trimmed();
        if (column.startsWith(u'+'))
            column = column.mid(1).trimmed();
        m_orderColumns << quoted(column);
    }
}

// ---- Prepare, open, close ---------------------------------------------------

void Query::prepare()
{
    if (m_prepared)
        return;
    if (m_sql.trimmed().isEmpty())
        throw Error(u"A consulta não tem instrução SQL."_s);
    m_db = &Database::forAlias(m_alias);
    try {
        attachTables();
        m_statementSql = effectiveSql();
        m_statement = takeKept(m_statementSql);
        if (!m_statement)
            m_statement = std::make_unique<Statement>(m_db->connection(), m_statementSql, m_attachedFiles.value(0));
    } catch (...) {
        m_statement.reset();
        releaseTables();
        m_db = nullptr;
        throw;
    }
    m_prepared = true;
    setUpContinuation();
    m_db->addClient(this, {[this] { return m_exhausted || m_suspended ? QStringList() : QStringList{m_schema}; },
                           [this] { settle(); }, [this] { forgetDatabase(); }});
}

void Query::open()
{
    if (m_open)
        return;
    prepare();
    bool first = false;
    try {
        m_statement->reset();
        m_statement->clearBindings();
        bindPending(*m_statement);
        first = m_statement->step(u"abrir a consulta sobre"_s);
    } catch (...) {
        close();
        throw;
    }
    m_open = true;
    m_rowReady = first;
    m_exhausted = !first;
    m_suspended = false;
    m_position = 0;
    m_fetched = 0;
    m_fieldsLive = false;
    try {
        setUpColumns();
        fetchUpTo(1);
    } catch (...) {
        close();
        throw;
    }
    Q_EMIT opened();
    Q_EMIT positionChanged(0);
}

// The columns' buffers are kept for the next result, emptied: a large
// result read again (a period picked again) reuses their memory instead of
// asking the system for it anew.
void Query::recycleColumns()
{
    if (m_columns.empty())
        return;
    for (Column &c : m_columns)
        c.clearValues();
    m_spareColumns = std::move(m_columns);
    m_columns.clear();
}

void Query::setUpColumns()
{
    recycleColumns();
    const int count = m_statement->columnCount();
    for (int i = 0; i < count; ++i) {
        Column c;
        if (size_t(i) < m_spareColumns.size())
            c = std::move(m_spareColumns[size_t(i)]);
        c.name = m_statement->columnName(i);
        if (m_layout) {
            if (const ColumnLayout *known = m_layout->column(c.name)) {
                c.name = known->name;
                c.kind = known->kind;
                c.kindKnown = true;
            } else if (c.name.compare(m_layout->primaryKey, Qt::CaseInsensitive) == 0) {
                c.name = m_layout->primaryKey;
                c.kind = ColumnKind::Integer;
                c.kindKnown = true;
            }
        }
        m_columns.push_back(std::move(c));
    }
    m_spareColumns.clear();
    m_currentRow.assign(m_columns.size(), QVariant());
    m_orderIndexes.clear();
    m_lastKey.clear();
    for (const QString &quotedName : std::as_const(m_orderColumns)) {
        const QString name = quotedName.mid(1, quotedName.size() - 2);
        int index = -1;
        for (size_t i = 0; i < m_columns.size(); ++i) {
            if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
                index = int(i);
        }
        if (index < 0) {
            m_orderIndexes.clear();
            break;
        }
        m_orderIndexes.push_back(index);
    }
}

void Query::close()
{
    const bool wasOpen = m_open;
    if (!m_open && !m_prepared)
        return;
    if (m_statement && m_db && !m_statementSql.isEmpty()) {
        try {
            keep(std::move(m_statement));
        } catch (...) {
        }
    }
    m_statement.reset();
    m_rowReady = false;
    if (m_db)
        m_db->removeClient(this);
    releaseTables();
    m_db = nullptr;
    m_open = false;
    m_prepared = false;
    m_suspended = false;
    m_exhausted = true;
    m_position = 0;
    m_fetched = 0;
    recycleColumns();
    std::fill(m_currentRow.begin(), m_currentRow.end(), QVariant());
    if (wasOpen) {
        try {
            Q_EMIT closed();
        } catch (...) {
        }
    }
}

// ---- Statements kept for the next time ------------------------------------

namespace {

// A chart refresh runs ten texts on one query (nine sums and the balance).
constexpr size_t MaxKept = 12;

} // namespace

std::unique_ptr<Statement> Query::takeKept(const QString &sql)
{
    if (m_keptDb != m_db) {
        dropKept();
        return {};
    }
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it) {
        if (it->first == sql) {
            std::unique_ptr<Statement> statement = std::move(it->second);
            m_kept.erase(it);
            return statement;
        }
    }
    return {};
}

void Query::keep(std::unique_ptr<Statement> statement)
{
    statement->reset(); // no read lock held while it waits
    if (m_keptDb != m_db) {
        dropKept();
        m_keptDb = m_db;
        // Kept statements must go before the connection they belong to.
        m_keptDb->addClient(&m_kept, {{}, {}, [this] {
                                          m_kept.clear();
                                          m_keptDb = nullptr;
                                      }});
    }
    m_kept.emplace_back(m_statementSql, std::move(statement));
    if (m_kept.size() > MaxKept)
        m_kept.erase(m_kept.begin());
}

void Query::dropKept() noexcept
{
    if (m_keptDb)
        m_keptDb->removeClient(&m_kept);
    m_kept.clear();
    m_keptDb = nullptr;
}

// The database is going away: let go of the statement without touching it.
void Query::forgetDatabase()
{
    const bool wasOpen = m_open;
    m_statement.reset();
    m_rowReady = false;
    m_db = nullptr;
    m_attachedFiles.clear();
    m_schema.clear();
    m_layout = nullptr;
    m_fromStart = -1;
    m_open = m_prepared = m_suspended = false;
    m_exhausted = true;
    m_position = m_fetched = 0;
    m_columns.clear();
    std::fill(m_currentRow.begin(), m_currentRow.end(), QVariant());
    if (wasOpen)
        Q_EMIT closed();
}

// A write to the table is coming: read the rest now, so the result stays
// what it was when opened, and free the statement.
void Query::settle()
{
    if (!m_open || m_exhausted || m_suspended)
        return;
    fetchUpTo(m_fetched + SettleRows);
    if (m_exhausted)
        return;
    if (m_orderIndexes.empty() || m_fetched == 0) {
        fetchUpTo(INT_MAX);
        return;
    }
    // The statement still stands on the last row read: its key is where
    // the rows are taken up again (kept only now, not for every row read).
    m_lastKey.clear();
    for (const int index : m_orderIndexes)
        m_lastKey << m_statement->value(index);
    m_statement->reset();
    m_suspended = true;
}

// Takes the rows up again after the last one read, in the table's order.
void Query::resume()
{
    QVariantList keyValues;
    QString after = rowsAfter(m_orderColumns, m_lastKey, keyValues);
    // Named marks throughout: the statement's own parameters are named.
    for (qsizetype i = 0, n = 0; i < after.size(); ++i) {
        if (after[i] == u'?') {
            const QString mark = u":cofrel_chave%1"_s.arg(n++);
            after.replace(i, 1, mark);
            i += mark.size() - 1;
        }
    }
    const QString sql = u"SELECT * FROM ("_s % m_sql % u") WHERE "_s % after % u" ORDER BY "_s
                        % m_orderColumns.join(u", "_s);
    auto next = std::make_unique<Statement>(m_db->connection(), sql, m_attachedFiles.value(0), u"ler"_s);
    bindPending(*next);
    for (qsizetype i = 0; i < keyValues.size(); ++i)
        next->bind(u"cofrel_chave%1"_s.arg(i), keyValues[i]);
    if (next->columnCount() != int(m_columns.size()))
        throw Error(u"A consulta sobre %1 mudou de colunas enquanto era lida."_s.arg(m_attachedFiles.value(0)));
    m_statement = std::move(next);
    m_statementSql.clear(); // a continuation: not kept for the next time
    m_rowReady = false;
    m_suspended = false;
}

// ---- Fetching ---------------------------------------------------------------

bool Query::fetchOne()
{
    if (m_exhausted || !m_statement)
        return false;
    if (m_suspended)
        resume();
    if (m_rowReady) {
        m_rowReady = false; // open() stepped to it already
    } else {
        bool row = false;
        try {
            row = m_statement->step(u"ler"_s);
        } catch (...) {
            m_exhausted = true;
            throw;
        }
        if (!row) {
            // Done: the statement has let go of the file's read lock.
            m_exhausted = true;
            for (Column &c : m_columns)
                c.fitToSize();
            return false;
        }
    }
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i].appendFrom(*m_statement, int(i));
    ++m_fetched;
    return true;
}

void Query::fetchUpTo(int rows)
{
    const int before = m_fetched;
    while (m_fetched < rows && fetchOne()) {
    }
    if (m_fetched > before)
        Q_EMIT rowsFetched(before, m_fetched - 1);
}

int Query::fetchedRows() const
{
    return m_fetched;
}

QVariant Query::value(int row, int column) const
{
    if (row < 0 || column < 0 || row >= m_fetched || size_t(column) >= m_columns.size())
        return {};
    return m_columns[size_t(column)].at(size_t(row));
}

int Query::columnIndex(const QString &name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

const Query::Column *Query::columnOfKind(int row, int column, ColumnKind kind) const
{
    if (row < 0 || column < 0 || row >= m_fetched || size_t(column) >= m_columns.size())
        return nullptr;
    const Column &c = m_columns[size_t(column)];
    return c.kind == kind ? &c : nullptr;
}

std::optional<QByteArrayView> Query::textAt(int row, int column) const
{
    const Column *c = columnOfKind(row, column, ColumnKind::Text);
    if (!c)
        return std::nullopt;
    if (c->nulls[size_t(row)])
        return QByteArrayView();
    const qsizetype begin = row == 0 ? 0 : c->ends[size_t(row) - 1];
    return QByteArrayView(c->arena.constData() + begin, c->ends[size_t(row)] - begin);
}

std::optional<double> Query::realAt(int row, int column) const
{
    const Column *c = columnOfKind(row, column, ColumnKind::Real);
    if (!c)
        return std::nullopt;
    const double v = c->nulls[size_t(row)] ? 0.0 : c->reals[size_t(row)];
    return std::isfinite(v) ? v : 0.0;
}

std::optional<QDate> Query::dateAt(int row, int column) const
{
    const Column *c = columnOfKind(row, column, ColumnKind::Date);
    if (!c)
        return std::nullopt;
    return c->nulls[size_t(row)] ? QDate() : QDate::fromJulianDay(c->ints[size_t(row)]);
}

int Query::columnCount() const
{
    return int(m_columns.size());
}

QString Query::columnName(int column) const
{
    return column >= 0 && size_t(column) < m_columns.size() ? m_columns[size_t(column)].name : QString();
}

ColumnKind Query::columnKind(int column) const
{
    return column >= 0 && size_t(column) < m_columns.size() ? m_columns[size_t(column)].kind : ColumnKind::Text;
}

QStringList Query::queryPlan()
{
    prepare();
    Statement plan(m_db->connection(), u"EXPLAIN QUERY PLAN "_s % effectiveSql(), m_attachedFiles.value(0));
    bindPending(plan);
    QStringList lines;
    while (plan.step(u"ler"_s))
        lines << QString::fromUtf8(plan.bytes(3));
    return lines;
}

void Query::readEachRow(const std::function<void(const Statement &row)> &visit)
{
    requireOpen();
    Statement walk(m_db->connection(), effectiveSql(), m_attachedFiles.value(0), u"ler"_s);
    bindPending(walk);
    while (walk.step(u"ler"_s))
        visit(walk);
}

// ---- The walk ---------------------------------------------------------------

void Query::requireOpen() const
{
    if (!m_open)
        throw Error(u"A consulta não está aberta."_s);
}

double Query::singleValueAsFloat()
{
    if (!m_open)
        open();
    fetchUpTo(1);
    const QVariant v = value(0, 0);
    if (v.isNull())
        return 0.0;
    return v.toDouble();
}

void Query::first()
{
    requireOpen();
    moveTo(0);
}

void Query::next()
{
    requireOpen();
    if (eof())
        return;
    moveTo(m_position + 1);
}

bool Query::eof() const
{
    return !m_open || m_position >= m_fetched;
}

bool Query::isEmpty()
{
    if (!m_open)
        return true;
    fetchUpTo(1);
    return m_fetched == 0;
}

void Query::moveTo(int row)
{
    requireOpen();
    row = qMax(0, row);
    if (row < INT_MAX)
        fetchUpTo(row + 1);
    const int target = qMin(row, m_fetched);
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
    const int row = m_position < m_fetched ? m_position : m_fetched - 1;
    for (size_t i = 0; i < m_currentRow.size(); ++i)
        m_currentRow[i] = value(row, int(i));
}

Field Query::fieldByName(const QString &name)
{
    requireOpen();
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0) {
            if (!m_fieldsLive) {
                m_fieldsLive = true;
                refreshCurrentRow();
            }
            return Field(&m_currentRow[i], m_columns[i].name, false);
        }
    }
    throw Error(u"O campo %1 não existe no resultado da consulta."_s.arg(name));
}

} // namespace cofrel::data
