// The due-entry check on its own: which planned entries are offered, how
// the entry dialog is prefilled, how the plan moves on, and that booking
// an occurrence and advancing its plan entry are one atomic step, also
// when the engine fails or the process dies between them.
#include "support/livro.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "data/cofrel_dados.h"
#include "support/tabelas.h"
#include "ledger/cofrel_inclui_valor.h"
#include "planning/lancamentos_vencidos.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;

namespace {

QDate dia(int d, int m, int y)
{
    return QDate(y, m, d);
}

// What the entry dialog showed for one offer.
struct Oferta {
    QString data;
    int categoria = -1;
    QString descricao;
    int tipo = -1;
    QString valor;
    TformIncluirValor::EntryMode entryMode = TformIncluirValor::EntryMode::NovoLancamento;
    int beeps = 0; // beeps sounded up to this offer
};

enum class Resposta { Ok, Cancelar, FechaJanela };

} // namespace

// ---- A process that dies between booking and advancing ------------------------

namespace {

constexpr auto VarPasta = "COFREL_TESTE_QUEDA_PASTA";
constexpr auto VarUsuario = "COFREL_TESTE_QUEDA_USUARIO";

// The child: the same folder and user, OK on the offered entry. The test
// kills it while the save is under way.
int filhoQueCai(int argc, char *argv[])
{
    QApplication app(argc, argv);
    loginContext().AppDir = qEnvironmentVariable(VarPasta);
    clock::FixedNow fixed(dia(15, 3, 2025));
    auto *dados = new TDados(loginContext().dataDir());
    forms().Dados = dados;
    auto *dialog = new TformIncluirValor();
    forms().IncluirValor = dialog;
    loginContext().setUser(QStringLiteral("ana"), qEnvironmentVariableIntValue(VarUsuario));
    dados->setUserTables(loginContext().FinTableName, loginContext().DFinTableName);
    const auto answer = quandoModal([&](QWidget *) { QTest::mouseClick(dialog->buttonOK(), Qt::LeftButton); });
    ofereceLancamentosVencidos(*dados, *dialog);
    return 0; // never killed
}

// Makes every change of a planned entry in the plan file \a caminho take
// minutes, \a quando ("BEFORE", "AFTER") the row itself changes: a trigger
// in the file first writes a row of its own, which makes the file's
// journal, then counts a billion rows. semLentidao() undoes it.
void lentidao(const QString &caminho, const QString &quando)
{
    const OutraConexao arquivo(caminho);
    if (!arquivo.falha().isEmpty())
        qFatal("cannot open %s", qPrintable(caminho));
    const QStringList passos = {
        QStringLiteral("CREATE TABLE lento(x)"),
        QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 1000) "
                       "INSERT INTO lento SELECT x FROM c"),
        QStringLiteral("CREATE TRIGGER lento %1 UPDATE ON dfin BEGIN INSERT INTO lento VALUES (0); "
                       "SELECT count(*) FROM lento a, lento b, lento c; END")
            .arg(quando)};
    for (const QString &passo : passos) {
        if (!arquivo.exec(passo))
            qFatal("%s failed on %s", qPrintable(passo), qPrintable(caminho));
    }
}

void semLentidao(const QString &caminho)
{
    const OutraConexao arquivo(caminho);
    for (const QString &passo : {QStringLiteral("DROP TRIGGER lento"), QStringLiteral("DROP TABLE lento")}) {
        if (!arquivo.exec(passo))
            qFatal("%s failed on %s", qPrintable(passo), qPrintable(caminho));
    }
}

} // namespace

