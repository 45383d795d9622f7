#pragma once

// Rows of a user's tables as the tests write and read them: written through
// the program's table components, as its windows write them; read back
// straight from the file with a connection of the test's own.

#include "support/linhas.h"

#include <QList>
#include <QSqlQuery>
#include <QString>

#include <cmath>
#include <functional>

namespace cofrel::test {

// Exact comparison of amounts: what a person reads, to the cent.
inline qint64 centavos(double valor)
{
    return std::llround(valor * 100.0);
}

// Writes \a linhas into the ledger or plan file \a arquivo ("f1.db",
// "d1.db") of the data folder in one transaction, through a connection of
// its own, and fills in their numbers.
void gravaLinhas(const QString &arquivo, QList<Lancamento> &linhas);

// Every row of the ledger or plan file at \a caminho (a plan when its name
// starts with "d"), by number. Throws std::runtime_error naming the file
// when it is missing or cannot be read.
QList<Lancamento> leLinhas(const QString &caminho);

// The numbers of \a linhas that meet \a fica, in date order (ties by
// number): the order in which the statement lists them.
QList<qint64> idsEmOrdemDeData(const QList<Lancamento> &linhas, const std::function<bool(const Lancamento &)> &fica);

// A connection of its own to a file, as another program would hold it.
// Closed and removed when destroyed.
class OutraConexao final {
public:
    explicit OutraConexao(const QString &caminho);
    ~OutraConexao();
    OutraConexao(const OutraConexao &) = delete;
    OutraConexao &operator=(const OutraConexao &) = delete;

    // Empty when the file opened; else why not.
    QString falha() const { return m_falha; }
    QSqlQuery query() const;
    bool exec(const QString &sql) const;

private:
    QString m_nome;
    QString m_falha;
};

} // namespace cofrel::test
