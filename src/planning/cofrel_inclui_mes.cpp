#include "planning/cofrel_inclui_mes.h"

#include "app/filtro_valor.h"
#include "app/cofrel_uteis.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

using namespace cofrel;

namespace {

constexpr int MaxDescricao = 100;
constexpr int MaxValor = 12;
constexpr int AlturaCampo = 21;

// Blanks and control characters at either end go, as the description is
// stored without them.
QString semBrancosNasPontas(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

QComboBox *criaLista(QWidget *parent, const QString &name, const QRect &bounds, const QStringList &items)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setEditable(false); // choice from the list only
    combo->addItems(items);
    combo->setMaxVisibleItems(8);
    combo->setGeometry(bounds);
    return combo;
}

QLineEdit *criaCaixa(QWidget *parent, const QString &name, const QRect &bounds, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(maxLength);
    edit->setGeometry(bounds);
    return edit;
}

QStringList diasDoMes()
{
    QStringList days;
    for (int day = 1; day <= 31; ++day)
        days.append(QStringLiteral("%1").arg(day, 2, 10, QChar(u'0')));
    return days;
}

} // namespace

TformIncluiMes::TformIncluiMes(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formIncluiMes"));
    preparaJanela(this, QStringLiteral("Cofrel 1.0 - Incluir/Editar Planejamento Mensal"), QSize(388, 250),
                  Borda::SimplesSistema);

    QLabel *labelDia = criaRotulo(this, QStringLiteral("labelDia"), QStringLiteral("Dia"), 12, 104);
    QLabel *labelCategoria = criaRotulo(this, QStringLiteral("labelCategoria"), QStringLiteral("Categoria"), 221, 104);
    QLabel *labelDescricao = criaRotulo(this, QStringLiteral("labelDescricao"), QStringLiteral("Descrição"), 12, 139);
    QLabel *labelValor = criaRotulo(this, QStringLiteral("labelValor"), QStringLiteral("Valor"), 12, 173);
    QLabel *labelTipo = criaRotulo(this, QStringLiteral("labelTipo"), QStringLiteral("Tipo"), 221, 173);

    m_comboCategoria = criaLista(this, QStringLiteral("comboCategoria"), QRect(221, 117, 156, AlturaCampo),
                                 NomesCategorias());
    m_editDescricao = criaCaixa(this, QStringLiteral("editDescricao"), QRect(12, 152, 365, AlturaCampo),
                                MaxDescricao);
    m_editValor = criaCaixa(this, QStringLiteral("editValor"), QRect(12, 186, 109, AlturaCampo), MaxValor);
    m_comboCredito = criaLista(this, QStringLiteral("comboCredito"), QRect(221, 186, 156, AlturaCampo),
                               NomesTipos());
    m_buttonOK = criaBotaoCofrel(this, QStringLiteral("buttonOK"), QStringLiteral("OK"), QRect(219, 223, 76, 23));
    m_buttonSair = criaBotaoCofrel(this, QStringLiteral("buttonSair"), QStringLiteral("Cancelar"),
                                   QRect(304, 223, 76, 23));
    m_comboDia = criaLista(this, QStringLiteral("comboDia"), QRect(13, 117, 68, AlturaCampo), diasDoMes());
    // Each box is named by its label for assistive technology.
    labelDia->setBuddy(m_comboDia);
    labelCategoria->setBuddy(m_comboCategoria);
    labelDescricao->setBuddy(m_editDescricao);
    labelValor->setBuddy(m_editValor);
    labelTipo->setBuddy(m_comboCredito);

    // The day comes last in the tab order; activation puts the focus there.
    QWidget::setTabOrder(m_comboCategoria, m_editDescricao);
    QWidget::setTabOrder(m_editDescricao, m_editValor);
    QWidget::setTabOrder(m_editValor, m_comboCredito);
    QWidget::setTabOrder(m_comboCredito, m_buttonOK);
    QWidget::setTabOrder(m_buttonOK, m_buttonSair);
    QWidget::setTabOrder(m_buttonSair, m_comboDia);

    instalaFiltroValor(m_editValor);
    // activated() comes only from the person, never from setCurrentIndex().
    connect(m_comboCategoria, &QComboBox::activated, this,
            guard([this](int index) { comboCategoriaChange(index); }));
    connect(m_buttonOK, &TGradBtn::clicked, this, guard([this] { buttonOKClick(); }));
    connect(m_buttonSair, &TGradBtn::clicked, this, guard([this] { buttonSairClick(); }));

    QStringList &names = loginContext().CategoryNames;
    names.clear();
    for (int i = 0; i < m_comboCategoria->count(); ++i)
        names.append(m_comboCategoria->itemText(i));
    criaImagemFundo(this);
}

bool TformIncluiMes::event(QEvent *event)
{
    const bool handled = QDialog::event(event);
    if (m_ativacao.activated(*this, *event))
        guarded([this] { FormActivate(); });
    return handled;
}

void TformIncluiMes::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        m_ativacao.newShowing();
}

void TformIncluiMes::FormActivate()
{
    m_comboDia->setFocus(Qt::ActiveWindowFocusReason);
}

void TformIncluiMes::comboCategoriaChange(int index)
{
    m_comboCredito->setCurrentIndex(TipoParaCategoria(index));
}

void TformIncluiMes::buttonOKClick()
{
    const std::optional<double> valor = LeValor(m_editValor->text());
    if (!valor) {
        interaction().message(QStringLiteral("Valor inválido"));
        m_editValor->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_editDescricao->setText(semBrancosNasPontas(m_editDescricao->text()));
    PlanCategoria = m_comboCategoria->currentIndex() + 1;
    PlanValor = *valor;
    if (m_comboCredito->currentIndex() == TipoDebito)
        PlanValor = -PlanValor;
    done(mrOk);
}

void TformIncluiMes::buttonSairClick()
{
    reject();
}

void TformIncluiMes::reject()
{
    done(mrCancel);
}
