#include "ledger/cofrel_main_extrato.h"

#include "app/cofrel_uteis.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/kept_sums.h"
#include "data/query.h"
#include "data/table.h"

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

QString nomeTabelaSql(const QString &fileName)
{
    return fileName.left(fileName.size() - 3);
}

namespace {

// The single SUM of \a sql up to \a hoje (and after \a depois, when given).
double soma(data::Query &query, const data::Sql &sql, const QDate &hoje, const QDate &depois = {})
{
    data::QueryCloser closer(query);
    query.close();
    query.clearSql();
    query.setSql(sql);
    query.bindDate(QStringLiteral("now"), hoje);
    if (depois.isValid())
        query.bindDate(QStringLiteral("depois"), depois);
    query.prepare();
    query.open();
    return query.singleValueAsFloat();
}

} // namespace

double calculaSaldo(data::Query &querySaldo, const QString &finTableName, const QDate &hoje)
{
    return ArredondaCentavos(soma(querySaldo, data::Sql::balance(nomeTabelaSql(finTableName)), hoje));
}

double SaldoAteHoje::valor(data::Query &querySaldo, const QString &finTableName, const QDate &hoje)
{
    data::Database &db = data::Database::forAlias(QString(data::AliasCofrel));
    if (m_chave && m_chave->tabela == finTableName && m_chave->hoje == hoje
        && !db.changedSince(finTableName, m_chave->marca))
        return m_valor;
    m_chave.reset();
    // Taken before the sum: a write meanwhile makes the next call sum again.
    std::optional<data::Database::Stamp> marca = db.stamp(finTableName);
    const std::optional<data::KeptSum> guardada =
        marca ? data::keptSum(db, finTableName, *marca) : std::nullopt;
    const QString tabela = nomeTabelaSql(finTableName);
    double total = 0;
    if (guardada && guardada->upTo == hoje)
        total = guardada->sum;
    else if (guardada && guardada->upTo < hoje)
        total = guardada->sum + soma(querySaldo, data::Sql::balanceAfter(tabela), hoje, guardada->upTo);
    else
        total = soma(querySaldo, data::Sql::balance(tabela), hoje);
    if (marca && !(guardada && guardada->upTo == hoje))
        marca = data::keepSum(db, finTableName, *marca, {hoje, total});
    m_valor = ArredondaCentavos(total);
    m_chave = Chave{finTableName, hoje, marca};
    return m_valor;
}

void abreExtrato(data::Query &query, const QString &finTableName, int periodIndex, const QDate &hoje)
{
    query.close();
    query.clearSql();
    const QString table = nomeTabelaSql(finTableName);
    const std::optional<int> days = diasDoPeriodo(periodIndex);
    if (!days) {
        query.setSql(data::Sql::statement(table));
    } else {
        query.setSql(data::Sql::statementFrom(table));
        query.bindDate(QStringLiteral("inicio"), hoje.addDays(-*days));
    }
    query.prepare();
    query.open();
    query.first();
}

bool apagaLancamento(data::Table &tableFin, qint64 transacao)
{
    data::IndexSwitch byIdentity(tableFin, QStringLiteral("Transacao"));
    data::TableCloser closer(tableFin);
    tableFin.openToWrite();
    // Without a match the position is unspecified: deleting there would
    // remove some other transaction.
    if (!tableFin.findKey(transacao))
        return false;
    tableFin.deleteRow();
    return true;
}

} // namespace cofrel::extrato
