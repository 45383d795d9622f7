#pragma once

#include "data/database.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace cofrel::data {
class Query;
class Table;
} // namespace cofrel::data

// The statement tab's work on the data: the periods, the balance to date,
// the statement query and the delete of one transaction.
namespace cofrel::extrato {

// The captions of comboPeriodo, in item order.
const QStringList &nomesPeriodos();
// The days item \a index reaches back from today; nullopt for "Completo".
std::optional<int> diasDoPeriodo(int index);

// The table name the SQL texts use: the file name without ".db" ("f7").
QString nomeTabelaSql(const QString &fileName);

// The sum of every amount dated up to and including \a hoje, rounded to
// cents (a sum that is zero in cents is exactly 0, never -0.0000000001).
double calculaSaldo(data::Query &querySaldo, const QString &finTableName, const QDate &hoje);

// The balance to date as calculaSaldo gives it, recomputed only when it can
// have changed: another day, another ledger file, or the file changed since
// it was summed. A period change alone, which changes none of
// these, reuses it: the sum reads every row up to today, the rest of a
// period change only the rows on the screen. The sum is also kept for the
// next session; while the file stays as it was, a later day adds only the
// rows dated since.
class SaldoAteHoje final {
public:
    double valor(data::Query &querySaldo, const QString &finTableName, const QDate &hoje);
    void esquece() { m_chave.reset(); }

private:
    struct Chave {
        QString tabela;
        QDate hoje;
        std::optional<data::Database::Stamp> marca; // the file when summed
    };

    std::optional<Chave> m_chave;
    double m_valor = 0;
};

// Reruns the statement over period item \a periodIndex, future-dated rows
// included, and stands on its first row.
void abreExtrato(data::Query &query, const QString &finTableName, int periodIndex, const QDate &hoje);

// Deletes the transaction \a transacao, looked up by identity; the table is
// closed and its index field list restored on every way out. Returns false
// when no such row exists any more (nothing is deleted then).
bool apagaLancamento(data::Table &tableFin, qint64 transacao);

} // namespace cofrel::extrato
