#include "planning/lancamentos_vencidos.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "ledger/cofrel_inclui_valor.h"
#include "planning/plano_mensal.h"

#include <QComboBox>
#include <QLineEdit>

#include <cmath>
#include <functional>
#include <vector>

namespace cofrel {

namespace {

// One due row as the query gave it; read in full before the first offer.
struct Vencido {
    qint64 transacao = 0;
    int dia = 0;
    QDate data;
    int categoria = 0;
    QString descricao;
    double valor = 0.0;
};

data::Sql sqlVencidos()
{
    const QString plan = loginContext().DFinTableName;
    return data::Sql::dueEntries(plan.left(plan.size() - 3));
}

std::vector<Vencido> leVencidos(data::Query &query)
{
    query.close();
    query.clearSql();
    query.setSql(sqlVencidos());
    query.bindDate(QStringLiteral("now"), clock::today());
    query.prepare();
    query.open();
    query.first();
    std::vector<Vencido> rows;
    for (; !query.eof(); query.next()) {
        Vencido row;
        row.transacao = query.fieldByName(QStringLiteral("Transacao")).asInteger();
        row.dia = int(query.fieldByName(QStringLiteral("Dia")).asInteger());
        row.data = query.fieldByName(QStringLiteral("Data")).asDate();
        row.categoria = int(query.fieldByName(QStringLiteral("Categoria")).asInteger());
        row.descricao = query.fieldByName(QStringLiteral("Descricao")).asString();
        row.valor = query.fieldByName(QStringLiteral("Valor")).asFloat();
        rows.push_back(row);
    }
    return rows;
}

void preencheDialogo(TformIncluirValor &dialogo, const Vencido &row)
{
    dialogo.editData()->setText(FormatData(row.data));
    dialogo.comboCategoria()->setCurrentIndex(row.categoria - 1);
    dialogo.editDescricao()->setText(row.descricao);
    dialogo.comboCredito()->setCurrentIndex(row.valor >= 0 ? TipoCredito : TipoDebito);
    dialogo.editValor()->setText(FormatValor(std::fabs(row.valor)));
}

// The dialog holds the advance only while it offers this occurrence.
class TrabalhoNaTransacao final {
public:
    TrabalhoNaTransacao(TformIncluirValor &dialogo, std::function<void()> work) : m_dialogo(dialogo)
    {
        m_dialogo.setTrabalhoNaMesmaTransacao(std::move(work));
    }
    ~TrabalhoNaTransacao() { m_dialogo.setTrabalhoNaMesmaTransacao({}); }
    TrabalhoNaTransacao(const TrabalhoNaTransacao &) = delete;
    TrabalhoNaTransacao &operator=(const TrabalhoNaTransacao &) = delete;

private:
    TformIncluirValor &m_dialogo;
};

} // namespace

void ofereceLancamentosVencidos(TDados &dados, TformIncluirValor &dialogo)
{
    data::QueryCloser closeQuery(dados.QueryD);
    const std::vector<Vencido> vencidos = leVencidos(dados.QueryD);

    for (const Vencido &row : vencidos) {
        preencheDialogo(dialogo, row);
        interaction().beep();

        // OK runs the advance inside the dialog's own save transaction, so
        // the booking and the advance commit together or not at all (a save
        // that fails keeps the dialog open, and a later Cancel comes here
        // with nothing stored). Anything but a committed OK advances alone.
        bool avancadoNaGravacao = false;
        int resultado = 0;
        {
            TrabalhoNaTransacao work(dialogo, [&] {
                avancadoNaGravacao = false;
                avancaUmMes(dados.TableDFin, row.transacao, row.dia);
                avancadoNaGravacao = true;
            });
            resultado = dialogo.executa(TformIncluirValor::EntryMode::NovoPreenchido);
        }
        if (resultado == mrOk && avancadoNaGravacao)
            continue;

        data::Database &db = data::Database::forAlias(dados.TableDFin.alias());
        data::Transaction transaction(db);
        avancaUmMes(dados.TableDFin, row.transacao, row.dia);
        transaction.commit();
    }
}

} // namespace cofrel
