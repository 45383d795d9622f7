#include "planning/plano_mensal.h"

#include "app/cofrel_uteis.h"
#include "data/tables.h"

namespace cofrel {

namespace {

struct MesAno {
    int month;
    int year;
};

MesAno mesSeguinte(int month, int year)
{
    if (month == 12)
        return {1, year + 1};
    return {month + 1, year};
}

} // namespace

QDate PrimeiroVencimento(int dia, const QDate &today)
{
    MesAno when{today.month(), today.year()};
    if (dia < today.day())
        when = mesSeguinte(when.month, when.year);
    return EncodeDateSeguro(dia, when.month, when.year);
}

QDate ProximoVencimento(const QDate &stored, int dia)
{
    const MesAno next = mesSeguinte(stored.month(), stored.year());
    return EncodeDateSeguro(dia, next.month, next.year);
}

void avancaUmMes(data::Table &plano, qint64 transacao, int dia)
{
    std::optional<data::Lancamento> row = plano.find(transacao);
    if (!row)
        return;
    row->data = ProximoVencimento(row->data, dia);
    plano.update(*row);
}

} // namespace cofrel
