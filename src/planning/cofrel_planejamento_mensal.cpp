#include "planning/cofrel_planejamento_mensal.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/models.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/plano_mensal.h"

#include <QComboBox>
#include <QHideEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QShowEvent>

#include <cmath>

using namespace cofrel;

namespace {

const QString OrdemDoPlano = QStringLiteral("Dia;Data");

// A row put into insert or edit is either posted or given up, so a failed
// write never leaves the table half-way for the next action.
class GravacaoPendente final {
public:
    explicit GravacaoPendente(data::Table &table) : m_table(table) {}
    ~GravacaoPendente()
    {
        if (m_posted)
            return;
        try {
            const auto state = m_table.state();
            if (state == data::Table::State::Insert || state == data::Table::State::Edit)
                m_table.cancel();
        } catch (...) {
        }
    }
    void post()
    {
        m_table.post();
        m_posted = true;
    }
    GravacaoPendente(const GravacaoPendente &) = delete;
    GravacaoPendente &operator=(const GravacaoPendente &) = delete;

private:
    data::Table &m_table;
    bool m_posted = false;
};

void gravaResultado(data::Table &table, const TformIncluiMes &dialogo)
{
    table.fieldByName(QStringLiteral("Categoria")).setInteger(dialogo.PlanCategoria);
    table.fieldByName(QStringLiteral("Descricao")).setString(dialogo.editDescricao()->text());
    table.fieldByName(QStringLiteral("Valor")).setFloat(dialogo.PlanValor);
}

} // namespace

TformPlanejamento::TformPlanejamento(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formPlanejamento"));
    preparaJanela(this, QStringLiteral("Cofrel 1.0 - Planejamento Mensal"), QSize(499, 361), Borda::SimplesSistema);

    DBGrid = new DataGrid(this);
    DBGrid->setObjectName(QStringLiteral("DBGrid"));
    DBGrid->setGeometry(8, 112, 483, 217);
    DBGrid->setAccessibleName(QStringLiteral("Planejamento Mensal"));

    buttonIncluiValor = criaBotaoCofrel(this, QStringLiteral("buttonIncluiValor"), QStringLiteral("&Incluir valor"),
                                        QRect(8, 334, 119, 23));
    buttonAlteraValor = criaBotaoCofrel(this, QStringLiteral("buttonAlteraValor"), QStringLiteral("&Alterar valor"),
                                        QRect(129, 334, 119, 23));
    buttonExcluiValor = criaBotaoCofrel(this, QStringLiteral("buttonExcluiValor"), QStringLiteral("E&xcluir valor"),
                                        QRect(250, 334, 119, 23));
    buttonVoltar = criaBotaoCofrel(this, QStringLiteral("buttonVoltar"), QStringLiteral("&Fechar"),
                                   QRect(371, 334, 119, 23));

    QWidget::setTabOrder(DBGrid, buttonExcluiValor);
    QWidget::setTabOrder(buttonExcluiValor, buttonVoltar);
    QWidget::setTabOrder(buttonVoltar, buttonAlteraValor);
    QWidget::setTabOrder(buttonAlteraValor, buttonIncluiValor);

    connect(buttonIncluiValor, &TGradBtn::clicked, this, guard([this] { buttonIncluiValorClick(); }));
    connect(buttonAlteraValor, &TGradBtn::clicked, this, guard([this] { buttonAlteraValorClick(); }));
    connect(buttonExcluiValor, &TGradBtn::clicked, this, guard([this] { buttonExcluiValorClick(); }));
    connect(buttonVoltar, &TGradBtn::clicked, this, guard([this] { buttonVoltarClick(); }));
    connect(DBGrid, &DataGrid::doubleClicked, this, guard([this] { buttonAlteraValorClick(); }));

    criaImagemFundo(this);
}

TDados &TformPlanejamento::dados()
{
    if (!forms().Dados)
        throw Error(QStringLiteral("O módulo de dados não foi criado."));
    return *forms().Dados;
}

TformIncluiMes &TformPlanejamento::dialogo()
{
    if (!forms().IncluiMes)
        throw Error(QStringLiteral("A janela de planejamento mensal não foi criada."));
    return *forms().IncluiMes;
}

