#include "ledger/cofrel_importa_extrato.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/guard.h"
#include "app/interaction.h"
#include "app/modal_result.h"
#include "app/montagem_janela.h"
#include "app/wait_cursor.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "data/cofrel_dados.h"

#include <QAbstractItemView>
#include <QAbstractTableModel>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>
#include <QTableView>

#include <algorithm>
#include <functional>
#include <utility>

using namespace cofrel;
using namespace Qt::StringLiterals;

namespace {

constexpr QSize ClientSize(600, 420);
constexpr int Margem = 8;
constexpr int AlturaLinha = 20;
constexpr int TopoLinhasSemColunas = 122;
constexpr int TopoLinhasComColunas = 162;
constexpr int FundoLinhas = 354;
constexpr int LargurasColunas[TformImportaExtrato::NumeroColunas] = {24, 74, 263, 110, 92};

// The background picture is made for the smaller windows: its right edge
// is carried on, column by column, over the width it lacks.
void estendeFundo(QLabel *image)
{
    const QPixmap original = image->pixmap();
    if (original.isNull() || original.width() >= image->width())
        return;
    const qreal escala = original.devicePixelRatio();
    const int largura = int(original.width() / escala);
    const int altura = int(original.height() / escala);
    QPixmap estendida(QSize(image->width(), altura) * escala);
    estendida.setDevicePixelRatio(escala);
    estendida.fill(Qt::transparent);
    QPainter p(&estendida);
    p.drawPixmap(0, 0, original);
    p.drawPixmap(QRectF(largura, 0, image->width() - largura, altura), original,
                 QRectF((largura - 1) * escala, 0, escala, altura * escala));
    p.end();
    image->setPixmap(estendida);
}

void reposiciona(QLabel *label, const QString &texto)
{
    label->setText(texto);
    label->adjustSize();
}

} // namespace

namespace cofrel {

// The review's lines for the table: read straight from the review, so
// that ten thousand lines cost nothing until they are on the screen.
class ModeloRevisao final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void mostra(ImportacaoExtrato *revisao)
    {
        beginResetModel();
        m_revisao = revisao;
        m_separador = separadorDecimal();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() || !m_revisao ? 0 : m_revisao->tamanho();
    }

    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : TformImportaExtrato::NumeroColunas;
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!m_revisao || !index.isValid() || index.row() >= m_revisao->tamanho())
            return {};
        const LinhaRevisao &linha = m_revisao->linha(index.row());
        switch (role) {
        case Qt::DisplayRole:
            return texto(linha, index.column());
        case Qt::EditRole:
            return index.column() == TformImportaExtrato::ColunaCategoria ? QVariant(linha.categoria)
                                                                           : texto(linha, index.column());
        case Qt::CheckStateRole:
            if (index.column() == TformImportaExtrato::ColunaMarca)
                return int(linha.marcada ? Qt::Checked : Qt::Unchecked);
            return {};
        case Qt::TextAlignmentRole:
            if (index.column() == TformImportaExtrato::ColunaValor)
                return int(Qt::AlignRight | Qt::AlignVCenter);
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (linha.repetida())
                return toQColor(clGray);
            if (linha.planejado != 0)
                return toQColor(clNavy);
            return {};
        case Qt::FontRole:
            if (linha.repetida() || linha.planejado != 0) {
                QFont font = fonteJanela();
                font.setItalic(linha.repetida());
                font.setBold(!linha.repetida());
                return font;
            }
            return {};
        case Qt::ToolTipRole: {
            const QString motivo = linha.motivo();
            return motivo.isEmpty() ? QVariant() : QVariant(motivo);
        }
        default:
            return {};
        }
    }

    bool setData(const QModelIndex &index, const QVariant &value, int role) override
    {
        if (!m_revisao || !index.isValid())
            return false;
        if (index.column() == TformImportaExtrato::ColunaMarca && role == Qt::CheckStateRole) {
            marca({index.row()}, value.toInt() == Qt::Checked);
            return true;
        }
        if (index.column() == TformImportaExtrato::ColunaCategoria && role == Qt::EditRole) {
            m_revisao->escolheCategoria(index.row(), value.toInt());
            Q_EMIT dataChanged(index, index);
            return true;
        }
        return false;
    }

    // Ticks or unticks \a linhas at once (a selection and the space bar).
    void marca(const QList<int> &linhas, bool marcada)
    {
        if (linhas.isEmpty())
            return;
        for (const int i : linhas)
            m_revisao->marca(i, marcada);
        const auto [menor, maior] = std::minmax_element(linhas.cbegin(), linhas.cend());
        Q_EMIT dataChanged(index(*menor, TformImportaExtrato::ColunaMarca),
                           index(*maior, TformImportaExtrato::ColunaMarca), {Qt::CheckStateRole});
    }

    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (index.column() == TformImportaExtrato::ColunaMarca)
            f |= Qt::ItemIsUserCheckable;
        else if (index.column() == TformImportaExtrato::ColunaCategoria)
            f |= Qt::ItemIsEditable;
        return f;
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList titulos{QString(), u"Data"_s, u"Descrição"_s, u"Categoria"_s, u"Valor"_s};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < titulos.size())
            return titulos[section];
        if (orientation == Qt::Horizontal && role == Qt::TextAlignmentRole && section == TformImportaExtrato::ColunaValor)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

