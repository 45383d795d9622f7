// The import of the bank's statement, driven as a person does it: a file
// dropped on the main window or chosen through the statement grid's
// context menu, the review (ticks, categories, totals), OK; the stored rows
// read back through a connection of the test's own.
#include "support/livro.h"
#include "support/tabelas.h"

#include "extratos_exemplo.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "controls/GradBtn.h"
#include "controls/cores.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "ledger/cofrel_importa_extrato.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/importacao.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace cofrel;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

// Before every sample's first day: no planned entry of these tests is due
// when the main window opens.
const QDate Hoje(2026, 1, 1);

enum class Amostra { OfxSgml, OfxXml, OfxSaldos, Csv };

exemplo::ExtratoExemplo amostra(Amostra tipo, std::uint64_t semente = 7)
{
    switch (tipo) {
    case Amostra::OfxSgml:
        return exemplo::ofxSgml(semente);
    case Amostra::OfxXml:
        return exemplo::ofxXml(semente);
    case Amostra::OfxSaldos:
        return exemplo::ofxSaldos(semente);
    case Amostra::Csv:
        break;
    }
    return exemplo::csvPontoEVirgula(semente);
}

constexpr auto Marca = TformImportaExtrato::ColunaMarca;
constexpr auto ColData = TformImportaExtrato::ColunaData;
constexpr auto ColDescricao = TformImportaExtrato::ColunaDescricao;
constexpr auto ColCategoria = TformImportaExtrato::ColunaCategoria;
constexpr auto ColValor = TformImportaExtrato::ColunaValor;

qint64 centavosDe(const Lancamento &l)
{
    return centavos(l.valor);
}

int categoriaPadrao(const LinhaExtrato &l)
{
    return l.centavos > 0 ? 6 : 8; // "Trabalho", "Outros"
}

QString celula(const TformImportaExtrato *d, int linha, int coluna, int role = Qt::DisplayRole)
{
    return d->tabelaLinhas->model()->index(linha, coluna).data(role).toString();
}

bool marcada(const TformImportaExtrato *d, int linha)
{
    return d->tabelaLinhas->model()->index(linha, Marca).data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

QPoint centro(const TformImportaExtrato *d, int linha, int coluna)
{
    return d->tabelaLinhas->visualRect(d->tabelaLinhas->model()->index(linha, coluna)).center();
}

// A click on the line's tick, anywhere in its cell.
void clicaMarca(TformImportaExtrato *d, int linha)
{
    QTest::mouseClick(d->tabelaLinhas->viewport(), Qt::LeftButton, {}, centro(d, linha, Marca));
}

// The list open on the line's category, if any.
QComboBox *listaDeCategorias(TformImportaExtrato *d, int linha)
{
    return qobject_cast<QComboBox *>(d->tabelaLinhas->indexWidget(d->tabelaLinhas->model()->index(linha, ColCategoria)));
}

// The keyboard: a click on the line's date, two steps right, F2, the
// arrows down the list, Enter.
void categoriaPeloTeclado(TformImportaExtrato *d, int linha, int categoria)
{
    QTableView *t = d->tabelaLinhas;
    QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, centro(d, linha, ColData));
    QTest::keyClick(t, Qt::Key_Right);
    QTest::keyClick(t, Qt::Key_Right);
    QTest::keyClick(t, Qt::Key_F2);
    QComboBox *lista = listaDeCategorias(d, linha);
    QVERIFY(lista);
    QTest::keyClick(lista, Qt::Key_Home);
    for (int i = 1; i < categoria; ++i)
        QTest::keyClick(lista, Qt::Key_Down);
    QTest::keyClick(lista, Qt::Key_Enter);
    QTRY_VERIFY(!listaDeCategorias(d, linha));
}

// The mouse: a click on the category opens its list, a click on an item
// picks it.
void categoriaPeloMouse(TformImportaExtrato *d, int linha, int categoria)
{
    QTest::mouseClick(d->tabelaLinhas->viewport(), Qt::LeftButton, {}, centro(d, linha, ColCategoria));
    QComboBox *lista = listaDeCategorias(d, linha);
    QVERIFY(lista);
    QAbstractItemView *itens = lista->view();
    QTRY_VERIFY(itens->isVisible());
    const QPoint item = itens->visualRect(itens->model()->index(categoria - 1, 0)).center();
    QTest::mouseClick(itens->viewport(), Qt::LeftButton, {}, item);
    QTRY_VERIFY(!listaDeCategorias(d, linha));
}