void TformPlanejamento::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (!guarded([this] { FormShow(); })) {
        // Without its table the window has nothing to work on.
        QMetaObject::invokeMethod(this, &TformPlanejamento::reject, Qt::QueuedConnection);
    }
}

void TformPlanejamento::hideEvent(QHideEvent *event)
{
    if (!event->spontaneous())
        guarded([this] { FormClose(); });
    QDialog::hideEvent(event);
}

void TformPlanejamento::FormShow()
{
    TDados &d = dados();
    if (DBGrid->model() != d.DataSource3) {
        DBGrid->setModel(d.DataSource3);
        DBGrid->setColumnWidth(0, 31);
        DBGrid->setColumnWidth(1, 331);
        DBGrid->setColumnWidth(2, 82);
    }
    d.TableDFin.setIndexFieldNames(OrdemDoPlano);
    d.TableDFin.open();
    d.TableDFin.first();
}

void TformPlanejamento::FormClose()
{
    dados().TableDFin.close();
}

void TformPlanejamento::buttonIncluiValorClick()
{
    TformIncluiMes &dialog = dialogo();
    dialog.comboDia()->setCurrentIndex(0);
    dialog.comboCategoria()->setCurrentIndex(0);
    dialog.comboCredito()->setCurrentIndex(TipoDebito);
    dialog.editDescricao()->clear();
    dialog.editValor()->clear();
    if (dialog.exec() != mrOk)
        return;

    const int dia = dialog.comboDia()->currentIndex() + 1;
    const QDate vencimento = PrimeiroVencimento(dia, clock::today());
    data::Table &plano = dados().TableDFin;
    GravacaoPendente gravacao(plano);
    plano.insert();
    plano.fieldByName(QStringLiteral("Data")).setDate(vencimento);
    plano.fieldByName(QStringLiteral("Dia")).setInteger(dia);
    gravaResultado(plano, dialog);
    gravacao.post();
}

void TformPlanejamento::buttonAlteraValorClick()
{
    data::Table &plano = dados().TableDFin;
    if (plano.isEmpty())
        return; // no row to prefill from: nothing to alter

    const qint64 entrada = plano.currentId();
    const int diaGravado = int(plano.fieldByName(QStringLiteral("Dia")).asInteger());
    const double valor = plano.fieldByName(QStringLiteral("Valor")).asFloat();
    TformIncluiMes &dialog = dialogo();
    dialog.comboDia()->setCurrentIndex(diaGravado - 1);
    dialog.comboCategoria()->setCurrentIndex(int(plano.fieldByName(QStringLiteral("Categoria")).asInteger()) - 1);
    dialog.comboCredito()->setCurrentIndex(valor >= 0 ? TipoCredito : TipoDebito);
    dialog.editDescricao()->setText(plano.fieldByName(QStringLiteral("Descricao")).asString());
    dialog.editValor()->setText(FormatValor(std::fabs(valor)));
    if (dialog.exec() != mrOk)
        return;

    // The dialog is modal, but the row is found again by identity so the
    // write lands on the row that was prefilled.
    if (plano.currentId() != entrada && !plano.gotoPrimaryKey(entrada))
        throw Error(QStringLiteral("A entrada planejada não existe mais em %1.").arg(plano.tableName()));

    const int dia = dialog.comboDia()->currentIndex() + 1;
    GravacaoPendente gravacao(plano);
    plano.edit();
    // The due date is recomputed only for a new day; the same day keeps
    // it, even when it has passed.
    if (dia != diaGravado) {
        plano.fieldByName(QStringLiteral("Dia")).setInteger(dia);
        plano.fieldByName(QStringLiteral("Data")).setDate(PrimeiroVencimento(dia, clock::today()));
    }
    gravaResultado(plano, dialog);
    gravacao.post();
}

void TformPlanejamento::buttonExcluiValorClick()
{
    data::Table &plano = dados().TableDFin;
    if (plano.isEmpty())
        return;
    if (!interaction().question(QStringLiteral("Deseja realmente apagar este valor?"), QStringLiteral("Cofrel"),
                                QuestionIcon::None))
        return;
    plano.deleteRow();
}

void TformPlanejamento::buttonVoltarClick()
{
    close();
}

void TformPlanejamento::reject()
{
    done(mrCancel);
}