private:
    QVariant texto(const LinhaRevisao &linha, int coluna) const
    {
        switch (coluna) {
        case TformImportaExtrato::ColunaData:
            return FormatData(linha.extrato.data);
        case TformImportaExtrato::ColunaDescricao:
            return linha.extrato.descricao;
        case TformImportaExtrato::ColunaCategoria:
            return NomesCategorias().value(linha.categoria - 1);
        case TformImportaExtrato::ColunaValor:
            return FormatValor(double(linha.extrato.centavos) / 100.0, m_separador);
        default:
            return {};
        }
    }

    ImportacaoExtrato *m_revisao = nullptr;
    QChar m_separador;
};

} // namespace cofrel

namespace {

// The editor of a category: says when its open list closes.
class ListaCategorias final : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> aoFecharLista;

    void showPopup() override
    {
        m_listaAberta = true;
        QComboBox::showPopup();
    }

    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (!std::exchange(m_listaAberta, false) || !aoFecharLista)
            return;
        // After the list's own handling: the edit's end deletes the box.
        QMetaObject::invokeMethod(this, aoFecharLista, Qt::QueuedConnection);
    }

private:
    bool m_listaAberta = false;
};

// A cell drawn by hand over the view's own background of the line
// (selection, colours), which pintaFundo() paints first.
class DelegadoComFundo : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    QStyleOptionViewItem pintaFundo(QPainter *painter, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
    {
        QStyleOptionViewItem item = option;
        initStyleOption(&item, index);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, widget);
        return item;
    }
};

// The category cell: drawn as a closed list, edited in a list of the eight
// categories. A click opens the list at once; F2 or a letter opens it for
// the keyboard (arrows or initials, Enter to keep, Esc to leave it).
class DelegadoCategoria final : public DelegadoComFundo {
public:
    using DelegadoComFundo::DelegadoComFundo;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        pintaFundo(painter, option, index);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        QStyleOptionComboBox combo;
        combo.rect = option.rect.adjusted(1, 1, -1, -1);
        combo.state = (option.state & QStyle::State_Enabled) | QStyle::State_Enabled;
        combo.palette = option.palette;
        if (const QVariant cor = index.data(Qt::ForegroundRole); cor.canConvert<QColor>())
            combo.palette.setColor(QPalette::ButtonText, cor.value<QColor>());
        combo.fontMetrics = option.fontMetrics;
        combo.direction = option.direction;
        combo.currentText = index.data(Qt::DisplayRole).toString();
        combo.frame = true;
        style->drawComplexControl(QStyle::CC_ComboBox, &combo, painter, widget);
        style->drawControl(QStyle::CE_ComboBoxLabel, &combo, painter, widget);
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *combo = new ListaCategorias(parent);
        combo->setObjectName(u"comboCategoria"_s);
        combo->addItems(NomesCategorias());
        combo->setMaxVisibleItems(NumeroCategorias);
        // Closing the open list, by a pick or not, is the end of the edit;
        // with the list closed the arrows only move through the names.
        combo->aoFecharLista = [this, combo] {
            auto *self = const_cast<DelegadoCategoria *>(this);
            Q_EMIT self->commitData(combo);
            Q_EMIT self->closeEditor(combo, QAbstractItemDelegate::NoHint);
        };
        return combo;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QComboBox *>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt() - 1);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentIndex() + 1, Qt::EditRole);
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &) const override
    {
        editor->setGeometry(option.rect);
    }
};

