#include "data/sql.h"

namespace cofrel::data {

using namespace Qt::StringLiterals;

Sql::Sql(Kind kind, QString select, QString table, QString condition, QStringList parameters)
    : m_kind(kind)
    , m_select(std::move(select))
    , m_table(std::move(table))
    , m_condition(std::move(condition))
    , m_parameters(std::move(parameters))
{
    // The order of the temporary view over each table file.
    if (kind == Kind::Statement)
        m_keyOrder = {u"Data"_s, u"Transacao"_s};
    else if (kind == Kind::DueEntries)
        m_keyOrder = {u"Dia"_s, u"Data"_s, u"Transacao"_s};
}

Sql Sql::statement(const QString &table)
{
    return {Kind::Statement, u"select * from "_s, table, {}, {}};
}

Sql Sql::statementFrom(const QString &table)
{
    return {Kind::Statement, u"select * from "_s, table, u" where Data>=:inicio"_s, {u"inicio"_s}};
}

Sql Sql::balance(const QString &table)
{
    return {Kind::Balance, u"select SUM(valor) from "_s, table, u" where data<=:now"_s, {u"now"_s}};
}

Sql Sql::balanceAfter(const QString &table)
{
    return {Kind::BalanceAfter, u"select SUM(valor) from "_s, table, u" where data>:depois and data<=:now"_s,
            {u"depois"_s, u"now"_s}};
}

Sql Sql::categorySum(const QString &table)
{
    return {Kind::CategorySum, u"select SUM(valor) from "_s, table,
            u" where data<=:now and data>=:inicio and valor<0 and categoria=:categ"_s,
            {u"now"_s, u"inicio"_s, u"categ"_s}};
}

Sql Sql::periodSum(const QString &table)
{
    return {Kind::PeriodSum, u"select SUM(valor) from "_s, table, u" where data<=:now and data>=:inicio and valor<0"_s,
            {u"now"_s, u"inicio"_s}};
}

Sql Sql::dueEntries(const QString &planTable)
{
    return {Kind::DueEntries, u"select * from "_s, planTable, u" where data<=:now"_s, {u"now"_s}};
}

QString Sql::text() const
{
    return textOver(m_table);
}

QString Sql::countOver(const QString &source) const
{
    return u"select count(*) from "_s + source + m_condition;
}

QString Sql::textOver(const QString &source) const
{
    return m_select + source + m_condition;
}

} // namespace cofrel::data
