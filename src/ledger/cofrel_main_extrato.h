#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

namespace cofrel::data {
class StatementQuery;
class SumQuery;
} // namespace cofrel::data

// The statement tab's work on the data: the periods, the balance to date
// and the statement query.
namespace cofrel::extrato {

// The captions of comboPeriodo, in item order.
const QStringList &nomesPeriodos();
// The days item \a index reaches back from today; nullopt for "Completo".
std::optional<int> diasDoPeriodo(int index);

// The sum of every amount dated up to and including \a hoje, rounded to
// cents (a sum that is zero in cents is exactly 0, never -0.0000000001).
double calculaSaldo(data::SumQuery &querySaldo, const QString &finTableName, const QDate &hoje);

// Reruns the statement over period item \a periodIndex, future-dated rows
// included.
void abreExtrato(data::StatementQuery &query, const QString &finTableName, int periodIndex, const QDate &hoje);

} // namespace cofrel::extrato
