#pragma once

#include "data/query.h"
#include "data/table.h"

#include <QLatin1String>
#include <QObject>

namespace cofrel::data {
class QueryModel;
class TableModel;
} // namespace cofrel::data

// The data module: the six data components through which every window
// reaches the tables of the alias Cofrel, and the data sources of the grids.
class TDados final : public QObject {
    Q_OBJECT
public:
    explicit TDados(QObject *parent = nullptr);
    ~TDados() override;

    cofrel::data::Table TableUser; // users.db, index "users"
    cofrel::data::Table TableFin;  // the user's f<N>.db, index field list "Data"
    cofrel::data::Table TableDFin; // the user's d<N>.db, index field list "Dia;Data"
    cofrel::data::Query Query;
    cofrel::data::Query QuerySaldo;
    cofrel::data::Query QueryD;

    // Grid models: the statement over Query, the plan over TableDFin.
    cofrel::data::QueryModel *DataSource4;
    cofrel::data::TableModel *DataSource3;

    // Points TableFin and TableDFin at the logged-in user's files.
    void setUserTables(const QString &finTableName, const QString &dfinTableName);
};

namespace cofrel::data {
inline constexpr QLatin1String AliasCofrel("Cofrel");
}
