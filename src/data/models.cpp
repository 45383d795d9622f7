#include "data/models.h"

#include "app/cofrel_uteis.h"
#include "data/query.h"
#include "data/table.h"

#include <QDate>

#include <exception>

namespace cofrel::data {

QString displayText(const QVariant &value)
{
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDate:
        return FormatData(value.toDate());
    case QMetaType::Double:
    case QMetaType::Float:
        return FormatValor(value.toDouble());
    default:
        return value.toString();
    }
}

namespace {

QVariant alignmentFor(const QVariant &value)
{
    if (value.typeId() == QMetaType::Double)
        return QVariant::fromValue(int(Qt::AlignRight | Qt::AlignVCenter));
    return QVariant::fromValue(int(Qt::AlignLeft | Qt::AlignVCenter));
}

} // namespace

// ---- QueryModel ---------------------------------------------------------------

QueryModel::QueryModel(Query &query, QStringList fields, QObject *parent)
    : CursorModel(parent)
    , m_query(query)
    , m_fields(std::move(fields))
{
    connect(&m_query, &Query::opened, this, &QueryModel::reset);
    connect(&m_query, &Query::closed, this, &QueryModel::reset);
    connect(&m_query, &Query::positionChanged, this, &QueryModel::followPosition);
    reset();
}

void QueryModel::reset()
{
    beginResetModel();
    m_columns.clear();
    for (const QString &field : std::as_const(m_fields)) {
        int column = -1;
        for (int c = 0; c < m_query.columnCount(); ++c) {
            if (m_query.columnName(c).compare(field, Qt::CaseInsensitive) == 0) {
                column = c;
                break;
            }
        }
        m_columns.push_back(column);
    }
    // A first screenful at once (a short statement is whole before the
    // view's first paint); the rest waits for the view to ask.
    m_fetchFailed = false;
    QString failure;
    if (m_query.isOpen()) {
        try {
            m_query.fetchUpTo(FetchChunk);
        } catch (const std::exception &e) {
            m_fetchFailed = true;
            failure = QString::fromUtf8(e.what());
        }
    }
    m_rows = !m_query.isOpen() ? 0 : m_query.rowCount() >= 0 ? m_query.rowCount() : m_query.fetchedRows();
    endResetModel();
    if (!failure.isEmpty())
        Q_EMIT failed(failure);
    Q_EMIT currentRowChanged(currentRow());
}

int QueryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int QueryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant QueryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows || index.column() >= int(m_columns.size()))
        return {};
    if (!holds(index.row()))
        return {};
    const QVariant value = m_query.value(index.row(), m_columns[size_t(index.column())]);
    switch (role) {
    case Qt::DisplayRole:
        return displayText(value);
    case Qt::TextAlignmentRole:
        return m_query.columnKind(m_columns[size_t(index.column())]) == ColumnKind::Real
                   ? QVariant::fromValue(int(Qt::AlignRight | Qt::AlignVCenter))
                   : alignmentFor(value);
    default:
        return {};
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_fields.size())
        return m_fields[section];
    return {};
}

// The view asks for rows anywhere in the result (a jump, a scrollbar
// dragged): the query's window moves there.
bool QueryModel::holds(int row) const
{
    if (row >= m_query.firstHeld() && row < m_query.fetchedRows())
        return true;
    if (m_fetchFailed)
        return false;
    try {
        m_query.hold(row);
    } catch (const std::exception &e) {
        m_fetchFailed = true;
        const QString message = QString::fromUtf8(e.what());
        auto *self = const_cast<QueryModel *>(this);
        QMetaObject::invokeMethod(self, [self, message] { Q_EMIT self->failed(message); }, Qt::QueuedConnection);
        return false;
    }
    return row >= m_query.firstHeld() && row < m_query.fetchedRows();
}

