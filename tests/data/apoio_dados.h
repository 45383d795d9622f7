#pragma once

// Helpers of the data tests: rows written through the table components,
// as the windows write them.

#include "data/database.h"
#include "data/table.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <algorithm>
#include <functional>
#include <memory>

namespace cofrel::test {

inline QString alias()
{
    return QStringLiteral("Cofrel");
}

struct Lancamento {
    QDate data;
    QString descricao;
    int categoria = 1;
    double valor = 0.0;
    qint64 id = 0; // filled when written
};

struct Plano {
    int dia = 1;
    QDate data;
    QString descricao;
    int categoria = 1;
    double valor = 0.0;
    qint64 id = 0;
};

inline qint64 gravaLancamento(data::Table &fin, const Lancamento &l)
{
    fin.insert();
    fin.fieldByName(QStringLiteral("Data")).setDate(l.data);
    fin.fieldByName(QStringLiteral("Descricao")).setString(l.descricao);
    fin.fieldByName(QStringLiteral("Categoria")).setInteger(l.categoria);
    fin.fieldByName(QStringLiteral("Valor")).setFloat(l.valor);
    fin.post();
    return fin.currentId();
}

// Writes \a rows into the file \a fileName in one transaction and fills
// their ids.
inline void gravaLancamentos(const QString &fileName, QList<Lancamento> &rows)
{
    data::Table fin(alias(), fileName);
    fin.setIndexFieldNames(QStringLiteral("Data"));
    data::TableCloser closer(fin);
    fin.open();
    data::Transaction transaction(data::Database::forAlias(alias()));
    for (Lancamento &l : rows)
        l.id = gravaLancamento(fin, l);
    transaction.commit();
}

inline void gravaPlanos(const QString &fileName, QList<Plano> &rows)
{
    data::Table dfin(alias(), fileName);
    dfin.setIndexFieldNames(QStringLiteral("Dia;Data"));
    data::TableCloser closer(dfin);
    dfin.open();
    for (Plano &p : rows) {
        dfin.insert();
        dfin.fieldByName(QStringLiteral("Dia")).setInteger(p.dia);
        dfin.fieldByName(QStringLiteral("Data")).setDate(p.data);
        dfin.fieldByName(QStringLiteral("Descricao")).setString(p.descricao);
        dfin.fieldByName(QStringLiteral("Categoria")).setInteger(p.categoria);
        dfin.fieldByName(QStringLiteral("Valor")).setFloat(p.valor);
        dfin.post();
        p.id = dfin.currentId();
    }
}

// The ids of \a rows that meet \a keep, in date order (ties by id): the
// order in which the statement lists them.
inline QList<qint64> idsEmOrdemDeData(const QList<Lancamento> &rows, const std::function<bool(const Lancamento &)> &keep)
{
    QList<Lancamento> kept;
    for (const Lancamento &l : rows) {
        if (keep(l))
            kept << l;
    }
    std::sort(kept.begin(), kept.end(), [](const Lancamento &a, const Lancamento &b) {
        return a.data != b.data ? a.data < b.data : a.id < b.id;
    });
    QList<qint64> ids;
    for (const Lancamento &l : kept)
        ids << l.id;
    return ids;
}

// A connection of its own to a file of the folder, as another program
// would hold it. Closed and removed when destroyed.
class OutraConexao final {
public:
    explicit OutraConexao(const QString &path)
        : m_name(QStringLiteral("outra-%1").arg(++counter()))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }
    ~OutraConexao()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    OutraConexao(const OutraConexao &) = delete;
    OutraConexao &operator=(const OutraConexao &) = delete;

    QSqlQuery query() const { return QSqlQuery(QSqlDatabase::database(m_name, false)); }
    bool exec(const QString &sql) const
    {
        QSqlQuery q = query();
        return q.exec(sql);
    }

private:
    static int &counter()
    {
        static int n = 0;
        return n;
    }
    QString m_name;
};

} // namespace cofrel::test
