// The due-entry timer around the main window's actions: each editing or
// planning action stops it while its dialog is open and, when done, runs
// the check at once and leaves the timer counting; the first showing after
// the login starts it; closing the window's own dialogs does not.
#include "support/livro.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "controls/data_grid.h"
#include "ledger/cofrel_inclui_valor.h"
#include "ledger/cofrel_main.h"
#include "ledger/painel_grafico.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 15);

// One showing of the entry dialog: its mode, its date and whether the
// timer was counting meanwhile.
struct DialogoValor {
    TformIncluirValor::EntryMode entryMode = TformIncluirValor::EntryMode::NovoLancamento;
    QString data;
    bool timerAtivo = false;
};

} // namespace

class TestProtocoloTimer final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<Livro>(Hoje, Livro::Principal | Livro::Planejamento);
        m_main = m_env->janela;
        m_dialogos.clear();
        m_verificacoes = 0;
        connect(m_main, &TformCofrelMain::verificacaoConcluida, this, [this] { ++m_verificacoes; });
    }

    void cleanup()
    {
        m_env.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void timerAtCreation()
    {
        QCOMPARE(m_main->timerDFin->interval(), 120000);
        QVERIFY(!m_main->timerDFin->isActive());
        QVERIFY(!m_main->timerDFin->isSingleShot());
    }

    void firstShowingStartsTheCheck()
    {
        m_env->planeja(15, Hoje, QStringLiteral("Aluguel"), 4, -800.0);
        const auto answer = respondeDialogoValor(false);
        mostraPrincipal();
        QCOMPARE(m_dialogos.size(), 1);
        QCOMPARE(m_dialogos.first().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        QCOMPARE(m_dialogos.first().data, QStringLiteral("15/03/2025"));
        QVERIFY(!m_dialogos.first().timerAtivo); // stopped during the run
        QCOMPARE(m_env->interacao.beeps, 1);
        QCOMPARE(m_env->plano().first().data, QDate(2025, 4, 15));
        QVERIFY(m_main->timerDFin->isActive());
    }

    void closingOwnDialogsIsNoActivation()
    {
        mostraPrincipal();
        const auto answer = respondeDialogoValor(false);
        QTest::mouseClick(m_main->buttonIncluiValor, Qt::LeftButton);
        QCOMPARE(m_dialogos.size(), 1);
        QCOMPARE(m_verificacoes, 2); // the resume after the dialog, once
        // The main window becoming active again after its own dialog does not
        // start another run.
        m_main->activateWindow();
        QTRY_VERIFY(m_main->isActiveWindow());
        QCoreApplication::processEvents();
        QCOMPARE(m_verificacoes, 2);
        QCOMPARE(m_dialogos.size(), 1);
    }

    void actionsPauseAndResume_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("ledgerRow");
        QTest::newRow("Incluir Valor") << "include" << false;
        QTest::newRow("Alterar Valor") << "alter" << true;
        QTest::newRow("double click on the statement") << "doubleclick" << true;
        QTest::newRow("Excluir Valor, Yes") << "delete-yes" << true;
        QTest::newRow("Excluir Valor, No") << "delete-no" << true;
        QTest::newRow("Excluir Valor, empty statement") << "delete-empty" << false;
        QTest::newRow("Planejamento Mensal") << "planning" << false;
    }

    void actionsPauseAndResume()
    {
        QFETCH(QString, action);
        QFETCH(bool, ledgerRow);
        if (ledgerRow)
            m_env->insere(Hoje.addDays(-1), QStringLiteral("Feira"), 1, -30.0);
        mostraPrincipal();
        m_verificacoes = 0;
        // Falls due while the window is open: the run after the action offers it.
        m_env->planeja(Hoje.day(), Hoje, QStringLiteral("Aluguel"), 4, -800.0);
        const auto answer = respondeDialogoValor(false);

        if (action == u"include") {
            QTest::mouseClick(m_main->buttonIncluiValor, Qt::LeftButton);
        } else if (action == u"alter") {
            QTest::mouseClick(m_main->buttonAlteraValor, Qt::LeftButton);
        } else if (action == u"doubleclick") {
            DataGrid *grid = m_main->DBGrid;
            const QPoint cell = grid->visualRect(grid->model()->index(0, 1)).center();
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        } else if (action.startsWith(u"delete")) {
            m_env->interacao.answers = {action == u"delete-yes"};
            QTest::mouseClick(m_main->buttonExcluiValor, Qt::LeftButton);
            QCOMPARE(m_env->interacao.questions.size(), action == u"delete-empty" ? 0 : 1);
            QCOMPARE(m_env->lancamentos().size(), action == u"delete-yes" ? 0 : int(ledgerRow));
        } else {
            bool timerDuringPlanning = true;
            const auto planning = quandoModal([&](QWidget *) {
                timerDuringPlanning = m_main->timerDFin->isActive();
                QTest::mouseClick(m_env->planejamento->buttonVoltar, Qt::LeftButton);
            });
            QTest::mouseClick(m_main->buttonPlaneja, Qt::LeftButton);
            QVERIFY(planning->ran());
            QVERIFY(!timerDuringPlanning);
        }

        // The action's own dialog (if any) came with the timer stopped...
        const bool ownDialog = action == u"include" || action == u"alter" || action == u"doubleclick";
        QCOMPARE(m_dialogos.size(), ownDialog ? 2 : 1);
        if (ownDialog) {
            QCOMPARE(m_dialogos.first().entryMode == TformIncluirValor::EntryMode::NovoLancamento, action == u"include");
            QVERIFY(m_dialogos.first().entryMode != TformIncluirValor::EntryMode::NovoPreenchido);
            QVERIFY(!m_dialogos.first().timerAtivo);
        }
        // ...and the resume ran the check at once: the due entry was offered.
        QCOMPARE(m_verificacoes, 1);
        QCOMPARE(m_dialogos.last().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        QCOMPARE(m_dialogos.last().data, QStringLiteral("15/03/2025"));
        QVERIFY(!m_dialogos.last().timerAtivo);
        QCOMPARE(m_env->plano().first().data, QDate(2025, 4, 15));
        // Afterwards the timer counts toward the next run.
        QVERIFY(m_main->timerDFin->isActive());
        QVERIFY(m_main->timerDFin->remainingTime() > 110000);
    }

    void alterOnEmptyStatementLeavesTimerAlone()
    {
        mostraPrincipal();
        m_verificacoes = 0;
        const auto answer = respondeDialogoValor(false);
        QTest::mouseClick(m_main->buttonAlteraValor, Qt::LeftButton);
        DataGrid *grid = m_main->DBGrid;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(50, 50));
        QCoreApplication::processEvents();
        QVERIFY(m_dialogos.isEmpty());
        QCOMPARE(m_verificacoes, 0);
        QVERIFY(m_main->timerDFin->isActive());
    }

    void otherActionsLeaveTimerAlone()
    {
        mostraPrincipal();
        m_verificacoes = 0;
        m_env->planeja(Hoje.day(), Hoje, QStringLiteral("Aluguel"), 4, -800.0);
        const auto answer = respondeDialogoValor(false);

        // Period change, help, copy and the exit question answered No.
        m_main->comboPeriodo->setFocus();
        QTest::keyClick(m_main->comboPeriodo, Qt::Key_Down);
        QCOMPARE(m_main->comboPeriodo->currentIndex(), 4);
        QTest::mouseClick(m_main->buttonAjuda, Qt::LeftButton);
        QCOMPARE(m_env->interacao.helpRequests.size(), 1);
        QTest::mouseClick(m_main->buttonClipboard, Qt::LeftButton);
        m_env->interacao.answers = {false};
        QTest::mouseClick(m_main->buttonSair, Qt::LeftButton);
        QCOMPARE(m_env->interacao.questions.size(), 1);
        QVERIFY(m_main->isVisible());

        QCoreApplication::processEvents();
        QCOMPARE(m_verificacoes, 0);
        QVERIFY(m_dialogos.isEmpty()); // nothing offered until the timer fires
        QVERIFY(m_main->timerDFin->isActive());
        QCOMPARE(m_env->plano().first().data, Hoje);
    }

    void planningEntryDueTodayOfferedOnClose()
    {
        mostraPrincipal();
        m_verificacoes = 0;
        const auto answer = respondeDialogoValor(false);
        TformIncluiMes &mes = *m_env->incluiMes;
        bool entryRan = false;
        bool offeredWhilePlanning = false;
        const auto planning = quandoModal([&](QWidget *) {
            const CadaModal entry([&](QWidget *) {
                mes.comboDia()->setFocus();
                QTest::keyClick(mes.comboDia(), Qt::Key_Home);
                for (int i = 1; i < Hoje.day(); ++i)
                    QTest::keyClick(mes.comboDia(), Qt::Key_Down);
                mes.editDescricao()->setFocus();
                QTest::keyClicks(mes.editDescricao(), QStringLiteral("Aluguel"));
                QTest::mouseClick(mes.buttonOK(), Qt::LeftButton);
            }, &mes);
            QTest::mouseClick(m_env->planejamento->buttonIncluiValor, Qt::LeftButton);
            entryRan = entry.vezes() == 1;
            offeredWhilePlanning = !m_dialogos.isEmpty();
            QTest::mouseClick(m_env->planejamento->buttonVoltar, Qt::LeftButton);
        });
        QTest::mouseClick(m_main->buttonPlaneja, Qt::LeftButton);
        QVERIFY(entryRan);
        QVERIFY(!offeredWhilePlanning);
        QCOMPARE(m_dialogos.size(), 1);
        QCOMPARE(m_dialogos.first().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        QCOMPARE(m_dialogos.first().data, QStringLiteral("15/03/2025"));
        QCOMPARE(m_env->plano().first().data, QDate(2025, 4, 15));
        QCOMPARE(m_verificacoes, 1);
        QVERIFY(m_main->timerDFin->isActive());
    }

    void confirmedOfferShowsInStatement()
    {
        mostraPrincipal();
        QCOMPARE(linhasNoExtrato(), 0);
        m_env->planeja(Hoje.day(), Hoje, QStringLiteral("Salario"), 6, 3000.0);
        const auto answer = respondeDialogoValor(true);
        // The timer's own event: the run refreshes the statement at its end.
        Q_EMIT m_main->timerDFin->timeout({});
        QCOMPARE(m_dialogos.size(), 1);
        QCOMPARE(m_env->lancamentos().size(), 1);
        QCOMPARE(linhasNoExtrato(), 1);
        QCOMPARE(m_main->editSaldo->text(), FormatValor(3000.0));
        QVERIFY(m_main->timerDFin->isActive());
    }

    void confirmedOfferShowsInChart()
    {
        mostraPrincipal();
        m_env->insere(Hoje.addDays(-1), QStringLiteral("Salario"), 6, 1000.0);
        m_env->planeja(Hoje.day(), Hoje, QStringLiteral("Aluguel"), 4, -800.0);
        const auto answer = respondeDialogoValor(true);
        Q_EMIT m_main->timerDFin->timeout({});
        QCOMPARE(m_dialogos.size(), 1);
        // The chart shows the balance the statement has just worked out.
        QCOMPARE(m_main->panelGrafico->editDespesas->text(), FormatValor(800.0));
        QCOMPARE(m_main->panelGrafico->editReceita->text(), FormatValor(200.0));
    }

    void failedRunStopsTimerUntilNextResume()
    {
        mostraPrincipal();
        m_verificacoes = 0;
        m_env->planeja(Hoje.day(), Hoje, QStringLiteral("Aluguel"), 4, -800.0);
        const auto answer = respondeDialogoValor(false);
        impedeEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
        QTest::mouseClick(m_main->buttonIncluiValor, Qt::LeftButton);
        // Cancelled, then the advance failed: the error is shown, the entry is
        // as it was, and the timer stays stopped.
        QCOMPARE(m_dialogos.size(), 2);
        QCOMPARE(m_env->interacao.errors.size(), 1);
        QVERIFY(!m_main->timerDFin->isActive());
        liberaEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
        QCOMPARE(m_env->plano().first().data, Hoje);

        // The next resume offers it again and the timer counts once more.
        QTest::mouseClick(m_main->buttonIncluiValor, Qt::LeftButton);
        QCOMPARE(m_dialogos.size(), 4);
        QCOMPARE(m_dialogos.last().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        QCOMPARE(m_env->plano().first().data, QDate(2025, 4, 15));
        QVERIFY(m_main->timerDFin->isActive());
    }

private:
    void mostraPrincipal()
    {
        m_main->show();
        QTRY_COMPARE(m_verificacoes, 1); // the activation after the login
        QVERIFY(m_main->timerDFin->isActive());
    }

    // Answers every showing of the entry dialog (OK or Cancelar) and
    // records it in m_dialogos.
    std::unique_ptr<CadaModal> respondeDialogoValor(bool ok)
    {
        TformIncluirValor &d = *m_env->dialogo;
        return std::make_unique<CadaModal>([this, &d, ok](QWidget *) {
            m_dialogos.append({d.entryMode(), d.textoData(), m_main->timerDFin->isActive()});
            QTest::mouseClick(ok ? d.buttonOK() : d.buttonSair(), Qt::LeftButton);
        }, &d);
    }

    int linhasNoExtrato() const
    {
        return m_main->DBGrid->model()->rowCount();
    }

    std::unique_ptr<Livro> m_env;
    TformCofrelMain *m_main = nullptr;
    QList<DialogoValor> m_dialogos;
    int m_verificacoes = 0;
};

QTEST_MAIN(TestProtocoloTimer)
#include "test_protocolo_timer.moc"
