#include "data/cofrel_dados.h"

#include "data/models.h"

using namespace Qt::StringLiterals;

TDados::TDados(QObject *parent)
    : QObject(parent)
    , TableUser(QString(cofrel::data::AliasCofrel), u"users.db"_s)
    , TableFin(QString(cofrel::data::AliasCofrel), u"fin.DB"_s)
    , TableDFin(QString(cofrel::data::AliasCofrel), u"dfin.DB"_s)
    , Query(QString(cofrel::data::AliasCofrel))
    , QuerySaldo(QString(cofrel::data::AliasCofrel))
    , QueryD(QString(cofrel::data::AliasCofrel))
{
    TableUser.setIndexName(u"users"_s);
    TableFin.setIndexFieldNames(u"Data"_s);
    TableDFin.setIndexFieldNames(u"Dia;Data"_s);
    // Placeholders only: every use replaces the text before running it.
    Query.setSql(cofrel::data::Sql::statement(u"fin"_s));
    QuerySaldo.setSql(cofrel::data::Sql::statement(u"fin"_s));
    QueryD.setSql(cofrel::data::Sql::statement(u"fin"_s));

    DataSource4 = new cofrel::data::QueryModel(Query, {u"Data"_s, u"Descricao"_s, u"Valor"_s}, this);
    DataSource3 = new cofrel::data::TableModel(TableDFin, {u"Dia"_s, u"Descricao"_s, u"Valor"_s}, this);
}

TDados::~TDados()
{
    // The models go before the components they watch.
    delete DataSource4;
    DataSource4 = nullptr;
    delete DataSource3;
    DataSource3 = nullptr;
    QueryD.close();
    QuerySaldo.close();
    Query.close();
    TableDFin.close();
    TableFin.close();
    TableUser.close();
}

void TDados::setUserTables(const QString &finTableName, const QString &dfinTableName)
{
    TableFin.setTableName(finTableName);
    TableDFin.setTableName(dfinTableName);
}
