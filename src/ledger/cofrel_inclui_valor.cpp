#include "ledger/cofrel_inclui_valor.h"

#include "app/filtro_valor.h"
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "data/cofrel_dados.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>

#include <cmath>
#include <optional>

using namespace cofrel;

namespace {

constexpr QSize ClientSize(388, 250);

// "99/99/9999; " with the regional separator taken as a literal.
QString mascaraData()
{
    const QString sep = u'\\' + QString(separadorData());
    return u"99" + sep + u"99" + sep + u"9999; ";
}

[[noreturn]] void lancamentoNaoEncontrado(qint64 transacao, const QString &file)
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
    for (int i = 0; i < m_comboCategoria->count(); ++i)
        loginContext().CategoryNames.append(m_comboCategoria->itemText(i));
    m_Image1 = criaImagemFundo(this);
}

TformIncluirValor::~TformIncluirValor() = default;

void TformIncluirValor::criaControles()
{
    QLabel *Label1 = criaRotulo(this, QStringLiteral("Label1"), QStringLiteral("Data"), 12, 104);
    QLabel *Label2 = criaRotulo(this, QStringLiteral("Label2"), QStringLiteral("Categoria"), 221, 104);
    QLabel *Label3 = criaRotulo(this, QStringLiteral("Label3"), QStringLiteral("Descrição"), 12, 139);
    QLabel *Label4 = criaRotulo(this, QStringLiteral("Label4"), QStringLiteral("Valor"), 12, 173);
    QLabel *Label5 = criaRotulo(this, QStringLiteral("Label5"), QStringLiteral("Tipo"), 221, 173);

    m_editData = new QLineEdit(this);
    m_editData->setObjectName(QStringLiteral("editData"));
    m_editData->setInputMask(mascaraData());
    m_editData->setGeometry(12, 117, 109, 21);
    m_editData->installEventFilter(this);

    m_comboCategoria = new QComboBox(this);
    m_comboCategoria->setObjectName(QStringLiteral("comboCategoria"));
    m_comboCategoria->addItems(NomesCategorias());
    m_comboCategoria->setGeometry(221, 117, 156, 21);
    m_comboCategoria->setMaxVisibleItems(NumeroCategorias);
    // activated: only the user's pick applies the category rule.
    connect(m_comboCategoria, &QComboBox::activated, this, guard([this](int i) { comboCategoriaChange(i); }));

    m_editDescricao = new QLineEdit(this);
    m_editDescricao->setObjectName(QStringLiteral("editDescricao"));
    m_editDescricao->setMaxLength(100);
    m_editDescricao->setGeometry(12, 152, 365, 21);

    m_editValor = new QLineEdit(this);
    m_editValor->setObjectName(QStringLiteral("editValor"));
    m_editValor->setMaxLength(12);
    m_editValor->setGeometry(12, 186, 109, 21);
    instalaFiltroValor(m_editValor);

    m_comboCredito = new QComboBox(this);
    m_comboCredito->setObjectName(QStringLiteral("comboCredito"));
    m_comboCredito->addItems(NomesTipos());
    m_comboCredito->setGeometry(221, 186, 156, 21);

    // Each box is named by its label for assistive technology.
    Label1->setBuddy(m_editData);
    Label2->setBuddy(m_comboCategoria);
    Label3->setBuddy(m_editDescricao);
    Label4->setBuddy(m_editValor);
    Label5->setBuddy(m_comboCredito);

    m_buttonOK = criaBotaoCofrel(this, QStringLiteral("buttonOK"), QStringLiteral("OK"),
                                 QRect(219, 223, 76, 23));
    m_buttonSair = criaBotaoCofrel(this, QStringLiteral("buttonSair"), QStringLiteral("Cancelar"),
                                   QRect(304, 223, 76, 23));
    connect(m_buttonOK, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonOKClick(); }));
    connect(m_buttonSair, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonSairClick(); }));

    setTabOrder(m_editData, m_comboCategoria);
    setTabOrder(m_comboCategoria, m_editDescricao);
    setTabOrder(m_editDescricao, m_editValor);
    setTabOrder(m_editValor, m_comboCredito);
    setTabOrder(m_comboCredito, m_buttonOK);
    setTabOrder(m_buttonOK, m_buttonSair);
}