struct Totais {
    int marcadas = 0;
    int creditos = 0;
    int debitos = 0;
    qint64 centavosCreditos = 0;
    qint64 centavosDebitos = 0;
};

Totais totaisDe(const QList<LinhaExtrato> &linhas, const std::function<bool(int)> &conta)
{
    Totais t;
    for (int i = 0; i < linhas.size(); ++i) {
        if (!conta(i))
            continue;
        ++t.marcadas;
        if (linhas[i].centavos >= 0) {
            ++t.creditos;
            t.centavosCreditos += linhas[i].centavos;
        } else {
            ++t.debitos;
            t.centavosDebitos += linhas[i].centavos;
        }
    }
    return t;
}

QString textoTotais(const Totais &t, int linhas)
{
    return u"Marcados: %1 de %2     Créditos (%3): %4     Débitos (%5): %6     Total: %7"_s.arg(t.marcadas)
        .arg(linhas)
        .arg(t.creditos)
        .arg(FormatValor(double(t.centavosCreditos) / 100.0))
        .arg(t.debitos)
        .arg(FormatValor(double(t.centavosDebitos) / 100.0))
        .arg(FormatValor(double(t.centavosCreditos + t.centavosDebitos) / 100.0));
}

void comparaTotais(const TformImportaExtrato *d, const Totais &t, int linhas)
{
    QVERIFY(d->revisao());
    const TotaisRevisao &r = d->revisao()->totais();
    QCOMPARE(r.marcadas, t.marcadas);
    QCOMPARE(r.creditos, t.creditos);
    QCOMPARE(r.debitos, t.debitos);
    QCOMPARE(r.centavosCreditos, t.centavosCreditos);
    QCOMPARE(r.centavosDebitos, t.centavosDebitos);
    QCOMPARE(d->labelTotais->text(), textoTotais(t, linhas));
}

QStringList copiasDe(const QString &pasta, int usuario)
{
    return QDir(pasta).entryList({u"f%1.*.bak"_s.arg(usuario)}, QDir::Files, QDir::Name);
}

