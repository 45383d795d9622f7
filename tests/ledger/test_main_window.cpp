// The main window against a fresh program folder with a fixed today: the
// statement over every period, the balance and its colour, include, alter
// and delete through the windows, the timer protocol, the exit question and
// the help page.
#include "support/livro.h"

#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/help_viewer.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "controls/data_grid.h"
#include "data/models.h"
#include "data/cofrel_dados.h"
#include "data/queries.h"
#include "ledger/caixa_relatorio.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/cofrel_main_abas.h"
#include "ledger/copia_extrato.h"
#include "ledger/painel_grafico.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QWindow>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 10);

QColor corNormal()
{
    return QGuiApplication::palette().color(QPalette::WindowText);
}

} // namespace

class TestMainWindow final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<Livro>(Hoje, Livro::Principal);
        m_janela = m_fx->janela;
    }

    void cleanup()
    {
        QVERIFY2(!QApplication::activeModalWidget(), "a modal window was left open");
        m_janela = nullptr;
        m_fx.reset();
    }

    void lowScreenPlacement_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<bool>("placed");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("640 x 480") << QRect(0, 0, 640, 480) << true << QPoint(71, 0);
        QTest::newRow("480 high exactly") << QRect(0, 0, 800, 480) << true << QPoint(151, 0);
        QTest::newRow("second screen") << QRect(1024, 0, 640, 400) << true << QPoint(1024 + 71, 0);
        QTest::newRow("narrower than the window") << QRect(0, 0, 400, 300) << true << QPoint(-48, 0);
        QTest::newRow("481 high stays centred") << QRect(0, 0, 640, 481) << false << QPoint();
        QTest::newRow("800 x 600 stays centred") << QRect(0, 0, 800, 600) << false << QPoint();
    }

    void lowScreenPlacement()
    {
        QFETCH(QRect, screen);
        QFETCH(bool, placed);
        QFETCH(QPoint, expected);
        const std::optional<QPoint> at = TformCofrelMain::posicaoEmTelaBaixa(screen, QSize(497, 431));
        QCOMPARE(at.has_value(), placed);
        if (placed)
            QCOMPARE(*at, expected);
    }

    void layoutAndCaptions()
    {
        TformCofrelMain &w = *m_janela;
        QCOMPARE(w.windowTitle(), QStringLiteral("Cofrel 1.0"));
        QCOMPARE(w.size(), QSize(497, 431));
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(w.windowFlags() & Qt::WindowMinimizeButtonHint);

        QCOMPARE(w.TabControl->geometry(), QRect(0, 104, 497, 297));
        QCOMPARE(w.TabControl->barra()->count(), 2);
        QCOMPARE(w.TabControl->barra()->tabText(0), QStringLiteral("&Extrato"));
        QCOMPARE(w.TabControl->barra()->tabText(1), QStringLiteral("&Gráfico"));
        QCOMPARE(w.TabControl->barra()->tabRect(0).width(), 246);
        QCOMPARE(w.TabControl->tabIndex(), 0);

        const QStringList periodos = {
            QStringLiteral("05 dias + futuros"),  QStringLiteral("10 dias + futuros"),
            QStringLiteral("15 dias + futuros"),  QStringLiteral("01 mês + futuros"),
            QStringLiteral("02 meses + futuros"), QStringLiteral("06 meses + futuros"),
            QStringLiteral("01 ano + futuros"),   QStringLiteral("02 anos + futuros"),
            QStringLiteral("Completo")};
        QStringList itens;
        for (int i = 0; i < w.comboPeriodo->count(); ++i)
            itens << w.comboPeriodo->itemText(i);
        QCOMPARE(itens, periodos);
        QCOMPARE(w.comboPeriodo->geometry().topLeft(), QPoint(49, 6));
        QCOMPARE(w.comboPeriodo->width(), 160);
        QCOMPARE(w.Label1->text(), QStringLiteral("Período:"));

        QCOMPARE(w.buttonIncluiValor->text(), QStringLiteral("&Incluir Valor"));
        QCOMPARE(w.buttonExcluiValor->text(), QStringLiteral("E&xcluir Valor"));
        QCOMPARE(w.buttonAlteraValor->text(), QStringLiteral("&Alterar Valor"));
        QCOMPARE(w.buttonIncluiValor->geometry(), QRect(245, 6, 78, 22));
        QCOMPARE(w.buttonExcluiValor->geometry(), QRect(325, 6, 78, 22));
        QCOMPARE(w.buttonAlteraValor->geometry(), QRect(405, 6, 78, 22));
        QCOMPARE(w.DBGrid->geometry(), QRect(2, 33, 485, 212));
        QCOMPARE(w.editSaldo->geometry().topLeft(), QPoint(365, 246));
        QCOMPARE(w.editSaldo->width(), 121);
        QVERIFY(w.editSaldo->isReadOnly());
        QVERIFY(w.labelSaldo->alignment() & Qt::AlignRight);

        QCOMPARE(w.buttonPlaneja->Caption(), QStringLiteral("&Planejamento Mensal"));
        QCOMPARE(w.buttonClipboard->Caption(), QStringLiteral("&Copiar"));
        QCOMPARE(w.buttonAjuda->Caption(), QStringLiteral("Aju&da"));
        QCOMPARE(w.buttonSair->Caption(), QStringLiteral("&Sair do programa"));
        QCOMPARE(w.buttonPlaneja->geometry(), QRect(3, 404, 116, 23));
        QCOMPARE(w.buttonClipboard->geometry(), QRect(127, 404, 116, 23));
        QCOMPARE(w.buttonAjuda->geometry(), QRect(252, 404, 116, 23));
        QCOMPARE(w.buttonSair->geometry(), QRect(379, 404, 116, 23));

        QCOMPARE(w.panelGrafico->size(), QSize(489, 269));
        QVERIFY(w.panelGrafico->isHidden());
        QCOMPARE(w.panelExtrato->size(), QSize(489, 269));
        QVERIFY(w.memo->isHidden());
        QCOMPARE(w.memo->lineWrapMode(), QPlainTextEdit::NoWrap);
        QVERIFY(QFontInfo(w.memo->font()).fixedPitch());
        QCOMPARE(w.timerDFin->interval(), 120000);
        QVERIFY(!w.timerDFin->isActive());
        QCOMPARE(w.Image1->geometry(), QRect(0, 0, 497, 431));
    }

    void showSelectsMonthAndPreparesChart()
    {
        m_fx->insere(Hoje, QStringLiteral("Hoje"), 1, 12.0);
        mostra();
        QCOMPARE(m_janela->windowTitle(), QStringLiteral("Cofrel 1.0 - Ana"));
        QCOMPARE(m_janela->comboPeriodo->currentIndex(), 3);
        QCOMPARE(m_janela->panelGrafico->comboPeriodoGrafico->currentIndex(), 3);
        QCOMPARE(m_janela->editSaldo->text(), QStringLiteral("12.00"));
        // The chart tab was refreshed although hidden: it holds the balance.
        QCOMPARE(m_janela->panelGrafico->editReceita->text(), QStringLiteral("12.00"));
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("Hoje")});

        // The grid shows the statement's three fields, at their widths.
        QAbstractItemModel *model = m_janela->DBGrid->model();
        QCOMPARE(model->columnCount(), 3);
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Data"));
        QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Descricao"));
        QCOMPARE(model->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Valor"));
        QCOMPARE(m_janela->DBGrid->columnWidth(0), 74);
        QCOMPARE(m_janela->DBGrid->columnWidth(1), 301);
        QCOMPARE(m_janela->DBGrid->columnWidth(2), 74);
        QCOMPARE(m_janela->DBGrid->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(m_janela->DBGrid->verticalHeader()->isVisible()); // the row indicator
    }

    void periods_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("days");
        const int days[] = {5, 10, 15, 31, 62, 186, 366, 731};
        for (int i = 0; i < 8; ++i)
            QTest::addRow("item %d, %d days", i, days[i]) << i << days[i];
        QTest::newRow("Completo") << 8 << -1;
    }

    void periods()
    {
        QFETCH(int, item);
        QFETCH(int, days);
        m_fx->insere(Hoje.addDays(1), QStringLiteral("amanhã"), 1, -1.0);
        m_fx->insere(Hoje.addDays(400), QStringLiteral("ano que vem"), 1, -1.0);
        m_fx->insere(Hoje, QStringLiteral("hoje"), 1, -1.0);
        m_fx->insere(QDate(1990, 1, 1), QStringLiteral("antigo"), 1, -1.0);
        QStringList expected = {QStringLiteral("amanhã"), QStringLiteral("ano que vem"), QStringLiteral("hoje")};
        if (days > 0) {
            m_fx->insere(Hoje.addDays(-days), QStringLiteral("primeiro dia"), 1, -1.0);
            m_fx->insere(Hoje.addDays(-days - 1), QStringLiteral("véspera"), 1, -1.0);
            expected << QStringLiteral("primeiro dia");
        } else {
            expected << QStringLiteral("antigo");
        }
        expected.sort();
        mostra();
        m_janela->comboPeriodo->setCurrentIndex(item);
        m_janela->comboPeriodoChange();
        QCOMPARE(descricoesNoGrid(), expected);
    }

    void userPicksAnotherPeriod()
    {
        m_fx->insere(Hoje.addDays(-40), QStringLiteral("quarenta dias"), 1, -1.0);
        mostra();
        QVERIFY(descricoesNoGrid().isEmpty());
        QTest::keyClick(m_janela->comboPeriodo, Qt::Key_Down);
        QCOMPARE(m_janela->comboPeriodo->currentIndex(), 4);
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("quarenta dias")});
    }

    void balanceCountsUpToToday()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        m_fx->insere(QDate(2000, 1, 1), QStringLiteral("antigo"), 6, 1000.0);
        m_fx->insere(Hoje, QStringLiteral("hoje"), 1, -250.25);
        m_fx->insere(Hoje.addDays(1), QStringLiteral("amanhã"), 1, -5000.0);
        mostra();
        QCOMPARE(m_janela->labelSaldo->text(), QStringLiteral("Saldo em 10/03/2025:"));
        for (int item = 0; item < m_janela->comboPeriodo->count(); ++item) {
            m_janela->comboPeriodo->setCurrentIndex(item);
            m_janela->comboPeriodoChange();
            QCOMPARE(m_janela->editSaldo->text(), QStringLiteral("749.75"));
            QVERIFY(descricoesNoGrid().contains(QStringLiteral("amanhã")));
        }
        // Tomorrow comes: the future row now counts.
        clock::FixedNow tomorrow(Hoje.addDays(1));
        m_janela->comboPeriodoChange();
        QCOMPARE(m_janela->editSaldo->text(), QStringLiteral("-4250.25"));
        QCOMPARE(m_janela->labelSaldo->text(), QStringLiteral("Saldo em 11/03/2025:"));
    }

    void balanceFollowsEveryWrite()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        m_fx->insere(Hoje.addDays(-1), QStringLiteral("ontem"), 1, -10.0);
        mostra();
        QCOMPARE(m_janela->editSaldo->text(), QStringLiteral("-10.00"));
        const auto periodo = [&](int item) {
            m_janela->comboPeriodo->setCurrentIndex(item);
            m_janela->comboPeriodoChange();
            return m_janela->editSaldo->text();
        };

        m_fx->insere(Hoje, QString(), 1, 25.0); // through another table component of the program
        QCOMPARE(periodo(0), QStringLiteral("15.00"));

        // By another program, on its own connection, editing a row in place.
        const QString connection = QStringLiteral("outro_programa");
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            db.setDatabaseName(m_fx->arquivoFin());
            QVERIFY(db.open());
            QSqlQuery update(db);
            QVERIFY2(update.exec(QStringLiteral("UPDATE fin SET Valor = 35 WHERE Valor = 25")),
                     qPrintable(update.lastError().text()));
            QCOMPARE(update.numRowsAffected(), 1);
            db.close();
        }
        QSqlDatabase::removeDatabase(connection);
        QCOMPARE(periodo(1), QStringLiteral("25.00"));

        // The next day a future row comes due.
        m_fx->insere(Hoje.addDays(1), QStringLiteral("amanhã"), 1, -30.0);
        QCOMPARE(periodo(2), QStringLiteral("25.00"));
        clock::FixedNow tomorrow(Hoje.addDays(1));
        QCOMPARE(periodo(3), QStringLiteral("-5.00"));
        QCOMPARE(m_janela->editSaldo->palette().color(QPalette::Text), QColor(Qt::red));
    }

    void balanceColour_data()
    {
        QTest::addColumn<QList<double>>("amounts");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("red");
        QTest::newRow("nothing") << QList<double>{} << "0.00" << false;
        QTest::newRow("exactly zero") << QList<double>{10.0, -10.0} << "0.00" << false;
        QTest::newRow("one cent below") << QList<double>{-0.01} << "-0.01" << true;
        QTest::newRow("0.1 + 0.2 - 0.3 as rows") << QList<double>{0.3, -0.1, -0.2} << "0.00" << false;
        QTest::newRow("cents that cancel") << QList<double>{0.7, 0.1, -0.8} << "0.00" << false;
        QTest::newRow("below half a cent") << QList<double>{-0.004} << "0.00" << false;
        QTest::newRow("above half a cent") << QList<double>{-0.006} << "-0.01" << true;
        QTest::newRow("positive") << QList<double>{0.01} << "0.01" << false;
        QTest::newRow("beyond any box, from another program") << QList<double>{-1e308, 5.0} << "-1e+308" << true;
    }

    void balanceColour()
    {
        QFETCH(QList<double>, amounts);
        QFETCH(QString, shown);
        QFETCH(bool, red);
        LocaleScope scope(QStringLiteral("en_US"));
        for (const double amount : amounts)
            m_fx->insere(Hoje.addDays(-1), QStringLiteral("x"), 1, amount);
        mostra();
        QCOMPARE(m_janela->editSaldo->text(), shown);
        const QColor colour = m_janela->editSaldo->palette().color(QPalette::Text);
        QCOMPARE(colour, red ? QColor(Qt::red) : corNormal());
        // The chart of the same rows, and the statement again, without an error.
        QTabBar *bar = m_janela->TabControl->barra();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QCOMPARE(m_janela->editSaldo->text(), shown);
        QVERIFY2(m_fx->interacao.errors.isEmpty(), qPrintable(m_fx->interacao.errors.join(u'|')));
    }

    void gridMarksTheRowTheUserPicks()
    {
        for (int i = 0; i < 5; ++i)
            m_fx->insere(Hoje.addDays(-i), QStringLiteral("linha %1").arg(i), 1, -1.0);
        mostra();
        DataGrid *grid = m_janela->DBGrid;
        QCOMPARE(grid->currentRow(), 0);
        QCOMPARE(grid->indicatorRow(), 0);

        // A click on a row marks it.
        const QRect row1 = grid->visualRect(grid->model()->index(1, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(grid->currentRow(), 1);
        QCOMPARE(grid->indicatorRow(), 1);

        // The keys move the mark.
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->indicatorRow(), 2);
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid->indicatorRow(), 4);
        QTest::keyClick(grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(grid->indicatorRow(), 0);

        // A new period stands on the first row again.
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        m_janela->comboPeriodoChange();
        QCOMPARE(grid->indicatorRow(), 0);
    }

    // A statement of many pages: after a jump with the keys or the
    // scrollbar, "&Alterar Valor" and "E&xcluir Valor" act on the row the
    // grid marks, which is on the screen.
    void operationsActOnTheMarkedRow_data()
    {
        QTest::addColumn<int>("move"); // 0 Ctrl+End, 1 scrollbar to the middle, 2 Page Down twice
        QTest::addColumn<bool>("excluir");
        const char *moves[] = {"Ctrl+End", "scrollbar to the middle", "Page Down twice"};
        for (int move = 0; move < 3; ++move) {
            QTest::addRow("%s, Alterar Valor", moves[move]) << move << false;
            QTest::addRow("%s, Excluir Valor", moves[move]) << move << true;
        }
    }

    void operationsActOnTheMarkedRow()
    {
        QFETCH(int, move);
        QFETCH(bool, excluir);
        constexpr int Linhas = 300; // several of the grid's pages
        QList<Lancamento> linhas;
        for (int i = 0; i < Linhas; ++i)
            linhas.append({0, Hoje.addDays(-(i % 30)), QStringLiteral("linha %1").arg(i, 3, 10, QChar(u'0')), 1, -1.0});
        m_fx->insere(linhas);
        mostra();
        DataGrid *grid = m_janela->DBGrid;
        QCOMPARE(grid->model()->rowCount(), Linhas);

        grid->setFocus();
        if (move == 0) {
            QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
            QCOMPARE(grid->indicatorRow(), Linhas - 1);
        } else if (move == 1) {
            QScrollBar *barra = grid->verticalScrollBar();
            barra->setSliderPosition(barra->maximum() / 2);
            QVERIFY(grid->indicatorRow() > 100);
            QVERIFY(grid->indicatorRow() < 200);
        } else {
            QTest::keyClick(grid, Qt::Key_PageDown);
            QTest::keyClick(grid, Qt::Key_PageDown);
            QVERIFY(grid->indicatorRow() > 2);
        }
        const int marcada = grid->indicatorRow();
        QCOMPARE(grid->currentRow(), marcada);
        // The marked row is on the screen.
        const QRect area = grid->visualRect(grid->model()->index(marcada, 1));
        QVERIFY(grid->viewport()->rect().contains(area.center()));
        const QString naTela = grid->model()->index(marcada, 1).data().toString();

        if (excluir) {
            m_fx->interacao.answers = {true};
            clica(m_janela->buttonExcluiValor);
            QCOMPARE(m_fx->interacao.questions.size(), 1);
            const QList<Lancamento> restantes = m_fx->lancamentos();
            QCOMPARE(restantes.size(), Linhas - 1);
            for (const Lancamento &l : restantes)
                QVERIFY2(l.descricao != naTela, qPrintable(naTela));
            QCOMPARE(grid->model()->rowCount(), Linhas - 1);
        } else {
            QString aberta;
            const auto watch = quandoModal([&](QWidget *modal) {
                auto *dlg = qobject_cast<TformIncluirValor *>(modal);
                if (!dlg)
                    return;
                aberta = dlg->editDescricao()->text();
                clica(dlg->buttonSair());
            });
            clica(m_janela->buttonAlteraValor);
            QVERIFY(watch->ran());
            QCOMPARE(aberta, naTela);
        }
        QVERIFY2(m_fx->interacao.errors.isEmpty(), qPrintable(m_fx->interacao.errors.join(u'|')));
    }

    void includeThroughTheWindow()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        m_fx->insere(Hoje.addDays(-2), QStringLiteral("salário"), 6, 100.0);
        mostra();
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        bool timerStoppedMeanwhile = false;
        const auto watch = quandoModal([&](QWidget *modal) {
            auto *dlg = qobject_cast<TformIncluirValor *>(modal);
            if (!dlg)
                return;
            timerStoppedMeanwhile = !m_janela->timerDFin->isActive();
            QCOMPARE(dlg->entryMode(), TformIncluirValor::EntryMode::NovoLancamento);
            digita(dlg->editDescricao(), QStringLiteral("Padaria"));
            digita(dlg->editValor(), QStringLiteral("12.5"));
            clica(dlg->buttonOK());
        });
        clica(m_janela->buttonIncluiValor);
        QVERIFY(watch->ran());
        QVERIFY(timerStoppedMeanwhile);
        QCOMPARE(descricoesNoGrid(), (QStringList{QStringLiteral("Padaria"), QStringLiteral("salário")}));
        QCOMPARE(m_janela->editSaldo->text(), QStringLiteral("87.50"));
        QVERIFY(m_janela->timerDFin->isActive());
        // Closing the dialog is no activation: the resume alone ran the check.
        QCOMPARE(checks.count(), 1);
    }

    void alterByButtonAndByDoubleClick()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        m_fx->insere(Hoje.addDays(-1), QStringLiteral("primeira"), 1, -10.0);
        m_fx->insere(Hoje.addDays(-2), QStringLiteral("segunda"), 1, -20.0);
        m_fx->insere(Hoje.addDays(-3), QStringLiteral("terceira"), 1, -30.0);
        mostra();
        DataGrid *grid = m_janela->DBGrid;

        // By button, on the row clicked in the grid.
        const QRect row2 = grid->visualRect(grid->model()->index(2, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
        const QString onRow2 = grid->model()->index(2, 1).data().toString();
        QString opened;
        {
            const auto watch = quandoModal([&](QWidget *modal) {
                auto *dlg = qobject_cast<TformIncluirValor *>(modal);
                if (!dlg)
                    return;
                opened = dlg->editDescricao()->text();
                clica(dlg->buttonSair());
            });
            clica(m_janela->buttonAlteraValor);
            QVERIFY(watch->ran());
        }
        QCOMPARE(opened, onRow2);

        // By double click, changing the amount.
        const QRect row0 = grid->visualRect(grid->model()->index(0, 1));
        const QString onRow0 = grid->model()->index(0, 1).data().toString();
        {
            const auto watch = quandoModal([&](QWidget *modal) {
                auto *dlg = qobject_cast<TformIncluirValor *>(modal);
                if (!dlg)
                    return;
                opened = dlg->editDescricao()->text();
                dlg->editValor()->selectAll();
                digita(dlg->editValor(), QStringLiteral("99"));
                clica(dlg->buttonOK());
            });
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row0.center());
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row0.center());
            QVERIFY(watch->ran());
        }
        QCOMPARE(opened, onRow0);
        bool found = false;
        for (const Lancamento &l : m_fx->lancamentos()) {
            if (l.descricao == onRow0) {
                QCOMPARE(l.valor, -99.0);
                found = true;
            }
        }
        QVERIFY(found);
        QCOMPARE(m_fx->lancamentos().size(), 3);
        QVERIFY(m_fx->dados->Query.isOpen());
    }

    void alterOnEmptyStatementDoesNothing()
    {
        mostra();
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        const auto watch = quandoModal([](QWidget *modal) { modal->close(); });
        clica(m_janela->buttonAlteraValor);
        QTest::mouseDClick(m_janela->DBGrid->viewport(), Qt::LeftButton, {}, QPoint(100, 100));
        QVERIFY(!watch->ran());
        QCOMPARE(checks.count(), 0); // nothing paused, nothing resumed
        QVERIFY(m_janela->timerDFin->isActive());
        QVERIFY(m_fx->lancamentos().isEmpty());
    }

    void deleteAsksAndDeletes()
    {
        m_fx->insere(Hoje, QStringLiteral("fica"), 1, -1.0);
        m_fx->insere(Hoje.addDays(-1), QStringLiteral("sai"), 1, -2.0);
        mostra();
        DataGrid *grid = m_janela->DBGrid;
        int row = 0;
        while (grid->model()->index(row, 1).data().toString() != QStringLiteral("sai"))
            ++row;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);

        m_fx->interacao.answers = {false};
        clica(m_janela->buttonExcluiValor);
        QCOMPARE(m_fx->interacao.questions.size(), 1);
        QCOMPARE(m_fx->interacao.questions[0].text, QStringLiteral("Deseja realmente apagar este valor?"));
        QCOMPARE(m_fx->interacao.questions[0].title, QStringLiteral("Cofrel"));
        QCOMPARE(m_fx->interacao.questions[0].icon, QuestionIcon::None);
        QCOMPARE(m_fx->lancamentos().size(), 2);
        QCOMPARE(checks.count(), 1); // No still resumes the check
        QVERIFY(m_janela->timerDFin->isActive());

        // The answer No refreshed the statement: the cursor is back on the first row.
        row = 0;
        while (grid->model()->index(row, 1).data().toString() != QStringLiteral("sai"))
            ++row;
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 1)).center());
        m_fx->interacao.answers = {true};
        clica(m_janela->buttonExcluiValor);
        QCOMPARE(m_fx->interacao.questions.size(), 2);
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].descricao, QStringLiteral("fica"));
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("fica")});
        QCOMPARE(m_janela->editSaldo->text(), FormatValor(-1.0));
        QCOMPARE(checks.count(), 2);
        QVERIFY(m_fx->interacao.errors.isEmpty());
    }

    void deleteOnEmptyStatementAsksNothing()
    {
        m_fx->insere(Hoje.addDays(-100), QStringLiteral("fora do período"), 1, -1.0);
        mostra();
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        m_fx->interacao.defaultAnswer = true;
        clica(m_janela->buttonExcluiValor);
        QVERIFY(m_fx->interacao.questions.isEmpty());
        QCOMPARE(m_fx->lancamentos().size(), 1);
        QCOMPARE(checks.count(), 1); // the check still runs
        QVERIFY(m_janela->timerDFin->isActive());
    }

    void deleteFailureKeepsWindowUsable()
    {
        m_fx->insere(Hoje, QStringLiteral("linha"), 1, -1.0);
        mostra();
        const QString file = m_fx->arquivoFin();
        QVERIFY(QFile::rename(file, file + QStringLiteral(".fora")));
        m_fx->interacao.answers = {true};
        clica(m_janela->buttonExcluiValor);
        QVERIFY(!m_fx->interacao.errors.isEmpty());
        QVERIFY(QFile::rename(file + QStringLiteral(".fora"), file));
        QCOMPARE(m_fx->lancamentos().size(), 1);
        // The window is still usable.
        m_fx->interacao.errors.clear();
        m_janela->comboPeriodoChange();
        QVERIFY(m_fx->interacao.errors.isEmpty());
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("linha")});
    }

    void statementMnemonicsActAtOnce_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("&Incluir Valor") << int(Qt::Key_I);
        QTest::newRow("E&xcluir Valor") << int(Qt::Key_X);
        QTest::newRow("&Alterar Valor") << int(Qt::Key_A);
    }

    void statementMnemonicsActAtOnce()
    {
        QFETCH(int, key);
        m_fx->insere(Hoje, QStringLiteral("uma"), 1, -1.0);
        mostra();
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        const auto watch = quandoModal([](QWidget *modal) { modal->close(); });
        m_fx->interacao.defaultAnswer = false;
        QTest::keyClick(m_janela, Qt::Key(key), Qt::AltModifier);
        // No event loop has run since the key: the handler (which ends by
        // resuming the due-entry check) has already run.
        QCOMPARE(checks.count(), 1);
    }

    void checkStartsOnceAtActivation()
    {
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        QVERIFY(!m_janela->timerDFin->isActive());
        mostra();
        QTRY_COMPARE(checks.count(), 1);
        QVERIFY(m_janela->timerDFin->isActive());

        // Activating again (another window in between) does not start it again.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        m_janela->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_janela));
        QCOMPARE(checks.count(), 1);

        // Pause and resume as the handlers use them.
        m_janela->pausa();
        QVERIFY(!m_janela->timerDFin->isActive());
        m_janela->retoma();
        QVERIFY(m_janela->timerDFin->isActive());
        QCOMPARE(checks.count(), 2);
    }

    void timerRunsTheCheck()
    {
        mostra();
        QSignalSpy checks(m_janela, &TformCofrelMain::verificacaoConcluida);
        m_fx->insere(Hoje, QStringLiteral("chegou agora"), 1, -3.0);
        m_janela->timerDFin->setInterval(20);
        m_janela->timerDFin->start();
        QTRY_VERIFY(checks.count() >= 1);
        // The check refreshes the statement.
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("chegou agora")});
        QVERIFY(m_janela->timerDFin->isActive());
    }

    void tabSwitchShowsPanelsAndRefreshes()
    {
        mostra();
        QTabBar *bar = m_janela->TabControl->barra();
        m_fx->insere(Hoje, QStringLiteral("nova"), 1, -7.0);
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
        QCOMPARE(m_janela->TabControl->tabIndex(), 1);
        QVERIFY(m_janela->panelExtrato->isHidden());
        QVERIFY(m_janela->panelGrafico->isVisible());
        QVERIFY(m_janela->timerDFin->isActive()); // tab changes leave the timer alone

        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(0).center());
        QVERIFY(m_janela->panelExtrato->isVisible());
        QVERIFY(m_janela->panelGrafico->isHidden());
        QCOMPARE(descricoesNoGrid(), QStringList{QStringLiteral("nova")});
        QCOMPARE(m_janela->editSaldo->text(), FormatValor(-7.0));
    }

    void copyOnStatementTabFillsMemo()
    {
        m_fx->insere(Hoje, QStringLiteral("linha"), 1, -7.0);
        mostra();
        const QString before = m_janela->memo->relatorio();
        clica(m_janela->buttonClipboard);
        QVERIFY(m_fx->interacao.errors.isEmpty());
        QByteArray expected;
        montaRelatorioExtrato(expected, m_fx->dados->Query, m_janela->comboPeriodo->currentText(),
                              m_janela->editSaldo->text());
        QCOMPARE(m_janela->memo->relatorio(), QString::fromUtf8(expected));
        QVERIFY(m_janela->memo->isHidden());
        QCOMPARE(before, QStringLiteral("memo"));
    }

    void closeAsks_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Sair do programa, No") << true << false;
        QTest::newRow("Sair do programa, Yes") << true << true;
        QTest::newRow("window manager, No") << false << false;
        QTest::newRow("window manager, Yes") << false << true;
    }

    void closeAsks()
    {
        QFETCH(bool, byButton);
        QFETCH(bool, answer);
        mostra();
        m_fx->interacao.answers = {answer};
        if (byButton)
            clica(m_janela->buttonSair);
        else
            m_janela->windowHandle()->close();
        QCOMPARE(m_fx->interacao.questions.size(), 1);
        QCOMPARE(m_fx->interacao.questions[0].text, QStringLiteral("Deseja realmente sair?"));
        QCOMPARE(m_fx->interacao.questions[0].title, QStringLiteral("Cofrel 1.0"));
        QCOMPARE(m_fx->interacao.questions[0].icon, QuestionIcon::Question);
        QCOMPARE(m_janela->isVisible(), !answer);
    }

    void helpOpensOwnPageAtFirstTopic()
    {
        mostra();
        clica(m_janela->buttonAjuda);
        QCOMPARE(m_fx->interacao.helpRequests.size(), 1);
        QCOMPARE(m_fx->interacao.helpRequests[0].file, loginContext().AppDir + QStringLiteral("Ajuda.html"));
        QCOMPARE(m_fx->interacao.helpRequests[0].context, 1);
        QVERIFY(m_janela->timerDFin->isActive());
    }

    void helpPageExplainsEveryWindow()
    {
        const QString page = QStringLiteral(COFREL_ASSETS_DIR "/Ajuda.html");
        QFile file(page);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(file.readAll());
        // The first topic is the first heading.
        const qsizetype first = html.indexOf(QStringLiteral("name=\"contexto1\""));
        QVERIFY(first > 0);
        const QRegularExpression heading(QStringLiteral("<h[1-6][ >]"));
        QCOMPARE(html.indexOf(heading), html.lastIndexOf(QStringLiteral("<h1"), first));

        HelpViewer viewer;
        viewer.abreTopico(page, 1);
        QVERIFY(viewer.currentSource().endsWith(QStringLiteral("#contexto1")));
        const QString text = viewer.findChild<QTextBrowser *>()->toPlainText();
        for (const QString &topic :
             {QStringLiteral("Identificação de usuário"), QStringLiteral("Inclusão de usuário"),
              QStringLiteral("Extrato"), QStringLiteral("Gráfico"), QStringLiteral("Incluir/Editar valor"),
              QStringLiteral("Planejamento Mensal"), QStringLiteral("Incluir/Editar Planejamento Mensal"),
              QStringLiteral("Copiar"), QStringLiteral("Lançamentos vencidos"),
              QStringLiteral("sistema operacional")})
            QVERIFY2(text.contains(topic), qPrintable(topic));
    }

    void rendersToPictures()
    {
        LocaleScope scope(QStringLiteral("pt_BR"));
        m_fx->insere(Hoje.addDays(-3), QStringLiteral("Supermercado"), 1, -150.0);
        m_fx->insere(Hoje.addDays(-2), QStringLiteral("Salário"), 6, 2500.0);
        m_fx->insere(Hoje.addDays(-1), QStringLiteral("Cinema"), 3, -42.5);
        m_fx->insere(Hoje.addDays(4), QStringLiteral("Aluguel"), 4, -900.0);
        // The program's own background, when the program folder has been built.
        const QPixmap fundo(QDir(qEnvironmentVariable("COFREL_PROGRAM_DIR")).filePath(QStringLiteral("fundo.bmp")));
        if (!fundo.isNull()) {
            m_janela->Image1->setPixmap(fundo);
            m_fx->dialogo->Image1()->setPixmap(fundo);
        }
        mostra();
        QDir().mkpath(QStringLiteral(COFREL_SHOTS_DIR));
        const QString dir = QStringLiteral(COFREL_SHOTS_DIR "/");
        QVERIFY(m_janela->grab().save(dir + QStringLiteral("main_window.png")));

        QImage dialogShot;
        const auto watch = quandoModal([&](QWidget *modal) {
            auto *dlg = qobject_cast<TformIncluirValor *>(modal);
            if (!dlg)
                return;
            digita(dlg->editDescricao(), QStringLiteral("Padaria"));
            digita(dlg->editValor(), QStringLiteral("12,5"));
            dialogShot = dlg->grab().toImage();
            clica(dlg->buttonSair());
        });
        clica(m_janela->buttonIncluiValor);
        QVERIFY(watch->ran());
        QCOMPARE(dialogShot.size(), QSize(388, 250));
        QVERIFY(dialogShot.save(dir + QStringLiteral("entry_dialog.png")));

        m_fx->insere(Hoje, QStringLiteral("Dívida"), 1, -5000.0);
        m_janela->comboPeriodoChange();
        QVERIFY(m_janela->grab().save(dir + QStringLiteral("main_window_negative.png")));
        QTest::mouseClick(m_janela->TabControl->barra(), Qt::LeftButton, {},
                          m_janela->TabControl->barra()->tabRect(1).center());
        QVERIFY(m_janela->grab().save(dir + QStringLiteral("main_window_chart.png")));

        HelpViewer help;
        help.abreTopico(QStringLiteral(COFREL_ASSETS_DIR "/Ajuda.html"), 1);
        QVERIFY(help.grab().save(dir + QStringLiteral("help.png")));
    }

private:
    void mostra()
    {
        m_janela->show();
        QVERIFY(QTest::qWaitForWindowActive(m_janela));
    }

    QStringList descricoesNoGrid()
    {
        QAbstractItemModel *model = m_janela->DBGrid->model();
        while (model->canFetchMore({}))
            model->fetchMore({});
        QStringList list;
        for (int row = 0; row < model->rowCount(); ++row)
            list << model->index(row, 1).data().toString();
        list.sort();
        return list;
    }

    std::unique_ptr<Livro> m_fx;
    TformCofrelMain *m_janela = nullptr;
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
