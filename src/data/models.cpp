#include "data/models.h"

#include "data/queries.h"

#include <algorithm>
#include <exception>
#include <utility>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

QVariant fieldOf(const Lancamento &row, const QString &field)
{
    if (field == u"Data"_s)
        return row.data;
    if (field == u"Descricao"_s)
        return row.descricao;
    if (field == u"Valor"_s)
        return row.valor;
    if (field == u"Dia"_s)
        return row.dia;
    return {};
}

} // namespace

RowsModel::RowsModel(QStringList fields, QObject *parent)
    : QAbstractTableModel(parent)
    , m_fields(std::move(fields))
{
    connect(this, &QAbstractItemModel::modelReset, this, [this] { m_failed = false; });
}

int RowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant RowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_fields.size())
        return {};
    const QString &field = m_fields.at(index.column());
    if (role == Qt::TextAlignmentRole)
        return int((field == u"Valor"_s ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    try {
        return fieldOf(row(index.row()), field);
    } catch (const std::exception &e) {
        if (!std::exchange(m_failed, true))
            Q_EMIT failed(QString::fromUtf8(e.what()));
        return {};
    }
}

QVariant RowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_fields.size())
        return m_fields.at(section);
    return {};
}

// ---- The statement -------------------------------------------------------------

StatementModel::StatementModel(StatementQuery &query, QObject *parent)
    : RowsModel({u"Data"_s, u"Descricao"_s, u"Valor"_s}, parent)
    , m_query(query)
{
    connect(&m_query, &StatementQuery::changed, this, &StatementModel::reset);
}

void StatementModel::reset()
{
    beginResetModel();
    m_pages.clear();
    m_recent.clear();
    m_rows = m_query.rowCount();
    endResetModel();
}

int StatementModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

Lancamento StatementModel::row(int row) const
{
    if (row < 0 || row >= m_rows)
        return {};
    const int page = row / PageRows;
    auto it = m_pages.find(page);
    if (it == m_pages.end()) {
        if (m_pages.size() >= KeptPages) {
            m_pages.erase(m_recent.front());
            m_recent.erase(m_recent.begin());
        }
        it = m_pages.emplace(page, m_query.rows(page * PageRows, PageRows)).first;
    } else {
        m_recent.erase(std::find(m_recent.begin(), m_recent.end(), page));
    }
    m_recent.push_back(page);
    const size_t offset = size_t(row - page * PageRows);
    return offset < it->second.size() ? it->second[offset] : Lancamento{};
}

// ---- The plan ------------------------------------------------------------------

PlanModel::PlanModel(Table &plan, QObject *parent)
    : RowsModel({u"Dia"_s, u"Descricao"_s, u"Valor"_s}, parent)
    , m_plan(plan)
{
}

int PlanModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

Lancamento PlanModel::row(int row) const
{
    return row >= 0 && size_t(row) < m_rows.size() ? m_rows[size_t(row)] : Lancamento{};
}

int PlanModel::rowOf(qint64 transacao) const
{
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].transacao == transacao)
            return int(i);
    }
    return -1;
}

void PlanModel::reload()
{
    std::vector<Lancamento> rows = m_plan.rows();
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void PlanModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

} // namespace cofrel::data
