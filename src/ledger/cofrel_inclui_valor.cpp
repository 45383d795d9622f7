#include "ledger/cofrel_inclui_valor.h"

#include "app/amount_filter.h"
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/window_setup.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/table.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include <cmath>
#include <optional>

using namespace cofrel;

struct TformIncluirValor::Lancamento {
    QDate data;
    QString descricao;
    int categoria;
    double valor;
};

namespace {

constexpr QSize ClientSize(388, 250);

// "99/99/9999; " with the regional separator taken as a literal.
QString mascaraData()
{
    const QString sep = u'\\' + QString(separadorData());
    return u"99" + sep + u"99" + sep + u"9999; ";
}

TDados &dados()
{
    TDados *d = forms().Dados;
    if (!d)
        throw Error(QStringLiteral("O módulo de dados ainda não foi criado."));
    return *d;
}

[[noreturn]] void lancamentoNaoEncontrado(int transacao, const QString &file)
{
    throw Error(QStringLiteral("O lançamento %1 não existe mais em %2.").arg(transacao).arg(file));
}

} // namespace

TformIncluirValor::TformIncluirValor(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("formIncluirValor"));
    preparaJanela(this, QStringLiteral("Cofrel 1.0 - Incluir/Editar valor"), ClientSize,
                  Borda::SimplesSistema);
    setModal(true);
    criaControles();
    loginContext().CategoryNames.clear();
    for (int i = 0; i < comboCategoria->count(); ++i)
        loginContext().CategoryNames.append(comboCategoria->itemText(i));
    Image1 = criaImagemFundo(this);
}

TformIncluirValor::~TformIncluirValor() = default;

void TformIncluirValor::criaControles()
{
    criaRotulo(this, QStringLiteral("Label1"), QStringLiteral("Data"), 12, 104);
    criaRotulo(this, QStringLiteral("Label2"), QStringLiteral("Categoria"), 221, 104);
    criaRotulo(this, QStringLiteral("Label3"), QStringLiteral("Descrição"), 12, 139);
    criaRotulo(this, QStringLiteral("Label4"), QStringLiteral("Valor"), 12, 173);
    criaRotulo(this, QStringLiteral("Label5"), QStringLiteral("Tipo"), 221, 173);

    editData = new QLineEdit(this);
    editData->setObjectName(QStringLiteral("editData"));
    editData->setInputMask(mascaraData());
    editData->setGeometry(12, 117, 109, 21);
    editData->installEventFilter(this);

    comboCategoria = new QComboBox(this);
    comboCategoria->setObjectName(QStringLiteral("comboCategoria"));
    comboCategoria->addItems(NomesCategorias());
    comboCategoria->setGeometry(221, 117, 156, 21);
    comboCategoria->setMaxVisibleItems(NumeroCategorias);
    // activated: only the user's pick applies the category rule.
    connect(comboCategoria, &QComboBox::activated, this, guard([this](int i) { comboCategoriaChange(i); }));

    editDescricao = new QLineEdit(this);
    editDescricao->setObjectName(QStringLiteral("editDescricao"));
    editDescricao->setMaxLength(100);
    editDescricao->setGeometry(12, 152, 365, 21);

    editValor = new QLineEdit(this);
    editValor->setObjectName(QStringLiteral("editValor"));
    editValor->setMaxLength(12);
    editValor->setGeometry(12, 186, 109, 21);
    instalaFiltroValor(editValor);

    comboCredito = new QComboBox(this);
    comboCredito->setObjectName(QStringLiteral("comboCredito"));
    comboCredito->addItems(NomesTipos());
    comboCredito->setGeometry(221, 186, 156, 21);

    buttonOK = criaBotaoCofrel(this, QStringLiteral("buttonOK"), QStringLiteral("OK"),
                               QRect(219, 223, 76, 23));
    buttonSair = criaBotaoCofrel(this, QStringLiteral("buttonSair"), QStringLiteral("Cancelar"),
                                 QRect(304, 223, 76, 23));
    connect(buttonOK, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonOKClick(); }));
    connect(buttonSair, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonSairClick(); }));

    setTabOrder(editData, comboCategoria);
    setTabOrder(comboCategoria, editDescricao);
    setTabOrder(editDescricao, editValor);
    setTabOrder(editValor, comboCredito);
    setTabOrder(comboCredito, buttonOK);
    setTabOrder(buttonOK, buttonSair);
}

void TformIncluirValor::setTrabalhoNaMesmaTransacao(std::function<void()> work)
{
    m_trabalhoExtra = std::move(work);
}

QString TformIncluirValor::textoData() const
{
    return editData->displayText();
}

// ---- Show, activation, close --------------------------------------------------

void TformIncluirValor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TformIncluirValor::FormShow()
{
    if (EntryMode == -1) {
        limpaParaNovo();
    } else if (EntryMode > 0) {
        // Without the stored row there is nothing to edit: OK would write
        // the boxes of an earlier showing over it.
        if (!guarded([this] { carregaParaEdicao(); }))
            QMetaObject::invokeMethod(this, [this] { done(mrCancel); }, Qt::QueuedConnection);
    }
}