QByteArray conteudo(const QString &caminho)
{
    QFile f(caminho);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestImportaExtrato final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<Livro>(Hoje, Livro::Principal);
        m_janela = m_fx->janela;
        m_janela->show();
        QVERIFY(QTest::qWaitForWindowActive(m_janela));
    }

    void cleanup()
    {
        QVERIFY2(!QApplication::activeModalWidget(), "a modal window was left open");
        m_janela = nullptr;
        m_fx.reset();
    }

    void dropReviewAndBook_data()
    {
        QTest::addColumn<int>("tipo");
        QTest::addColumn<QString>("nome");
        QTest::newRow("SGML OFX, Windows-1252, [-3:BRT]") << int(Amostra::OfxSgml) << u"extrato.OFX"_s;
        QTest::newRow("XML OFX, UTF-8") << int(Amostra::OfxXml) << u"cartao.ofx"_s;
        QTest::newRow("SALDO lines, empty FITIDs") << int(Amostra::OfxSaldos) << u"saldos.Ofx"_s;
        QTest::newRow("CSV, ';' and decimal commas") << int(Amostra::Csv) << u"extrato.csv"_s;
    }

    void dropReviewAndBook()
    {
        QFETCH(int, tipo);
        QFETCH(QString, nome);
        const exemplo::ExtratoExemplo e = amostra(Amostra(tipo));
        const QList<LinhaExtrato> &esperadas = e.linhas;
        QVERIFY(esperadas.size() >= 4);
        const int n = int(esperadas.size());

        importaSoltando(gravaArquivo(nome, e.bytes), [&](TformImportaExtrato *d) {
            QCOMPARE(d->windowTitle(), u"Cofrel 1.0 - Importar extrato do banco"_s);
            QVERIFY(!m_janela->timerDFin->isActive());
            QVERIFY(!d->panelColunas->isVisible());
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), n);
            for (int i = 0; i < n; ++i) {
                QCOMPARE(celula(d, i, ColData), FormatData(esperadas[i].data));
                QCOMPARE(celula(d, i, ColDescricao), esperadas[i].descricao);
                QCOMPARE(celula(d, i, ColCategoria), NomesCategorias()[categoriaPadrao(esperadas[i]) - 1]);
                QCOMPARE(celula(d, i, ColValor), FormatValor(double(esperadas[i].centavos) / 100.0));
                QVERIFY(marcada(d, i));
                QCOMPARE(celula(d, i, Marca, Qt::ToolTipRole), QString());
            }
            comparaTotais(d, totaisDe(esperadas, [](int) { return true; }), n);

            clicaMarca(d, 0);
            QVERIFY(!marcada(d, 0));
            comparaTotais(d, totaisDe(esperadas, [](int i) { return i != 0; }), n);
            clicaMarca(d, 3);
            clicaMarca(d, 3); // ticked again
            QVERIFY(marcada(d, 3));

            categoriaPeloTeclado(d, 1, 3); // "Lazer"
            QCOMPARE(celula(d, 1, ColCategoria), u"Lazer"_s);
            categoriaPeloMouse(d, 2, 5); // "Saúde"
            QCOMPARE(celula(d, 2, ColCategoria), u"Saúde"_s);
            comparaTotais(d, totaisDe(esperadas, [](int i) { return i != 0; }), n);
            clica(d->buttonOK);
        });

        const QList<Lancamento> livro = leLinhas(m_fx->arquivoFin());
        QCOMPARE(livro.size(), n - 1);
        for (int i = 1; i < n; ++i) {
            const Lancamento &l = livro[i - 1];
            QCOMPARE(l.data, esperadas[i].data);
            QCOMPARE(centavosDe(l), esperadas[i].centavos);
            QCOMPARE(l.descricao, esperadas[i].descricao);
            QCOMPARE(l.categoria, i == 1 ? 3 : i == 2 ? 5 : categoriaPadrao(esperadas[i]));
        }
        QVERIFY(m_fx->interacao.errors.isEmpty());
        QVERIFY(m_janela->timerDFin->isActive());
        // The statement was refreshed: its period takes in every day after
        // today, where all the sample's lines fall.
        QCOMPARE(m_janela->DBGrid->model()->rowCount(), n - 1);
    }

    void contextMenuChoosesTheFile()
    {
        const exemplo::ExtratoExemplo e = amostra(Amostra::OfxXml);
        const QString arquivo = gravaArquivo(u"cartao.ofx"_s, e.bytes);

        // The person gives up in the file dialog: nothing happens.
        abreMenuEEscolhe();
        QCOMPARE(m_fx->interacao.fileDialogs.size(), 1);
        QVERIFY(m_fx->interacao.fileDialogs.first().startsWith(u"Importar extrato do banco|"_s));
        QVERIFY(m_fx->interacao.fileDialogs.first().contains(u"*.ofx"_s));
        QVERIFY(m_fx->interacao.fileDialogs.first().contains(u"*.csv"_s));
        QVERIFY(leLinhas(m_fx->arquivoFin()).isEmpty());

        m_fx->interacao.fileAnswers = {arquivo};
        bool revisto = false;
        const auto revisao = quandoModal([&](QWidget *modal) {
            auto *d = qobject_cast<TformImportaExtrato *>(modal);
            const auto fecha = qScopeGuard([&] { modal->close(); });
            QVERIFY(d);
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), int(e.linhas.size()));
            // No due entry is offered over the review.
            QVERIFY(!m_janela->timerDFin->isActive());
            revisto = true;
            clica(d->buttonOK);
        });
        QVERIFY(m_janela->timerDFin->isActive());
        abreMenuEEscolhe();
        QVERIFY(revisto);
        QVERIFY(m_janela->timerDFin->isActive());
        const QList<Lancamento> livro = leLinhas(m_fx->arquivoFin());
        QCOMPARE(livro.size(), e.linhas.size());
        for (int i = 0; i < livro.size(); ++i) {
            QCOMPARE(livro[i].data, e.linhas[i].data);
            QCOMPARE(centavosDe(livro[i]), e.linhas[i].centavos);
            QCOMPARE(livro[i].descricao, e.linhas[i].descricao);
        }
    }

    void sameFileTwiceAddsNothing_data()
    {
        QTest::addColumn<int>("tipo");
        QTest::newRow("OFX, by FITID") << int(Amostra::OfxSgml);
        QTest::newRow("OFX, fallback keys") << int(Amostra::OfxSaldos);
        QTest::newRow("CSV, fallback keys") << int(Amostra::Csv);
    }

    void sameFileTwiceAddsNothing()
    {
        QFETCH(int, tipo);
        const exemplo::ExtratoExemplo e = amostra(Amostra(tipo));
        const QString arquivo = gravaArquivo(tipo == int(Amostra::Csv) ? u"a.csv"_s : u"a.ofx"_s, e.bytes);
        importaSoltando(arquivo, [](TformImportaExtrato *d) { clica(d->buttonOK); });
        const QList<Lancamento> primeira = leLinhas(m_fx->arquivoFin());
        QCOMPARE(primeira.size(), e.linhas.size());

        importaSoltando(arquivo, [&](TformImportaExtrato *d) {
            const int n = d->tabelaLinhas->model()->rowCount();
            QCOMPARE(n, int(e.linhas.size()));
            for (int i = 0; i < n; ++i) {
                QVERIFY(!marcada(d, i));
                QVERIFY(celula(d, i, ColDescricao, Qt::ToolTipRole).startsWith(u"Já importado"_s));
                QCOMPARE(d->tabelaLinhas->model()->index(i, ColDescricao).data(Qt::ForegroundRole).value<QColor>(),
                         toQColor(clGray));
            }
            comparaTotais(d, {}, n);
            // OK with nothing ticked: refused, the review stays.
            clica(d->buttonOK);
            QCOMPARE(m_fx->interacao.messages, QStringList{u"Nenhum lançamento está marcado: não há o que importar."_s});
            QVERIFY(d->isVisible());
            clica(d->buttonSair);
        });
        QCOMPARE(leLinhas(m_fx->arquivoFin()), primeira);
        QCOMPARE(copiasDe(m_fx->pasta.dataDir(), m_fx->usuario).size(), 1);
    }

    void duplicateTypedByHandComesUnticked()
    {
        // Lines 4 and 5 of this sample are alike in everything.
        const exemplo::ExtratoExemplo e = amostra(Amostra::OfxSaldos);
        const LinhaExtrato &igual = e.linhas[4];
        QCOMPARE(e.linhas[5].descricao, igual.descricao);
        QCOMPARE(e.linhas[5].centavos, igual.centavos);
        QCOMPARE(e.linhas[5].data, igual.data);
        // Typed by hand, in other letters and blanks: stands for one of the two.
        m_fx->insere(igual.data, u"  "_s + igual.descricao.toUpper() + u" "_s, 1, double(igual.centavos) / 100.0);
        // A cent apart, or a day apart: no repetition.
        const LinhaExtrato &outra = e.linhas[7];
        m_fx->insere(outra.data, outra.descricao, 1, double(outra.centavos + 1) / 100.0);
        m_fx->insere(outra.data.addDays(1), outra.descricao, 1, double(outra.centavos) / 100.0);

        importaSoltando(gravaArquivo(u"saldos.ofx"_s, e.bytes), [&](TformImportaExtrato *d) {
            for (int i = 0; i < d->tabelaLinhas->model()->rowCount(); ++i) {
                QCOMPARE(marcada(d, i), i != 4);
                const QColor cor = d->tabelaLinhas->model()->index(i, ColDescricao).data(Qt::ForegroundRole).value<QColor>();
                QCOMPARE(cor.isValid() && cor == toQColor(clGray), i == 4);
            }
            QCOMPARE(celula(d, 4, ColValor, Qt::ToolTipRole),
                     u"Já está no extrato: há um lançamento de %1 com o mesmo valor e a mesma descrição."_s.arg(
                         FormatData(igual.data)));
            comparaTotais(d, totaisDe(e.linhas, [](int i) { return i != 4; }), int(e.linhas.size()));
            clica(d->buttonOK);
        });
        const QList<Lancamento> livro = leLinhas(m_fx->arquivoFin());
        QCOMPARE(livro.size(), 3 + e.linhas.size() - 1);
        QCOMPARE(livro[3 + 4].descricao, e.linhas[5].descricao);
    }

    void plannedEntryPaidAdvancesThePlan_data()
    {
        QTest::addColumn<bool>("confirmada");
        QTest::newRow("booked") << true;
        QTest::newRow("unticked") << false;
    }

    void plannedEntryPaidAdvancesThePlan()
    {
        QFETCH(bool, confirmada);
        const QByteArray csv = "Data;Descri\xc3\xa7\xc3\xa3o;Valor\r\n"
                               "05/01/2026;ALUGUEL APTO 12;-1.500,00\r\n"
                               "06/01/2026;ALUGUEL APTO 12;-1.500,00\r\n"
                               "07/01/2026;Padaria S\xc3\xa3o Jo\xc3\xa3o;-12,50\r\n"
                               "15/01/2026;Sal\xc3\xa1rio;3.000,00\r\n";
        const qint64 aluguel = m_fx->planeja(8, QDate(2026, 1, 8), u"Aluguel"_s, 4, -1500.0);
        // Due 20/01: the salary of the 15th is five days early, not matched.
        m_fx->planeja(20, QDate(2026, 1, 20), u"Salário"_s, 6, 3000.0);

        importaSoltando(gravaArquivo(u"conta.csv"_s, csv), [&](TformImportaExtrato *d) {
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), 4);
            // The nearest of the two lines pays it; an entry pays once.
            QCOMPARE(celula(d, 1, ColDescricao, Qt::ToolTipRole),
                     u"Confere com o planejamento mensal \"Aluguel\", com vencimento em 08/01/2026.\n"
                     "Ao importar, o vencimento passa para 08/02/2026."_s);
            QCOMPARE(d->tabelaLinhas->model()->index(1, ColValor).data(Qt::ForegroundRole).value<QColor>(),
                     toQColor(clNavy));
            for (const int i : {0, 2, 3})
                QCOMPARE(celula(d, i, ColDescricao, Qt::ToolTipRole), QString());
            QCOMPARE(celula(d, 1, ColCategoria), u"Moradia"_s); // the plan's
            QCOMPARE(celula(d, 0, ColCategoria), u"Outros"_s);
            if (!confirmada)
                clicaMarca(d, 1);
            clica(d->buttonOK);
        });
        const QList<Lancamento> plano = m_fx->plano();
        QCOMPARE(plano.size(), 2);
        const Lancamento entrada = *std::find_if(plano.cbegin(), plano.cend(),
                                                 [&](const Lancamento &l) { return l.transacao == aluguel; });
        QCOMPARE(entrada.data, confirmada ? QDate(2026, 2, 8) : QDate(2026, 1, 8));
        QCOMPARE(leLinhas(m_fx->arquivoFin()).size(), confirmada ? 4 : 3);

        // On its due day, the due-entry check offers it only when the
        // import did not pay it.
        clock::setFixedNow(QDateTime(QDate(2026, 1, 9), QTime(9, 0)));
        const auto volta = qScopeGuard([] { clock::setFixedNow(QDateTime(Hoje, QTime(12, 0))); });
        QStringList oferecidos;
        CadaModal cancela([&](QWidget *modal) {
            if (auto *dialogo = qobject_cast<TformIncluirValor *>(modal))
                oferecidos << dialogo->editDescricao()->text();
            modal->close();
        });
        m_janela->timerDFinTimer();
        QCOMPARE(oferecidos, confirmada ? QStringList() : QStringList{u"Aluguel"_s});
    }

    void badFileWritesNothing_data()
    {
        QTest::addColumn<QString>("nome");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("mensagem");
        const QByteArray ofx = exemplo::ofxSgml(3).bytes;
        QTest::newRow("empty") << u"vazio.ofx"_s << QByteArray() << u"O arquivo está vazio: não há extrato nele."_s;
        QTest::newRow("binary") << u"foto.csv"_s << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                                << u"O arquivo não é de texto: não é um extrato do banco em OFX nem em CSV."_s;
        QTest::newRow("truncated OFX") << u"cortado.ofx"_s << ofx.left(ofx.size() / 2)
                                       << u"O extrato está incompleto"_s;
        QTest::newRow("only balances")
            << u"saldo.ofx"_s
            << QByteArray("OFXHEADER:100\r\nDATA:OFXSGML\r\nVERSION:102\r\n\r\n<OFX><BANKMSGSRSV1><STMTTRNRS><STMTRS>"
                          "<BANKTRANLIST><STMTTRN><TRNTYPE>OTHER<DTPOSTED>20260105<TRNAMT>10.00<FITID>1"
                          "<MEMO>SALDO ANTERIOR</STMTTRN></BANKTRANLIST></STMTRS></STMTTRNRS></BANKMSGSRSV1></OFX>\r\n")
            << u"O extrato não tem nenhuma transação."_s;
    }

    void badFileWritesNothing()
    {
        QFETCH(QString, nome);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, mensagem);
        m_fx->insere(QDate(2025, 12, 20), u"Padaria"_s, 1, -8.5);
        const QByteArray antes = conteudo(m_fx->arquivoFin());
        const QStringList arquivosAntes = arquivosDaPasta(m_fx->pasta);

        const auto revisao = quandoModal([](QWidget *modal) { modal->close(); });
        solta({gravaArquivo(nome, bytes)});
        QTRY_COMPARE(m_fx->interacao.errors.size(), 1);
        QVERIFY2(m_fx->interacao.errors.first().startsWith(mensagem), qPrintable(m_fx->interacao.errors.first()));
        QVERIFY(!revisao->ran());
        QCOMPARE(conteudo(m_fx->arquivoFin()), antes);
        QCOMPARE(arquivosDaPasta(m_fx->pasta), arquivosAntes); // no copy either
    }

    void headerlessCsvColumnsChosenInTheReview()
    {
        const QByteArray csv = "05/01/2026;Padaria S\xc3\xa3o Jo\xc3\xa3o;-12,50;x\r\n"
                               "06/01/2026;Sal\xc3\xa1rio de janeiro;3.000,00;y\r\n";
        importaSoltando(gravaArquivo(u"sem_cabecalho.csv"_s, csv), [&](TformImportaExtrato *d) {
            QVERIFY(d->panelColunas->isVisible());
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), 0);
            // The guess from the rows, for the person to confirm.
            QCOMPARE(d->comboColunaData->currentText(), u"Coluna 1: 05/01/2026"_s);
            QCOMPARE(d->comboColunaDescricao->currentText(), u"Coluna 2: Padaria São João"_s);
            QCOMPARE(d->comboColunaValor->currentText(), u"Coluna 3: -12,50"_s);
            // No amount: said, nothing made.
            escolhe(d->comboColunaValor, 0);
            clica(d->buttonAplicaColunas);
            QCOMPARE(m_fx->interacao.messages.size(), 1);
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), 0);
            escolhe(d->comboColunaValor, 3);
            clica(d->buttonAplicaColunas);
            QCOMPARE(d->tabelaLinhas->model()->rowCount(), 2);
            QCOMPARE(celula(d, 1, ColValor), FormatValor(3000.0));
            clica(d->buttonOK);
        });
        const QList<Lancamento> livro = leLinhas(m_fx->arquivoFin());
        QCOMPARE(livro.size(), 2);
        QCOMPARE(livro[0].descricao, u"Padaria São João"_s);
        QCOMPARE(livro[0].categoria, 8);
        QCOMPARE(centavosDe(livro[0]), -1250);
        QCOMPARE(livro[1].data, QDate(2026, 1, 6));
        QCOMPARE(livro[1].categoria, 6);
        QCOMPARE(centavosDe(livro[1]), 300000);
    }

    void learnedCategoryProposed()
    {
        const exemplo::ExtratoExemplo e = amostra(Amostra::OfxXml);
        const LinhaExtrato &l = e.linhas[2];
        // Chosen twice as "Lazer", once as "Educação", in other letters.
        m_fx->insere(QDate(2025, 6, 1), l.descricao.toUpper(), 3, -1.0);
        m_fx->insere(QDate(2025, 7, 1), l.descricao, 3, -2.0);
        m_fx->insere(QDate(2025, 8, 1), l.descricao, 2, -3.0);
        importaSoltando(gravaArquivo(u"cartao.ofx"_s, e.bytes), [&](TformImportaExtrato *d) {
            for (int i = 0; i < d->tabelaLinhas->model()->rowCount(); ++i) {
                const bool mesma = e.linhas[i].descricao.compare(l.descricao, Qt::CaseInsensitive) == 0;
                QCOMPARE(celula(d, i, ColCategoria),
                         mesma ? u"Lazer"_s : NomesCategorias()[categoriaPadrao(e.linhas[i]) - 1]);
            }
            clica(d->buttonSair);
        });
        QCOMPARE(leLinhas(m_fx->arquivoFin()).size(), 3); // Cancel writes nothing
    }

    void backupCopyOwnerOnlyLastFiveKept()
    {
        QStringList esperadas;
        qsizetype linhasAntes = 0;
        for (int vez = 0; vez < 7; ++vez) {
            const QDateTime quando(Hoje, QTime(10, 0, vez));
            clock::setFixedNow(quando);
            const QByteArray csv = u"Data;Descrição;Valor\n%1/01/2026;Compra %2;-1,00\n"_s.arg(vez + 2, 2, 10, QChar(u'0'))
                                       .arg(vez)
                                       .toUtf8();
            importaSoltando(gravaArquivo(u"mes%1.csv"_s.arg(vez), csv),
                            [](TformImportaExtrato *d) { clica(d->buttonOK); });
            const QString nome = u"f%1.%2.bak"_s.arg(m_fx->usuario).arg(quando.toString(u"yyyyMMdd-HHmmss"_s));
            esperadas << nome;
            if (esperadas.size() > 5)
                esperadas.removeFirst();
            const QString copia = m_fx->pasta.dataFile(nome);
            QVERIFY2(QFile::exists(copia), qPrintable(nome));
            const QFileDevice::Permissions alheias = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                    | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                                    | QFileDevice::WriteOther | QFileDevice::ExeOther;
            QCOMPARE(QFile::permissions(copia) & alheias, QFileDevice::Permissions());
            QVERIFY(QFile::permissions(copia) & QFileDevice::ReadOwner);
            // The ledger as it was before this import.
            QCOMPARE(leLinhas(copia).size(), linhasAntes);
            linhasAntes = leLinhas(m_fx->arquivoFin()).size();
            QCOMPARE(linhasAntes, vez + 1);
        }
        clock::setFixedNow(QDateTime(Hoje, QTime(12, 0)));
        QCOMPARE(copiasDe(m_fx->pasta.dataDir(), m_fx->usuario), esperadas);
    }

    void repeatedLineBookedWhenThePersonTicksIt()
    {
        const exemplo::ExtratoExemplo e = amostra(Amostra::OfxSgml);
        const QString arquivo = gravaArquivo(u"extrato.ofx"_s, e.bytes);
        importaSoltando(arquivo, [](TformImportaExtrato *d) { clica(d->buttonOK); });
        // A line imported before, its row since deleted, wanted again: the
        // space bar ticks it.
        importaSoltando(arquivo, [&](TformImportaExtrato *d) {
            QTest::mouseClick(d->tabelaLinhas->viewport(), Qt::LeftButton, {}, centro(d, 2, ColDescricao));
            QTest::keyClick(d->tabelaLinhas, Qt::Key_Space);
            QVERIFY(marcada(d, 2));
            comparaTotais(d, totaisDe(e.linhas, [](int i) { return i == 2; }), int(e.linhas.size()));
            clica(d->buttonOK);
        });
        QVERIFY(m_fx->interacao.errors.isEmpty());
        const QList<Lancamento> livro = leLinhas(m_fx->arquivoFin());
        QCOMPARE(livro.size(), e.linhas.size() + 1);
        QCOMPARE(livro.last().descricao, e.linhas[2].descricao);
        QCOMPARE(centavosDe(livro.last()), e.linhas[2].centavos);
    }

    void dragEnterTakesOnlyLocalStatements_data()
    {
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("aceito");
        const auto local = [](const QString &nome) { return QUrl::fromLocalFile(u"/tmp/"_s + nome); };
        QTest::newRow("a.ofx") << QList<QUrl>{local(u"a.ofx"_s)} << true;
        QTest::newRow("A.CSV") << QList<QUrl>{local(u"A.CSV"_s)} << true;
        QTest::newRow("two statements") << QList<QUrl>{local(u"a.ofx"_s), local(u"b.csv"_s)} << true;
        QTest::newRow("a.txt") << QList<QUrl>{local(u"a.txt"_s)} << false;
        QTest::newRow("a statement and a text")
            << QList<QUrl>{local(u"a.ofx"_s), local(u"b.txt"_s)} << false;
        QTest::newRow("ofx in the name only") << QList<QUrl>{local(u"ofx"_s)} << false;
        QTest::newRow("a web address") << QList<QUrl>{QUrl(u"https://banco.example/extrato.ofx"_s)} << false;
        QTest::newRow("no file") << QList<QUrl>{} << false;
    }

    void dragEnterTakesOnlyLocalStatements()
    {
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, aceito);
        QMimeData mime;
        if (urls.isEmpty())
            mime.setText(u"extrato.ofx"_s);
        else
            mime.setUrls(urls);
        QDragEnterEvent entra(QPoint(200, 200), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_janela, &entra);
        QCOMPARE(entra.isAccepted(), aceito);
    }

