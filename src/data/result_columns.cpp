#include "data/result_columns.h"

#include "data/conversions.h"
#include "data/statement.h"

#include <QByteArray>

#include <cmath>

namespace cofrel::data {

namespace {

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

char16_t codeOf(char c)
{
    return char16_t(uchar(c));
}

// "YYYY-MM-DD" read without the general date parser.
template <typename Text>
bool isoDay(const Text &text, qint64 &day)
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

} // namespace

struct ResultColumns::Column {
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

    // A value in a form the column does not hold directly, through the
    // general conversion.
    void appendConverted(const QVariant &raw)
    {
        const QVariant v = raw.isNull() ? QVariant() : fromStored(kind, raw);
        nulls.push_back(v.isNull());
        switch (kind) {
        case ColumnKind::Integer:
            ints.push_back(v.isNull() ? 0 : v.toLongLong());
            break;
        case ColumnKind::Date:
            ints.push_back(v.isNull() ? 0 : v.toDate().toJulianDay());
            break;
        case ColumnKind::Real:
            reals.push_back(v.isNull() ? 0.0 : v.toDouble());
            break;
        case ColumnKind::Text:
            arena += v.toString().toUtf8();
            ends.push_back(arena.size());
            break;
        case ColumnKind::Bytes:
            arena += v.toByteArray();
            ends.push_back(arena.size());
            break;
        }
    }

    // The forms the layouts store are taken as they are (a text as its
    // UTF-8 bytes).
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
        appendConverted(row.value(column));
    }

    QByteArrayView bytesAt(size_t row) const
    {
        const qsizetype begin = row == 0 ? 0 : ends[row - 1];
        return QByteArrayView(arena.constData() + begin, ends[row] - begin);
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
            return QVariant::fromValue(QString::fromUtf8(bytesAt(row)));
        case ColumnKind::Bytes:
            return QVariant::fromValue(bytesAt(row).toByteArray());
        }
        return {};
    }
};

ResultColumns::ResultColumns() = default;
ResultColumns::~ResultColumns() = default;

void ResultColumns::clear()
{
    m_rows = 0;
    if (m_columns.empty())
        return;
    for (Column &c : m_columns)
        c.clearValues();
    m_spare = std::move(m_columns);
    m_columns.clear();
}

void ResultColumns::dropRows()
{
    for (Column &c : m_columns) {
        c.ints.clear();
        c.reals.clear();
        c.ends.clear();
        c.arena.truncate(0);
        c.nulls.clear();
    }
    m_rows = 0;
}

void ResultColumns::setUp(const Statement &statement, const TableLayout *layout)
{
    clear();
    const int count = statement.columnCount();
    for (int i = 0; i < count; ++i) {
        Column c;
        if (size_t(i) < m_spare.size())
            c = std::move(m_spare[size_t(i)]);
        c.name = statement.columnName(i);
        if (layout) {
            if (const ColumnLayout *known = layout->column(c.name)) {
                c.name = known->name;
                c.kind = known->kind;
                c.kindKnown = true;
            } else if (c.name.compare(layout->primaryKey, Qt::CaseInsensitive) == 0) {
                c.name = layout->primaryKey;
                c.kind = ColumnKind::Integer;
                c.kindKnown = true;
            }
        }
        m_columns.push_back(std::move(c));
    }
    m_spare.clear();
}

void ResultColumns::append(const Statement &row)
{
    for (size_t i = 0; i < m_columns.size(); ++i)
        m_columns[i].appendFrom(row, int(i));
    ++m_rows;
}

void ResultColumns::fitToSize()
{
    for (Column &c : m_columns)
        c.fitToSize();
}

int ResultColumns::count() const
{
    return int(m_columns.size());
}

QString ResultColumns::name(int column) const
{
    return column >= 0 && column < count() ? m_columns[size_t(column)].name : QString();
}

ColumnKind ResultColumns::kind(int column) const
{
    return column >= 0 && column < count() ? m_columns[size_t(column)].kind : ColumnKind::Text;
}

int ResultColumns::indexOf(const QString &name) const
{
    for (size_t i = 0; i < m_columns.size(); ++i) {
        if (m_columns[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

QVariant ResultColumns::value(int row, int column) const
{
    if (row < 0 || column < 0 || row >= m_rows || column >= count())
        return {};
    return m_columns[size_t(column)].at(size_t(row));
}

const ResultColumns::Column *ResultColumns::ofKind(int row, int column, ColumnKind kind) const
{
    if (row < 0 || column < 0 || row >= m_rows || column >= count())
        return nullptr;
    const Column &c = m_columns[size_t(column)];
    return c.kind == kind ? &c : nullptr;
}

std::optional<QByteArrayView> ResultColumns::textAt(int row, int column) const
{
    const Column *c = ofKind(row, column, ColumnKind::Text);
    if (!c)
        return std::nullopt;
    return c->nulls[size_t(row)] ? QByteArrayView() : c->bytesAt(size_t(row));
}

std::optional<double> ResultColumns::realAt(int row, int column) const
{
    const Column *c = ofKind(row, column, ColumnKind::Real);
    if (!c)
        return std::nullopt;
    const double v = c->nulls[size_t(row)] ? 0.0 : c->reals[size_t(row)];
    return std::isfinite(v) ? v : 0.0;
}

std::optional<QDate> ResultColumns::dateAt(int row, int column) const
{
    const Column *c = ofKind(row, column, ColumnKind::Date);
    if (!c)
        return std::nullopt;
    return c->nulls[size_t(row)] ? QDate() : QDate::fromJulianDay(c->ints[size_t(row)]);
}

} // namespace cofrel::data