// The tick cell: the box in its middle, and a click anywhere in the cell
// ticks or unticks the line.
class DelegadoMarca final : public DelegadoComFundo {
public:
    using DelegadoComFundo::DelegadoComFundo;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QStyleOptionViewItem item = pintaFundo(painter, option, index);
        const QWidget *widget = option.widget;
        QStyle *style = widget ? widget->style() : QApplication::style();
        QStyleOptionViewItem caixa = item;
        const QRect indicador = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &item, widget);
        caixa.rect = QStyle::alignedRect(option.direction, Qt::AlignCenter, indicador.size(), option.rect);
        caixa.state = (item.state & ~(QStyle::State_On | QStyle::State_Off))
                      | (item.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &caixa, painter, widget);
    }

    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (mouse->button() != Qt::LeftButton || !option.rect.contains(mouse->position().toPoint()))
                return false;
            return model->setData(
                index, int(index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? Qt::Unchecked : Qt::Checked),
                Qt::CheckStateRole);
        case QEvent::MouseButtonDblClick:
            return true; // the press and release already toggled it
        default:
            return false;
        }
    }
};

// The table of lines: the space bar ticks or unticks every selected line
// (after the current one), wherever the cursor stands.
class TabelaRevisao final : public QTableView {
public:
    TabelaRevisao(ModeloRevisao *modelo, QWidget *parent)
        : QTableView(parent)
        , m_modelo(modelo)
    {
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const QModelIndex atual = currentIndex();
        if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier && atual.isValid()
            && state() != EditingState) {
            const bool marcada =
                atual.siblingAtColumn(TformImportaExtrato::ColunaMarca).data(Qt::CheckStateRole).toInt() == Qt::Checked;
            QList<int> linhas;
            for (const QModelIndex &i : selectionModel()->selectedRows())
                linhas.append(i.row());
            if (!linhas.contains(atual.row()))
                linhas = {atual.row()};
            m_modelo->marca(linhas, !marcada);
            event->accept();
            return;
        }
        QTableView::keyPressEvent(event);
    }

private:
    ModeloRevisao *m_modelo;
};

} // namespace

TformImportaExtrato::TformImportaExtrato(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(u"formImportaExtrato"_s);
    preparaJanela(this, u"Cofrel 1.0 - Importar extrato do banco"_s, ClientSize, Borda::SimplesSistema);
    setModal(true);
    criaControles();
    Image1 = criaImagemFundo(this);
    estendeFundo(Image1);
}

TformImportaExtrato::~TformImportaExtrato() = default;

