#pragma once

#include <QDate>
#include <QString>

namespace cofrel::test {

// One stored row as the tests write and compare them: a transaction of a
// user's ledger or, with its day of the month, a planned entry.
struct Lancamento {
    qint64 transacao = 0;
    QDate data;
    QString descricao;
    int categoria = 0;
    double valor = 0;
    int dia = 0; // planned entries only
    bool operator==(const Lancamento &) const = default;
};

} // namespace cofrel::test
