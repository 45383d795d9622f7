#include "data/queries.h"

#include "data/database.h"
#include "data/schema.h"
#include "data/sql.h"

#include <QSqlRecord>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

const QString ReadAction = u"ler a tabela"_s;

} // namespace

StatementQuery::StatementQuery(Database &db, QObject *parent)
    : QObject(parent)
    , m_db(db)
{
}

void StatementQuery::open(const QString &finFileName, const QDate &inicio)
{
    const QString table = m_db.attach(finFileName);
    const QString text = inicio.isNull() ? sql::statement(table) : sql::statementFrom(table);
    QVariantMap binds;
    if (!inicio.isNull())
        binds.insert(u":inicio"_s, isoDate(inicio));
    QSqlQuery count = m_db.run(u"select count(*) from ("_s + text + u')', binds, ReadAction, finFileName);
    const int rows = nextRow(count, ReadAction, finFileName) ? count.value(0).toInt() : 0;
    // Only a statement that could be counted replaces the one shown.
    m_fileName = finFileName;
    m_text = text;
    m_binds = binds;
    m_rowCount = rows;
    Q_EMIT changed();
}

void StatementQuery::close()
{
    if (m_rowCount < 0)
        return;
    m_rowCount = -1;
    Q_EMIT changed();
}

QSqlQuery StatementQuery::run(const QString &suffix, const QVariantMap &extra)
{
    m_db.attach(m_fileName);
    QVariantMap binds = m_binds;
    binds.insert(extra);
    return m_db.run(m_text + u" order by "_s + finSchema().order + suffix, binds, ReadAction, m_fileName);
}

std::vector<Lancamento> StatementQuery::rows(int first, int count)
{
    std::vector<Lancamento> rows;
    if (!isOpen() || count <= 0)
        return rows;
    QSqlQuery q = run(u" limit :quantas offset :primeira"_s, {{u":quantas"_s, count}, {u":primeira"_s, first}});
    const RowReader reader(q.record());
    rows.reserve(size_t(count));
    while (nextRow(q, ReadAction, m_fileName))
        rows.push_back(reader.read(q));
    return rows;
}

void StatementQuery::forEachRow(const std::function<void(const Lancamento &)> &visit)
{
    if (!isOpen())
        return;
    QSqlQuery q = run({}, {});
    const RowReader reader(q.record());
    while (nextRow(q, ReadAction, m_fileName))
        visit(reader.read(q));
}

double SumQuery::sum(const QString &finFileName, const std::function<QString(const QString &)> &text,
                     const QVariantMap &binds)
{
    QSqlQuery q = m_db.run(text(m_db.attach(finFileName)), binds, ReadAction, finFileName);
    return nextRow(q, ReadAction, finFileName) ? q.value(0).toDouble() : 0.0; // a null sum reads as 0
}

double SumQuery::balance(const QString &finFileName, const QDate &now)
{
    const QString key = finFileName + u'|' + isoDate(now) + u'|' + m_db.contentMark(finFileName);
    if (key != m_saldo.key)
        m_saldo = {key, sum(finFileName, sql::balance, {{u":now"_s, isoDate(now)}})};
    return m_saldo.value;
}

double SumQuery::categorySum(const QString &finFileName, const QDate &now, const QDate &inicio, int categoria)
{
    return sum(finFileName, sql::categorySum,
               {{u":now"_s, isoDate(now)}, {u":inicio"_s, isoDate(inicio)}, {u":categ"_s, categoria}});
}

double SumQuery::periodSum(const QString &finFileName, const QDate &now, const QDate &inicio)
{
    return sum(finFileName, sql::periodSum, {{u":now"_s, isoDate(now)}, {u":inicio"_s, isoDate(inicio)}});
}

std::vector<Lancamento> DueQuery::due(const QString &planFileName, const QDate &now)
{
    const QString table = m_db.attach(planFileName);
    QSqlQuery q = m_db.run(sql::dueEntries(table) + u" order by "_s + dfinSchema().order,
                           {{u":now"_s, isoDate(now)}}, ReadAction, planFileName);
    const RowReader reader(q.record());
    std::vector<Lancamento> rows;
    while (nextRow(q, ReadAction, planFileName))
        rows.push_back(reader.read(q));
    return rows;
}

} // namespace cofrel::data
