#include "planning/lancamentos_vencidos.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/interaction.h"
#include "app/modal_result.h"
#include "data/cofrel_dados.h"
#include "ledger/cofrel_inclui_valor.h"
#include "planning/plano_mensal.h"

#include <QComboBox>
#include <QLineEdit>

#include <cmath>
#include <functional>
#include <vector>

namespace cofrel {

namespace {

void preencheDialogo(TformIncluirValor &dialogo, const data::Lancamento &row)
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
    TrabalhoNaTransacao(TformIncluirValor &dialogo, const QString &plano, std::function<void()> work)
        : m_dialogo(dialogo)
    {
        m_dialogo.setTrabalhoNaMesmaTransacao({plano}, std::move(work));
    }
    ~TrabalhoNaTransacao() { m_dialogo.setTrabalhoNaMesmaTransacao({}, {}); }
    TrabalhoNaTransacao(const TrabalhoNaTransacao &) = delete;
    TrabalhoNaTransacao &operator=(const TrabalhoNaTransacao &) = delete;

private:
    TformIncluirValor &m_dialogo;
};

} // namespace

void ofereceLancamentosVencidos(TDados &dados, TformIncluirValor &dialogo)
{
    data::Table &plano = dados.TableDFin;
    // Read whole before the first offer: no entry is offered twice in a run.
    const std::vector<data::Lancamento> vencidos = dados.QueryD.due(plano.tableName(), clock::today());

    for (const data::Lancamento &row : vencidos) {
        preencheDialogo(dialogo, row);
        interaction().beep();

        // OK runs the advance inside the dialog's own save transaction, so
        // the booking and the advance commit together or not at all (a save
        // that fails keeps the dialog open, and a later Cancel comes here
        // with nothing stored). Anything but a committed OK advances alone.
        bool avancadoNaGravacao = false;
        int resultado = 0;
        {
            TrabalhoNaTransacao work(dialogo, plano.tableName(), [&] {
                avancadoNaGravacao = false;
                avancaUmMes(plano, row.transacao, row.dia);
                avancadoNaGravacao = true;
            });
            resultado = dialogo.executa(TformIncluirValor::EntryMode::NovoPreenchido);
        }
        if (resultado != mrOk || !avancadoNaGravacao)
            avancaUmMes(plano, row.transacao, row.dia);
    }
}

} // namespace cofrel