class TestVencidos final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<Livro>(QDate(), Livro::SoDialogo, QStringLiteral("ana"));
    }

    void cleanup()
    {
        m_env.reset();
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void dueOnTheDayNotBefore_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<int>("offers");
        QTest::newRow("the day before, late evening") << QDateTime(dia(9, 3, 2025), QTime(23, 59, 59)) << 0;
        QTest::newRow("the day itself, at midnight") << QDateTime(dia(10, 3, 2025), QTime(0, 0)) << 1;
        QTest::newRow("the day itself, late evening") << QDateTime(dia(10, 3, 2025), QTime(23, 59, 59)) << 1;
        QTest::newRow("a day later") << QDateTime(dia(11, 3, 2025), QTime(8, 0)) << 1;
    }

    void dueOnTheDayNotBefore()
    {
        QFETCH(QDateTime, now);
        QFETCH(int, offers);
        clock::FixedNow fixed(now);
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        const QList<Oferta> shown = roda({Resposta::Cancelar});
        QCOMPARE(shown.size(), offers);
        QCOMPARE(m_env->interacao.beeps, offers);
        QCOMPARE(m_env->plano().first().data, offers ? dia(10, 4, 2025) : dia(10, 3, 2025));
    }

    void okBooksTheOccurrenceAndAdvances()
    {
        clock::FixedNow fixed(dia(12, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        const QList<Oferta> shown = roda({Resposta::Ok});
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        const QList<Lancamento> ledger = m_env->lancamentos();
        QCOMPARE(ledger.size(), 1);
        QCOMPARE(ledger.first().data, dia(10, 3, 2025)); // the occurrence's date, not today
        QCOMPARE(ledger.first().descricao, QStringLiteral("Aluguel"));
        QCOMPARE(ledger.first().categoria, 4);
        QCOMPARE(ledger.first().valor, -800.0);
        QCOMPARE(m_env->plano().first().data, dia(10, 4, 2025));
        QVERIFY(m_env->interacao.errors.isEmpty());
    }

    void cancelAdvancesWithoutBooking_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("ledgerFails");
        QTest::newRow("Cancelar") << int(Resposta::Cancelar) << false;
        QTest::newRow("close box") << int(Resposta::FechaJanela) << false;
        // OK fails on the ledger, then the person cancels: skipped like any cancel.
        QTest::newRow("failed save, then Cancelar") << int(Resposta::Ok) << true;
    }

    void cancelAdvancesWithoutBooking()
    {
        QFETCH(int, answer);
        QFETCH(bool, ledgerFails);
        clock::FixedNow fixed(dia(10, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        if (ledgerFails)
            impedeEscrita(m_env->arquivoFin(), QStringLiteral("fin"));
        QCOMPARE(roda({Resposta(answer)}).size(), 1);
        QCOMPARE(m_env->interacao.errors.size(), int(ledgerFails));
        QVERIFY(m_env->lancamentos().isEmpty());
        QCOMPARE(m_env->plano().first().data, dia(10, 4, 2025));
    }

    void advancesByOneMonthOnItsDay_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<QDate>("stored");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("31 Jan to 28 Feb") << 31 << dia(31, 1, 2025) << dia(28, 2, 2025);
        QTest::newRow("28 Feb back to 31 Mar") << 31 << dia(28, 2, 2025) << dia(31, 3, 2025);
        QTest::newRow("leap February") << 31 << dia(31, 1, 2024) << dia(29, 2, 2024);
        QTest::newRow("December to January") << 10 << dia(10, 12, 2025) << dia(10, 1, 2026);
        QTest::newRow("30 to April") << 31 << dia(31, 3, 2025) << dia(30, 4, 2025);
        // The stored day does not count, only the entry's day.
        QTest::newRow("stored day differs") << 15 << dia(3, 5, 2025) << dia(15, 6, 2025);
    }

    void advancesByOneMonthOnItsDay()
    {
        QFETCH(int, day);
        QFETCH(QDate, stored);
        QFETCH(QDate, expected);
        clock::FixedNow fixed(dia(31, 12, 2025));
        m_env->planeja(day, stored, QStringLiteral("x"), 1, -1.0);
        QCOMPARE(roda({Resposta::Cancelar}).size(), 1);
        QCOMPARE(m_env->plano().first().data, expected);
        QCOMPARE(m_env->plano().first().dia, day);
    }

    void prefill_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("category");
        QTest::addColumn<double>("valor");
        QTest::addColumn<int>("expectedType");
        QTest::addColumn<QString>("expectedAmount");
        QTest::newRow("debit of 150") << "en_US" << 4 << -150.0 << TipoDebito << "150.00";
        QTest::newRow("zero is credit") << "en_US" << 8 << 0.0 << TipoCredito << "0.00";
        QTest::newRow("credit") << "en_US" << 6 << 2500.5 << TipoCredito << "2500.50";
        QTest::newRow("comma separator") << "pt_BR" << 2 << -12.5 << TipoDebito << "12,50";
    }

    void prefill()
    {
        QFETCH(QString, locale);
        QFETCH(int, category);
        QFETCH(double, valor);
        QFETCH(int, expectedType);
        QFETCH(QString, expectedAmount);
        LocaleScope scope(locale);
        clock::FixedNow fixed(dia(20, 3, 2025));
        m_env->planeja(5, dia(5, 3, 2025), QStringLiteral("Plano de saúde"), category, valor);
        const QList<Oferta> shown = roda({Resposta::Ok});
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first().data, QStringLiteral("05/03/2025"));
        QCOMPARE(shown.first().categoria, category - 1);
        QCOMPARE(shown.first().descricao, QStringLiteral("Plano de saúde"));
        QCOMPARE(shown.first().tipo, expectedType);
        QCOMPARE(shown.first().valor, expectedAmount);
        QCOMPARE(shown.first().entryMode, TformIncluirValor::EntryMode::NovoPreenchido);
        QCOMPARE(shown.first().beeps, 1); // sounded before the dialog came up
        // Confirmed unchanged, the ledger gets the plan's signed amount.
        QCOMPARE(m_env->lancamentos().first().valor, valor);
    }

    void overdueEntryOfferedOneMonthPerRun()
    {
        clock::FixedNow fixed(dia(20, 3, 2025));
        m_env->planeja(5, dia(5, 1, 2025), QStringLiteral("Escola"), 1, -300.0);
        const QStringList expected = {QStringLiteral("05/01/2025"), QStringLiteral("05/02/2025"),
                                      QStringLiteral("05/03/2025")};
        for (const QString &occurrence : expected) {
            const QList<Oferta> shown = roda({Resposta::Ok});
            QCOMPARE(shown.size(), 1); // never twice in one run
            QCOMPARE(shown.first().data, occurrence);
        }
        QVERIFY(roda({Resposta::Ok}).isEmpty());
        QCOMPARE(m_env->plano().first().data, dia(5, 4, 2025));
        const QList<Lancamento> ledger = m_env->lancamentos();
        QCOMPARE(ledger.size(), 3);
        QCOMPARE(ledger.at(0).data, dia(5, 1, 2025));
        QCOMPARE(ledger.at(1).data, dia(5, 2, 2025));
        QCOMPARE(ledger.at(2).data, dia(5, 3, 2025));
    }

    void twoDueEntriesEachWithItsBeep()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        m_env->planeja(20, dia(20, 3, 2025), QStringLiteral("nao vence"), 1, -1.0);
        m_env->planeja(5, dia(5, 3, 2025), QStringLiteral("Salario"), 6, 3000.0);
        const QList<Oferta> shown = roda({Resposta::Ok, Resposta::Cancelar});
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).beeps, 1);
        QCOMPARE(shown.at(1).beeps, 2);
        QCOMPARE(m_env->interacao.beeps, 2);
        QStringList descriptions = {shown.at(0).descricao, shown.at(1).descricao};
        descriptions.sort();
        QCOMPARE(descriptions, QStringList({QStringLiteral("Aluguel"), QStringLiteral("Salario")}));
        QCOMPARE(m_env->lancamentos().size(), 1);
        QCOMPARE(m_env->lancamentos().first().descricao, shown.at(0).descricao);
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.at(0).data, dia(10, 4, 2025));
        QCOMPARE(plan.at(1).data, dia(20, 3, 2025));
        QCOMPARE(plan.at(2).data, dia(5, 4, 2025));
    }

    void nothingDueShowsNothing()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(20, dia(20, 3, 2025), QStringLiteral("depois"), 1, -1.0);
        QVERIFY(roda({Resposta::Ok}).isEmpty());
        QCOMPARE(m_env->interacao.beeps, 0);
        QCOMPARE(m_env->plano().first().data, dia(20, 3, 2025));
        QVERIFY(m_env->lancamentos().isEmpty());
        // And with an empty plan.
        QVERIFY(roda({Resposta::Ok}).isEmpty());
    }

    void dialogKeepsNoPlanWorkAfterTheRun()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("a"), 1, -1.0);
        roda({Resposta::Cancelar});
        QCOMPARE(m_env->plano().first().data, dia(10, 4, 2025));

        // A later plain entry through the same dialog touches no plan.
        TformIncluirValor &dialog = *m_env->dialogo;
        const auto answer = quandoModal([&](QWidget *) {
            dialog.editValor()->setText(QStringLiteral("5"));
            QTest::mouseClick(dialog.buttonOK(), Qt::LeftButton);
        });
        QCOMPARE(dialog.executa(TformIncluirValor::EntryMode::NovoLancamento), mrOk);
        QCOMPARE(m_env->lancamentos().size(), 1);
        QCOMPARE(m_env->plano().first().data, dia(10, 4, 2025));
    }

    void failedSaveStoresNeither()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        impedeEscrita(m_env->arquivoFin(), QStringLiteral("fin"));
        // The first OK fails on the ledger; the person tries again once the
        // ledger takes writes, and the plan moves on once, not twice.
        TformIncluirValor &d = *m_env->dialogo;
        int attempts = 0;
        QDate planDuringFailure;
        const auto answer = quandoModal([&](QWidget *) {
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
            ++attempts;
            planDuringFailure = m_env->plano().first().data;
            if (d.isVisible()) {
                liberaEscrita(m_env->arquivoFin(), QStringLiteral("fin"));
                QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
                ++attempts;
            }
        });
        ofereceLancamentosVencidos(*m_env->dados, d);
        QCOMPARE(attempts, 2);
        QCOMPARE(m_env->interacao.errors.size(), 1);
        QCOMPARE(planDuringFailure, dia(10, 3, 2025));
        QCOMPARE(m_env->lancamentos().size(), 1);
        QCOMPARE(m_env->plano().first().data, dia(10, 4, 2025));
    }

    void failedAdvanceStoresNeitherAndEndsTheRun()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        m_env->planeja(12, dia(12, 3, 2025), QStringLiteral("Luz"), 4, -90.0);
        impedeEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
        bool failed = false;
        QList<Oferta> shown;
        try {
            shown = roda({Resposta::Ok});
        } catch (const Error &) {
            failed = true;
        }
        QVERIFY(failed);
        // OK failed as a whole (the booking went back with the advance), the
        // person cancelled, and advancing alone failed too: the run ended
        // there, before the second entry.
        QVERIFY(m_env->lancamentos().isEmpty());
        QCOMPARE(m_env->interacao.errors.size(), 1);
        liberaEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.at(0).data, dia(10, 3, 2025));
        QCOMPARE(plan.at(1).data, dia(12, 3, 2025));

        // The next run offers both again and can book them.
        const QList<Oferta> again = roda({Resposta::Ok});
        QCOMPARE(again.size(), 2);
        QCOMPARE(m_env->lancamentos().size(), 2);
    }

    void failedRunKeepsEarlierAdvances()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        m_env->planeja(12, dia(12, 3, 2025), QStringLiteral("Luz"), 4, -90.0);
        int offer = 0;
        bool failed = false;
        try {
            roda({Resposta::Ok, Resposta::Cancelar}, [&] {
                if (++offer == 2)
                    impedeEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
            });
        } catch (const Error &) {
            failed = true;
        }
        QVERIFY(failed);
        liberaEscrita(m_env->arquivoPlano(), QStringLiteral("dfin"));
        QCOMPARE(offer, 2);
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.at(0).data, dia(10, 4, 2025)); // booked and advanced before the failure
        QCOMPARE(plan.at(1).data, dia(12, 3, 2025)); // as it was
        QCOMPARE(m_env->lancamentos().size(), 1);
    }

    // The process killed inside the save of an offered entry, once the
    // booking has been written to the ledger and the plan not yet, and
    // once the advance has been written too: after it, neither is stored.
    void killedBetweenBookingAndAdvance_data()
    {
        QTest::addColumn<QString>("quando");
        QTest::newRow("after the booking") << "BEFORE";
        QTest::newRow("after the advance") << "AFTER";
    }

    void killedBetweenBookingAndAdvance()
    {
        QFETCH(QString, quando);
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        const QString arquivo = m_env->arquivoPlano();
        // The plan's write stays under way long enough to be cut short: its
        // file's journal shows that it has begun, the booking done before it.
        lentidao(arquivo, quando);
        const QString diario = arquivo + QStringLiteral("-journal");

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(VarPasta), m_env->pasta.appDir());
        env.insert(QString::fromLatin1(VarUsuario), QString::number(m_env->usuario));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(diario) || child.state() == QProcess::NotRunning, 60000);
        QCOMPARE(child.state(), QProcess::Running);
        // The booking is written, not committed: the ledger has its journal.
        QVERIFY(QFile::exists(m_env->arquivoFin() + QStringLiteral("-journal")));
        child.kill();
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // Either both or neither: here, with nothing committed, neither.
        semLentidao(arquivo);
        QVERIFY(!QFile::exists(diario));
        QVERIFY(m_env->lancamentos().isEmpty());
        QCOMPARE(m_env->plano().first().data, dia(10, 3, 2025));
    }