void TformIncluirValor::setTrabalhoNaMesmaTransacao(const QStringList &arquivos, std::function<void()> work)
{
    m_arquivosExtra = arquivos;
    m_trabalhoExtra = std::move(work);
}

QString TformIncluirValor::textoData() const
{
    return m_editData->displayText();
}

// ---- Show, activation, close --------------------------------------------------

int TformIncluirValor::executa(EntryMode mode)
{
    m_entryMode = mode;
    return exec();
}

void TformIncluirValor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous()) {
        m_ativacao.newShowing();
        FormShow();
    }
}

void TformIncluirValor::FormShow()
{
    if (m_entryMode == EntryMode::NovoLancamento) {
        limpaParaNovo();
    } else if (!m_entryMode.novo()) {
        // Without the stored row there is nothing to edit: OK would write
        // the boxes of an earlier showing over it.
        if (!guarded([this] { carregaParaEdicao(); }))
            QMetaObject::invokeMethod(this, [this] { done(mrCancel); }, Qt::QueuedConnection);
    }
}

void TformIncluirValor::limpaParaNovo()
{
    m_editData->setText(FormatData(cofrel::clock::today()));
    m_comboCategoria->setCurrentIndex(0);
    m_comboCredito->setCurrentIndex(TipoDebito);
    m_editDescricao->clear();
    m_editValor->clear();
}

void TformIncluirValor::carregaParaEdicao()
{
    data::Table &fin = dados().TableFin;
    const std::optional<data::Lancamento> row = fin.find(m_entryMode.transacao());
    if (!row)
        lancamentoNaoEncontrado(m_entryMode.transacao(), fin.tableName());
    m_editData->setText(FormatData(row->data));
    m_editDescricao->setText(row->descricao);
    m_comboCategoria->setCurrentIndex(row->categoria - 1);
    m_editValor->setText(FormatValor(std::fabs(row->valor)));
    m_comboCredito->setCurrentIndex(row->valor > 0 ? TipoCredito : TipoDebito);
}

void TformIncluirValor::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (m_ativacao.activated(*this, *event) && isVisible()) {
        m_editData->setFocus(Qt::OtherFocusReason);
        m_editData->selectAll();
    }
}

void TformIncluirValor::done(int result)
{
    m_editData->setText(QString());
    m_trabalhoExtra = nullptr;
    m_arquivosExtra.clear();
    QDialog::done(result);
}

void TformIncluirValor::reject()
{
    done(mrCancel);
}

// ---- The boxes ----------------------------------------------------------------

bool TformIncluirValor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_editData && event->type() == QEvent::FocusOut) {
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
        m_editData->setText(repaired);
}

void TformIncluirValor::comboCategoriaChange(int index)
{
    m_comboCredito->setCurrentIndex(TipoParaCategoria(index));
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
        m_editData->setFocus(Qt::OtherFocusReason);
        return;
    }
    const std::optional<double> valorLido = LeValor(m_editValor->text());
    if (!valorLido) {
        interaction().message(QStringLiteral("Valor inválido"));
        m_editValor->setFocus(Qt::OtherFocusReason);
        return;
    }
    data::Lancamento lancamento{m_entryMode.novo() ? 0 : m_entryMode.transacao(), *dataLida,
                                m_editDescricao->text().trimmed(), m_comboCategoria->currentIndex() + 1, *valorLido};
    if (m_comboCredito->currentIndex() == TipoDebito)
        lancamento.valor = -lancamento.valor;
    if (lancamento.valor == 0)
        lancamento.valor = 0.0; // a debit of nothing is no negative zero
    // A save that fails keeps the dialog open with everything typed.
    if (!guarded([&] { grava(lancamento); }))
        return;
    done(mrOk);
}

void TformIncluirValor::grava(const data::Lancamento &lancamento)
{
    data::Table &fin = dados().TableFin;
    // With work to store alongside, both go in one transaction.
    std::optional<data::Transaction> transaction;
    if (m_trabalhoExtra)
        transaction.emplace(dados().database(), QStringList{fin.tableName()} + m_arquivosExtra);
    if (m_entryMode.novo())
        fin.insert(lancamento);
    else if (!fin.update(lancamento))
        lancamentoNaoEncontrado(m_entryMode.transacao(), fin.tableName());
    if (m_trabalhoExtra) {
        m_trabalhoExtra();
        transaction->commit();
    }
}

void TformIncluirValor::buttonSairClick()
{
    done(mrCancel);
}