void TformImportaExtrato::criaControles()
{
    labelArquivo = criaRotulo(this, u"labelArquivo"_s, QString(), Margem, 100);

    criaPainelColunas();

    m_modelo = new ModeloRevisao(this);
    auto *tabela = new TabelaRevisao(m_modelo, this);
    tabelaLinhas = tabela;
    tabelaLinhas->setObjectName(u"tabelaLinhas"_s);
    tabelaLinhas->setModel(m_modelo);
    tabelaLinhas->setItemDelegateForColumn(ColunaCategoria, new DelegadoCategoria(tabelaLinhas));
    tabelaLinhas->setSelectionBehavior(QAbstractItemView::SelectRows);
    tabelaLinhas->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tabelaLinhas->setItemDelegateForColumn(ColunaMarca, new DelegadoMarca(tabelaLinhas));
    // The mouse opens a category with one click (below).
    tabelaLinhas->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    tabelaLinhas->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tabelaLinhas->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    tabelaLinhas->setWordWrap(false);
    tabelaLinhas->setTabKeyNavigation(false);
    // Every line as high as the next: ten thousand of them are laid out
    // without being measured.
    QHeaderView *linhas = tabelaLinhas->verticalHeader();
    linhas->hide();
    linhas->setSectionResizeMode(QHeaderView::Fixed);
    linhas->setMinimumSectionSize(AlturaLinha);
    linhas->setDefaultSectionSize(AlturaLinha);
    QHeaderView *titulos = tabelaLinhas->horizontalHeader();
    titulos->setSectionResizeMode(QHeaderView::Fixed);
    titulos->setHighlightSections(false);
    for (int c = 0; c < NumeroColunas; ++c)
        tabelaLinhas->setColumnWidth(c, LargurasColunas[c]);
    // A click on a category opens its list straight away.
    connect(tabelaLinhas, &QAbstractItemView::clicked, this, guard([this](const QModelIndex &index) {
        if (index.column() != ColunaCategoria || tabelaLinhas->indexWidget(index))
            return;
        tabelaLinhas->edit(index);
        if (auto *combo = qobject_cast<QComboBox *>(tabelaLinhas->indexWidget(index)))
            combo->showPopup();
    }));
    connect(m_modelo, &QAbstractItemModel::dataChanged, this, guard([this](auto &&...) { atualizaTotais(); }));
    connect(m_modelo, &QAbstractItemModel::modelReset, this, guard([this](auto &&...) { atualizaTotais(); }));

    labelTotais = criaRotulo(this, u"labelTotais"_s, QString(), Margem, FundoLinhas + 4);
    labelLegenda = criaRotulo(this, u"labelLegenda"_s,
                              u"Em cinza: já estão no extrato e vêm desmarcados. Em azul: pagam um lançamento "
                              "do planejamento mensal."_s,
                              Margem, FundoLinhas + 20, false);

    buttonOK = criaBotaoCofrel(this, u"buttonOK"_s, u"OK"_s, QRect(432, 392, 76, 23));
    buttonSair = criaBotaoCofrel(this, u"buttonSair"_s, u"Cancelar"_s, QRect(516, 392, 76, 23));
    connect(buttonOK, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonOKClick(); }));
    connect(buttonSair, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonSairClick(); }));

    setTabOrder(comboColunaData, comboColunaDescricao);
    setTabOrder(comboColunaDescricao, comboColunaValor);
    setTabOrder(comboColunaValor, comboColunaCredito);
    setTabOrder(comboColunaCredito, comboColunaDebito);
    setTabOrder(comboColunaDebito, buttonAplicaColunas);
    setTabOrder(buttonAplicaColunas, tabelaLinhas);
    setTabOrder(tabelaLinhas, buttonOK);
    setTabOrder(buttonOK, buttonSair);
}