private:
    // One run of the check; each offer is answered with the next answer
    // (the last one repeats).
    QList<Oferta> roda(QList<Resposta> answers, std::function<void()> duringOffer = {})
    {
        TformIncluirValor &d = *m_env->dialogo;
        QList<Oferta> offers;
        const CadaModal answer([&](QWidget *) {
            Oferta o;
            o.data = d.textoData();
            o.categoria = d.comboCategoria()->currentIndex();
            o.descricao = d.editDescricao()->text();
            o.tipo = d.comboCredito()->currentIndex();
            o.valor = d.editValor()->text();
            o.entryMode = d.entryMode();
            o.beeps = m_env->interacao.beeps;
            offers.append(o);
            if (duringOffer)
                duringOffer();
            const Resposta r = answers.size() > 1 ? answers.takeFirst() : answers.first();
            switch (r) {
            case Resposta::Ok:
                QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
                break;
            case Resposta::Cancelar:
                QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
                break;
            case Resposta::FechaJanela:
                d.close();
                break;
            }
            // A save that failed keeps the dialog open: the person gives up.
            if (d.isVisible())
                QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
        }, &d);
        ofereceLancamentosVencidos(*m_env->dados, d);
        return offers;
    }

    std::unique_ptr<Livro> m_env;
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(VarPasta))
        return filhoQueCai(argc, argv);
    QApplication app(argc, argv);
    QTEST_SET_MAIN_SOURCE_PATH
    TestVencidos tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "test_vencidos.moc"
