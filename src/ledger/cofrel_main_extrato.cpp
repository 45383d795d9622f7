#include "ledger/cofrel_main_extrato.h"

#include "app/cofrel_uteis.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/query.h"
#include "data/table.h"

#include <QFile>
#include <QSqlQuery>

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

double calculaSaldo(data::Query &querySaldo, const QString &finTableName, const QDate &hoje)
{
    data::QueryCloser closer(querySaldo);
    querySaldo.close();
    querySaldo.clearSql();
    querySaldo.setSql(u"select SUM(valor) from " + nomeTabelaSql(finTableName) + u" where data<=:now");
    querySaldo.bindDate(QStringLiteral("now"), hoje);
    querySaldo.prepare();
    querySaldo.open();
    return ArredondaCentavos(querySaldo.singleValueAsFloat());
}

std::optional<SaldoAteHoje::Chave> SaldoAteHoje::chaveAtual(const QString &finTableName, const QDate &hoje)
{
    data::Database &db = data::Database::forAlias(QString(data::AliasCofrel));
    QSqlQuery changes = db.newQuery();
    if (!changes.exec(QStringLiteral("SELECT total_changes()")) || !changes.next())
        return std::nullopt;
    QString path;
    try {
        path = db.resolveFile(finTableName);
    } catch (const std::exception &) {
        return std::nullopt; // the sum itself reports the missing file
    }
    // Bytes 24 to 27 of an SQLite file: incremented by every commit of any
    // connection (the tables are kept in rollback-journal mode).
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(24))
        return std::nullopt;
    const QByteArray counter = file.read(4);
    if (counter.size() != 4)
        return std::nullopt;
    return Chave{finTableName, hoje, changes.value(0).toLongLong(), counter};
}

double SaldoAteHoje::valor(data::Query &querySaldo, const QString &finTableName, const QDate &hoje)
{
    const std::optional<Chave> chave = chaveAtual(finTableName, hoje);
    if (chave && m_chave == chave)
        return m_valor;
    m_chave.reset();
    m_valor = calculaSaldo(querySaldo, finTableName, hoje);
    m_chave = chave;
    return m_valor;
}

void abreExtrato(data::Query &query, const QString &finTableName, int periodIndex, const QDate &hoje)
{
    query.close();
    query.clearSql();
    const QString table = nomeTabelaSql(finTableName);
    const std::optional<int> days = diasDoPeriodo(periodIndex);
    if (!days) {
        query.setSql(u"select * from " + table);
    } else {
        query.setSql(u"select * from " + table + u" where Data>=:inicio");
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
