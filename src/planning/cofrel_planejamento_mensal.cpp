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

// The dialog's results into \a row, as the plan keeps them.
void leResultado(data::Lancamento &row, const TformIncluiMes &dialogo)
{
    row.categoria = dialogo.PlanCategoria;
    row.descricao = dialogo.editDescricao()->text();
    row.valor = dialogo.PlanValor;
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
    data::PlanModel *model = dados().DataSource3;
    if (DBGrid->model() != model) {
        DBGrid->setModel(model);
        DBGrid->setColumnWidth(0, 31);
        DBGrid->setColumnWidth(1, 331);
        DBGrid->setColumnWidth(2, 82);
    }
    model->reload();
}

void TformPlanejamento::FormClose()
{
    dados().DataSource3->clear();
}

// The plan read again, the grid on the row of \a transacao (or on the row
// at \a linha when that one is gone).
void TformPlanejamento::releEFicaEm(qint64 transacao, int linha)
{
    data::PlanModel *model = dados().DataSource3;
    model->reload();
    const int row = model->rowOf(transacao);
    DBGrid->setCurrentRow(row >= 0 ? row : qMin(linha, model->rowCount() - 1));
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

    data::Lancamento row;
    row.dia = dialog.comboDia()->currentIndex() + 1;
    row.data = PrimeiroVencimento(row.dia, clock::today());
    leResultado(row, dialog);
    releEFicaEm(dados().TableDFin.insert(row), DBGrid->currentRow());
}

void TformPlanejamento::buttonAlteraValorClick()
{
    if (dados().DataSource3->rowCount() == 0 || DBGrid->currentRow() < 0)
        return; // no row to prefill from: nothing to alter

    data::Lancamento row = dados().DataSource3->row(DBGrid->currentRow());
    TformIncluiMes &dialog = dialogo();
    dialog.comboDia()->setCurrentIndex(row.dia - 1);
    dialog.comboCategoria()->setCurrentIndex(row.categoria - 1);
    dialog.comboCredito()->setCurrentIndex(row.valor >= 0 ? TipoCredito : TipoDebito);
    dialog.editDescricao()->setText(row.descricao);
    dialog.editValor()->setText(FormatValor(std::fabs(row.valor)));
    if (dialog.exec() != mrOk)
        return;

    // The due date is recomputed only for a new day; the same day keeps
    // it, even when it has passed.
    const int dia = dialog.comboDia()->currentIndex() + 1;
    if (dia != row.dia) {
        row.dia = dia;
        row.data = PrimeiroVencimento(dia, clock::today());
    }
    leResultado(row, dialog);
    data::Table &plano = dados().TableDFin;
    if (!plano.update(row))
        throw Error(QStringLiteral("A entrada planejada não existe mais em %1.").arg(plano.tableName()));
    releEFicaEm(row.transacao, DBGrid->currentRow());
}

void TformPlanejamento::buttonExcluiValorClick()
{
    if (dados().DataSource3->rowCount() == 0 || DBGrid->currentRow() < 0)
        return;
    if (!interaction().question(QStringLiteral("Deseja realmente apagar este valor?"), QStringLiteral("Cofrel"),
                                QuestionIcon::None))
        return;
    const int linha = DBGrid->currentRow();
    dados().TableDFin.remove(dados().DataSource3->row(linha).transacao);
    releEFicaEm(0, linha); // the row after it, as a table moves after a delete
}

void TformPlanejamento::buttonVoltarClick()
{
    close();
}

void TformPlanejamento::reject()
{
    done(mrCancel);
}
