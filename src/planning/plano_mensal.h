#pragma once

#include <QDate>
#include <QtGlobal>

namespace cofrel::data {
class Table;
}

// Due dates of the monthly plan.
namespace cofrel {

// The first date on which an entry for day \a dia (1..31) falls due, seen
// from \a today: this month when the day has not passed yet (today's day
// included), otherwise next month; a day the month lacks becomes its last.
QDate PrimeiroVencimento(int dia, const QDate &today);

// The due date one month after \a stored, on day \a dia of that month (or
// the month's last day when it lacks that day).
QDate ProximoVencimento(const QDate &stored, int dia);

// Moves the planned entry \a transacao of the plan table \a plano on by one
// month (ProximoVencimento of its stored date). An entry that is no longer
// there is left alone.
void avancaUmMes(data::Table &plano, qint64 transacao, int dia);

} // namespace cofrel
