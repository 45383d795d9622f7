#include "data/cofrel_dados.h"

#include "data/models.h"

using namespace Qt::StringLiterals;
using namespace cofrel::data;

TDados::TDados(const QString &dataFolder, QObject *parent)
    : QObject(parent)
    , m_database(dataFolder)
    , TableUser(m_database)
    , TableFin(m_database, Table::Kind::Ledger, u"fin.DB"_s)
    , TableDFin(m_database, Table::Kind::Plan, u"dfin.DB"_s)
    , Query(m_database)
    , QuerySaldo(m_database)
    , QueryD(m_database)
    , DataSource4(new StatementModel(Query, this))
    , DataSource3(new PlanModel(TableDFin, this))
{
}

TDados::~TDados()
{
    // The models go before the components they read.
    delete DataSource4;
    delete DataSource3;
}

void TDados::setUserTables(const QString &finTableName, const QString &dfinTableName)
{
    // Another user's files are let go of: a run attaches only its own.
    m_database.detach(TableFin.tableName());
    m_database.detach(TableDFin.tableName());
    TableFin.setTableName(finTableName);
    TableDFin.setTableName(dfinTableName);
}