void TformImportaExtrato::criaPainelColunas()
{
    panelColunas = new QWidget(this);
    panelColunas->setObjectName(u"panelColunas"_s);
    panelColunas->setAttribute(Qt::WA_TranslucentBackground);
    panelColunas->setGeometry(0, 116, ClientSize.width(), 44);
    const auto coluna = [this](const QString &name, const QString &titulo, int indice) {
        const int x = Margem + indice * 100;
        criaRotulo(panelColunas, u"Label"_s + name, titulo, x, 2);
        auto *combo = new QComboBox(panelColunas);
        combo->setObjectName(u"comboColuna"_s + name);
        combo->setGeometry(x, 18, 96, 21);
        return combo;
    };
    comboColunaData = coluna(u"Data"_s, u"Data"_s, 0);
    comboColunaDescricao = coluna(u"Descricao"_s, u"Descrição"_s, 1);
    comboColunaValor = coluna(u"Valor"_s, u"Valor"_s, 2);
    comboColunaCredito = coluna(u"Credito"_s, u"Crédito"_s, 3);
    comboColunaDebito = coluna(u"Debito"_s, u"Débito"_s, 4);
    buttonAplicaColunas = criaBotaoCofrel(panelColunas, u"buttonAplicaColunas"_s, u"A&plicar colunas"_s,
                                          QRect(508, 17, 84, 23));
    connect(buttonAplicaColunas, &TGradBtn::clicked, this, guard([this](auto &&...) { buttonAplicaColunasClick(); }));
}

// ---- Showing ------------------------------------------------------------------------

int TformImportaExtrato::executa(const QString &nomeArquivo, const ExtratoBanco &extrato)
{
    m_nomeArquivo = nomeArquivo;
    m_gravacao = {};
    m_revisao = std::make_unique<ImportacaoExtrato>(dados().database(), dados().TableFin, dados().TableDFin);
    const bool escolheColunas = extrato.precisaEscolherColunas();
    m_tabela = escolheColunas ? extrato.tabela : TabelaCsv{};
    dispoe(escolheColunas);
    {
        const WaitCursor espera; // the book is read for the lines
        if (escolheColunas)
            preencheColunas(m_tabela);
        mostraLinhas(extrato.linhas);
    }
    tabelaLinhas->setFocus(Qt::OtherFocusReason);
    return exec();
}

void TformImportaExtrato::dispoe(bool escolheColunas)
{
    panelColunas->setVisible(escolheColunas);
    const int topo = escolheColunas ? TopoLinhasComColunas : TopoLinhasSemColunas;
    tabelaLinhas->setGeometry(Margem, topo, ClientSize.width() - 2 * Margem, FundoLinhas - topo);
}

void TformImportaExtrato::mostraLinhas(const QList<LinhaExtrato> &linhas)
{
    m_modelo->mostra(nullptr);
    m_revisao->monta(linhas);
    m_modelo->mostra(m_revisao.get());
    if (m_revisao->tamanho() > 0)
        tabelaLinhas->setCurrentIndex(m_modelo->index(0, ColunaMarca));
    tabelaLinhas->scrollToTop();

    QString texto = u"Arquivo: "_s + labelArquivo->fontMetrics().elidedText(m_nomeArquivo, Qt::ElideMiddle, 300);
    if (!m_tabela.linhas.isEmpty() && m_revisao->tamanho() == 0)
        texto += u" - escolha as colunas e clique em Aplicar colunas."_s;
    else
        texto += u" - %1 lançamento(s)"_s.arg(m_revisao->tamanho());
    reposiciona(labelArquivo, texto);
}

void TformImportaExtrato::atualizaTotais()
{
    const TotaisRevisao t = m_revisao ? m_revisao->totais() : TotaisRevisao{};
    const int total = m_revisao ? m_revisao->tamanho() : 0;
    reposiciona(labelTotais, u"Marcados: %1 de %2     Créditos (%3): %4     Débitos (%5): %6     Total: %7"_s
                                 .arg(t.marcadas)
                                 .arg(total)
                                 .arg(t.creditos)
                                 .arg(FormatValor(double(t.centavosCreditos) / 100.0))
                                 .arg(t.debitos)
                                 .arg(FormatValor(double(t.centavosDebitos) / 100.0))
                                 .arg(FormatValor(double(t.centavos()) / 100.0)));
}

// ---- The CSV's columns --------------------------------------------------------------