private:
    QString gravaArquivo(const QString &nome, const QByteArray &bytes)
    {
        const QString caminho = m_fx->pasta.appDir() + nome;
        QFile f(caminho);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(caminho));
        return caminho;
    }

    // Drags \a arquivos over the main window and drops them there.
    void solta(const QStringList &arquivos)
    {
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString &a : arquivos)
            urls << QUrl::fromLocalFile(a);
        mime.setUrls(urls);
        const QPoint onde = m_janela->DBGrid->mapTo(m_janela, m_janela->DBGrid->rect().center());
        QDragEnterEvent entra(onde, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_janela, &entra);
        QVERIFY(entra.isAccepted());
        QDropEvent solta(onde, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_janela, &solta);
        QVERIFY(solta.isAccepted());
    }

    // Drops \a arquivo on the main window and runs \a revisa on the review
    // while it is open; the review is closed afterwards if still open.
    void importaSoltando(const QString &arquivo, const std::function<void(TformImportaExtrato *)> &revisa)
    {
        bool revisto = false;
        const auto revisao = quandoModal([&](QWidget *modal) {
            const auto fecha = qScopeGuard([&] {
                if (modal->isVisible())
                    modal->close();
            });
            auto *d = qobject_cast<TformImportaExtrato *>(modal);
            QVERIFY(d);
            revisto = true;
            revisa(d);
        });
        solta({arquivo});
        QTRY_VERIFY(revisto);
        QTRY_VERIFY(!QApplication::activeModalWidget());
    }

    // Opens the statement grid's context menu and clicks its item.
    void abreMenuEEscolhe()
    {
        QWidget *grade = m_janela->DBGrid->viewport();
        const QPoint onde = grade->rect().center();
        QContextMenuEvent menu(QContextMenuEvent::Mouse, onde, grade->mapToGlobal(onde));
        QApplication::sendEvent(grade, &menu);
        QMenu *popup = m_janela->menuExtrato;
        QTRY_VERIFY(popup->isVisible());
        QCOMPARE(popup->actions(), QList<QAction *>{m_janela->actionImportaExtrato});
        QCOMPARE(m_janela->actionImportaExtrato->text(), u"&Importar extrato do banco..."_s);
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(m_janela->actionImportaExtrato).center());
        QTRY_VERIFY(!popup->isVisible());
    }

    std::unique_ptr<Livro> m_fx;
    TformCofrelMain *m_janela = nullptr;
};

QTEST_MAIN(TestImportaExtrato)
#include "test_importa_extrato.moc"