void TformIncluirValor::limpaParaNovo()
{
    editData->setText(FormatData(cofrel::clock::today()));
    comboCategoria->setCurrentIndex(0);
    comboCredito->setCurrentIndex(TipoDebito);
    editDescricao->clear();
    editValor->clear();
}

void TformIncluirValor::carregaParaEdicao()
{
    data::Table &fin = dados().TableFin;
    data::IndexSwitch byIdentity(fin, QStringLiteral("Transacao"));
    data::TableCloser closer(fin);
    fin.open();
    if (!fin.findKey(qint64(EntryMode)))
        lancamentoNaoEncontrado(EntryMode, fin.tableName());
    const double valor = fin.fieldByName(QStringLiteral("Valor")).asFloat();
    editData->setText(FormatData(fin.fieldByName(QStringLiteral("Data")).asDate()));
    editDescricao->setText(fin.fieldByName(QStringLiteral("Descricao")).asString());
    comboCategoria->setCurrentIndex(int(fin.fieldByName(QStringLiteral("Categoria")).asInteger()) - 1);
    editValor->setText(FormatValor(std::fabs(valor)));
    comboCredito->setCurrentIndex(valor > 0 ? TipoCredito : TipoDebito);
}

void TformIncluirValor::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) {
        editData->setFocus(Qt::OtherFocusReason);
        editData->selectAll();
    }
}

void TformIncluirValor::done(int result)
{
    editData->setText(QString());
    m_trabalhoExtra = nullptr;
    QDialog::done(result);
}

void TformIncluirValor::reject()
{
    done(mrCancel);
}

// ---- The boxes ----------------------------------------------------------------

bool TformIncluirValor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == editData && event->type() == QEvent::FocusOut) {
        // Leaving the box, not the window: switching away keeps the text.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            guarded([this] { editDataExit(); });
    }
    return QDialog::eventFilter(watched, event);
}

QString TformIncluirValor::reparaAno(const QString &maskedText)
{
    bool ok = false;
    const int year = maskedText.mid(6, 4).trimmed().toInt(&ok);
    if (!ok || year >= 1999)
        return maskedText;
    return maskedText.left(6) + u"1999";
}

void TformIncluirValor::editDataExit()
{
    const QString text = textoData();
    const QString repaired = reparaAno(text);
    if (repaired != text)
        editData->setText(repaired);
}

void TformIncluirValor::comboCategoriaChange(int index)
{
    comboCredito->setCurrentIndex(TipoParaCategoria(index));
}

// ---- OK and Cancel ----------------------------------------------------------------

void TformIncluirValor::buttonOKClick()
{
    // Reached by keyboard the box may still hold a two-digit year; the
    // repair that leaving the box would do comes first either way.
    editDataExit();
    const std::optional<QDate> dataLida = LeData(textoData());
    if (!dataLida) {
        interaction().message(QStringLiteral("Data inválida"));
        editData->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::optional<double> valorLido = LeValor(editValor->text());
    if (!valorLido) {
        interaction().message(QStringLiteral("Valor inválido"));
        editValor->setFocus(Qt::OtherFocusReason);
        return;
    }
    Lancamento lancamento{*dataLida, editDescricao->text().trimmed(), comboCategoria->currentIndex() + 1,
                          *valorLido};
    if (comboCredito->currentIndex() == TipoDebito)
        lancamento.valor = -lancamento.valor;
    if (lancamento.valor == 0)
        lancamento.valor = 0.0; // a debit of nothing is no negative zero
    // A save that fails keeps the dialog open with everything typed.
    if (!guarded([&] { grava(lancamento); }))
        return;
    done(mrOk);
}

void TformIncluirValor::grava(const Lancamento &lancamento)
{
    data::Table &fin = dados().TableFin;
    std::optional<data::IndexSwitch> byIdentity;
    if (EntryMode >= 0)
        byIdentity.emplace(fin, QStringLiteral("Transacao"));
    data::TableCloser closer(fin);
    fin.openToWrite();
    // Declared after the closer: rolled back before the table closes.
    std::optional<data::Transaction> transaction;
    if (m_trabalhoExtra)
        transaction.emplace(data::Database::forAlias(fin.alias()));
    if (EntryMode < 0) {
        fin.insert();
    } else {
        if (!fin.findKey(qint64(EntryMode)))
            lancamentoNaoEncontrado(EntryMode, fin.tableName());
        fin.edit();
    }
    fin.fieldByName(QStringLiteral("Data")).setDate(lancamento.data);
    fin.fieldByName(QStringLiteral("Descricao")).setString(lancamento.descricao);
    fin.fieldByName(QStringLiteral("Categoria")).setInteger(lancamento.categoria);
    fin.fieldByName(QStringLiteral("Valor")).setFloat(lancamento.valor);
    fin.post();
    if (m_trabalhoExtra) {
        m_trabalhoExtra();
        transaction->commit();
    }
}

void TformIncluirValor::buttonSairClick()
{
    done(mrCancel);
}