void TformImportaExtrato::preencheColunas(const TabelaCsv &tabela)
{
    int largura = int(tabela.cabecalho.size());
    for (const QStringList &linha : tabela.linhas)
        largura = std::max(largura, int(linha.size()));
    QStringList nomes;
    for (int c = 0; c < largura; ++c) {
        QString nome = c < tabela.cabecalho.size() ? tabela.cabecalho[c].trimmed() : QString();
        if (nome.isEmpty()) {
            const QString exemplo = tabela.linhas.isEmpty() || c >= tabela.linhas.first().size()
                                        ? QString()
                                        : tabela.linhas.first()[c].trimmed();
            nome = u"Coluna %1: %2"_s.arg(c + 1).arg(exemplo);
        }
        nomes.append(nome);
    }
    // What the header named, and for the rest a guess from the first rows.
    ColunasCsv escolha = tabela.colunas;
    const ColunasCsv palpite = sugereColunas(tabela);
    if (escolha.data < 0)
        escolha.data = palpite.data;
    if (escolha.descricao < 0)
        escolha.descricao = palpite.descricao;
    if (escolha.valor < 0 && (escolha.credito < 0 || escolha.debito < 0))
        escolha.valor = palpite.valor;
    const auto preenche = [&nomes](QComboBox *combo, int atual) {
        combo->clear();
        combo->addItem(u"(nenhuma)"_s, -1);
        for (int c = 0; c < nomes.size(); ++c)
            combo->addItem(nomes[c], c);
        combo->setCurrentIndex(std::max(0, combo->findData(atual)));
        // The box is narrow; its open list shows the names whole.
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 24);
    };
    preenche(comboColunaData, escolha.data);
    preenche(comboColunaDescricao, escolha.descricao);
    preenche(comboColunaValor, escolha.valor);
    preenche(comboColunaCredito, escolha.valor >= 0 ? -1 : escolha.credito);
    preenche(comboColunaDebito, escolha.valor >= 0 ? -1 : escolha.debito);
}

void TformImportaExtrato::buttonAplicaColunasClick()
{
    ColunasCsv colunas;
    colunas.data = comboColunaData->currentData().toInt();
    colunas.descricao = comboColunaDescricao->currentData().toInt();
    colunas.valor = comboColunaValor->currentData().toInt();
    colunas.credito = comboColunaCredito->currentData().toInt();
    colunas.debito = comboColunaDebito->currentData().toInt();
    if (!colunas.valida()) {
        interaction().message(u"Escolha as colunas de Data, Descrição e Valor, ou de Crédito e Débito no "
                              "lugar do Valor."_s);
        return;
    }
    const WaitCursor espera;
    mostraLinhas(linhasCsv(m_tabela, colunas));
}

// ---- OK and Cancel ----------------------------------------------------------------

void TformImportaExtrato::encerraEdicao()
{
    // A category still in its list counts as chosen.
    const QModelIndex atual = tabelaLinhas->currentIndex();
    if (QWidget *editor = atual.isValid() ? tabelaLinhas->indexWidget(atual) : nullptr) {
        tabelaLinhas->itemDelegateForIndex(atual)->setModelData(editor, m_modelo, atual);
        tabelaLinhas->setFocus(Qt::OtherFocusReason);
    }
}

void TformImportaExtrato::buttonOKClick()
{
    encerraEdicao();
    if (!m_revisao || m_revisao->totais().marcadas == 0) {
        interaction().message(u"Nenhum lançamento está marcado: não há o que importar."_s);
        return;
    }
    // A failure keeps the review open, with the files as they were.
    const WaitCursor espera;
    m_gravacao = m_revisao->grava(clock::now());
    done(mrOk);
}

void TformImportaExtrato::buttonSairClick()
{
    done(mrCancel);
}

void TformImportaExtrato::done(int result)
{
    tabelaLinhas->setCurrentIndex({}); // closes a category's list
    m_modelo->mostra(nullptr);
    m_revisao.reset();
    m_tabela = {};
    QDialog::done(result);
}

void TformImportaExtrato::reject()
{
    done(mrCancel);
}
