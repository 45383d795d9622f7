#include "data/sql.h"

namespace cofrel::data::sql {

using namespace Qt::StringLiterals;

QString statement(const QString &table)
{
    return u"select * from "_s + table;
}

QString statementFrom(const QString &table)
{
    return u"select * from "_s + table + u" where Data>=:inicio"_s;
}

QString balance(const QString &table)
{
    return u"select SUM(valor) from "_s + table + u" where data<=:now"_s;
}

QString categorySum(const QString &table)
{
    return u"select SUM(valor) from "_s + table
         + u" where data<=:now and data>=:inicio and valor<0 and categoria=:categ"_s;
}

QString periodSum(const QString &table)
{
    return u"select SUM(valor) from "_s + table + u" where data<=:now and data>=:inicio and valor<0"_s;
}

QString dueEntries(const QString &planTable)
{
    return u"select * from "_s + planTable + u" where data<=:now"_s;
}

} // namespace cofrel::data::sql