bool QueryModel::canFetchMore(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_query.isOpen() || m_fetchFailed || m_query.rowCount() >= 0)
        return false;
    return m_rows < m_query.fetchedRows() || !m_query.allFetched();
}

void QueryModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid())
        return;
    fetchAndPublishUpTo(m_rows + FetchChunk);
}

// A failed read is reported once; the rows read before it stay shown.
void QueryModel::fetchAndPublishUpTo(int rows)
{
    try {
        m_query.fetchUpTo(rows);
    } catch (const std::exception &e) {
        m_fetchFailed = true;
        Q_EMIT failed(QString::fromUtf8(e.what()));
    }
    publishUpTo(rows);
}

void QueryModel::publishUpTo(int rows)
{
    rows = qMin(rows, m_query.fetchedRows());
    if (rows <= m_rows)
        return;
    beginInsertRows({}, m_rows, rows - 1);
    m_rows = rows;
    endInsertRows();
}

void QueryModel::followPosition(int row)
{
    if (row >= m_rows && !m_fetchFailed && m_query.rowCount() < 0) {
        // A walk past the rows shown: show a chunk ahead, not row by row.
        fetchAndPublishUpTo(row + FetchChunk);
    }
    Q_EMIT currentRowChanged(currentRow());
}

int QueryModel::currentRow() const
{
    const int rows = !m_query.isOpen() ? 0 : m_query.rowCount() >= 0 ? m_query.rowCount() : m_query.fetchedRows();
    if (rows == 0)
        return -1;
    // Past the end the cursor stays shown on the last row.
    return qMin(m_query.position(), rows - 1);
}

void QueryModel::setCurrentRow(int row)
{
    if (!m_query.isOpen() || row < 0 || row == currentRow())
        return;
    m_query.moveTo(row);
}

// ---- TableModel ---------------------------------------------------------------

TableModel::TableModel(Table &table, QStringList fields, QObject *parent)
    : CursorModel(parent)
    , m_table(table)
    , m_fields(std::move(fields))
{
    connect(&m_table, &Table::dataChanged, this, &TableModel::reload);
    connect(&m_table, &Table::rowChanged, this, &TableModel::tableMoved);
    reload();
}

void TableModel::reload()
{
    beginResetModel();
    m_ids.clear();
    m_rows.clear();
    m_rowOfId.clear();
    QString failure;
    try {
        m_table.readRows(m_fields, m_ids, m_rows);
    } catch (const std::exception &e) {
        m_ids.clear();
        m_rows.clear();
        failure = QString::fromUtf8(e.what());
    }
    for (size_t i = 0; i < m_ids.size(); ++i)
        m_rowOfId.insert(m_ids[i], int(i));
    m_loadedOpen = m_table.isOpen();
    endResetModel();
    if (!failure.isEmpty())
        Q_EMIT failed(failure);
    m_lastCurrent = currentRow();
    Q_EMIT currentRowChanged(m_lastCurrent);
}

void TableModel::tableMoved()
{
    if (m_table.isOpen() != m_loadedOpen) {
        reload();
        return;
    }
    const int row = currentRow();
    if (row != m_lastCurrent) {
        m_lastCurrent = row;
        Q_EMIT currentRowChanged(row);
    }
}

int TableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant TableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_rows.size() || index.column() >= m_fields.size())
        return {};
    const QVariant value = m_rows[size_t(index.row())].value(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return displayText(value);
    case Qt::TextAlignmentRole:
        return alignmentFor(value);
    default:
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_fields.size())
        return m_fields[section];
    return {};
}

int TableModel::currentRow() const
{
    if (!m_table.isOpen())
        return -1;
    return m_rowOfId.value(m_table.currentId(), -1);
}

void TableModel::setCurrentRow(int row)
{
    if (row < 0 || size_t(row) >= m_ids.size() || !m_table.isOpen() || row == currentRow())
        return;
    m_table.gotoPrimaryKey(m_ids[size_t(row)]);
}

} // namespace cofrel::data
