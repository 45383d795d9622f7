#include "ledger/cofrel_main_extrato.h"

#include "app/cofrel_uteis.h"
#include "data/queries.h"

#include <array>

namespace cofrel::extrato {

namespace {

struct Periodo {
    const char16_t *caption;
    int days; // < 0: no limit
};

constexpr std::array<Periodo, 9> Periodos = {{
    {u"05 dias + futuros", 5},
    {u"10 dias + futuros", 10},
    {u"15 dias + futuros", 15},
    {u"01 mês + futuros", 31},
    {u"02 meses + futuros", 62},
    {u"06 meses + futuros", 186},
    {u"01 ano + futuros", 366},
    {u"02 anos + futuros", 731},
    {u"Completo", -1},
}};

} // namespace

const QStringList &nomesPeriodos()
{
    static const QStringList names = [] {
        QStringList list;
        for (const Periodo &p : Periodos)
            list.append(QString::fromUtf16(p.caption));
        return list;
    }();
    return names;
}

std::optional<int> diasDoPeriodo(int index)
{
    if (index < 0 || index >= int(Periodos.size()) || Periodos[size_t(index)].days < 0)
        return std::nullopt;
    return Periodos[size_t(index)].days;
}

double calculaSaldo(data::SumQuery &querySaldo, const QString &finTableName, const QDate &hoje)
{
    return ArredondaCentavos(querySaldo.balance(finTableName, hoje));
}

void abreExtrato(data::StatementQuery &query, const QString &finTableName, int periodIndex, const QDate &hoje)
{
    const std::optional<int> days = diasDoPeriodo(periodIndex);
    query.open(finTableName, days ? hoje.addDays(-*days) : QDate());
}

} // namespace cofrel::extrato
