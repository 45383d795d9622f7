#pragma once

#include "data/database.h"
#include "data/queries.h"
#include "data/tables.h"

#include <QObject>

namespace cofrel::data {
class PlanModel;
class StatementModel;
} // namespace cofrel::data

// The data module: the six data components through which every window
// reaches the tables of the data folder (the alias Cofrel), and the data
// sources of the two grids.
class TDados final : public QObject {
    Q_OBJECT
    // First: the components below work through it.
    cofrel::data::Database m_database;

public:
    explicit TDados(const QString &dataFolder, QObject *parent = nullptr);
    ~TDados() override;

    cofrel::data::Database &database() { return m_database; }

    cofrel::data::UserTable TableUser;       // users.db
    cofrel::data::Table TableFin;            // the user's f<N>.db
    cofrel::data::Table TableDFin;           // the user's d<N>.db
    cofrel::data::StatementQuery Query;      // the statement
    cofrel::data::SumQuery QuerySaldo;       // the balance and the chart's sums
    cofrel::data::DueQuery QueryD;           // the due planned entries

    cofrel::data::StatementModel *DataSource4; // the statement grid's model
    cofrel::data::PlanModel *DataSource3;      // the planning grid's model

    // Points TableFin and TableDFin at the logged-in user's files.
    void setUserTables(const QString &finTableName, const QString &dfinTableName);
};
