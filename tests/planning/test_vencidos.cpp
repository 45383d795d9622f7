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
#include "data/database.h"
#include "ledger/cofrel_inclui_valor.h"
#include "planning/lancamentos_vencidos.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QTest>

#include <cstdlib>
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
constexpr auto VarMomento = "COFREL_TESTE_QUEDA_MOMENTO";
constexpr int SaidaQueda = 42;

// The child: the same folder and user, OK on the offered entry, and the
// process ends abruptly as soon as the chosen table has written its row,
// inside the save.
int filhoQueCai(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString folder = qEnvironmentVariable(VarPasta);
    const int user = qEnvironmentVariableIntValue(VarUsuario);
    const QString moment = qEnvironmentVariable(VarMomento);
    loginContext().AppDir = folder;
    data::Database::setAliasFolder(QString(data::AliasCofrel), folder + QStringLiteral("dados/"));
    clock::FixedNow fixed(dia(15, 3, 2025));
    auto *dados = new TDados();
    forms().Dados = dados;
    auto *dialog = new TformIncluirValor();
    forms().IncluirValor = dialog;
    loginContext().setUser(QStringLiteral("ana"), user);
    dados->setUserTables(loginContext().FinTableName, loginContext().DFinTableName);
    data::Table &crashes = moment == u"extrato" ? dados->TableFin : dados->TableDFin;
    QObject::connect(&crashes, &data::Table::dataChanged, [] { std::_Exit(SaidaQueda); });
    const auto answer = quandoModal([&](QWidget *) { QTest::mouseClick(dialog->buttonOK(), Qt::LeftButton); });
    ofereceLancamentosVencidos(*dados, *dialog);
    return 0; // the crash never came
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

    void runLeavesComponentsClosed()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("a"), 1, -1.0);
        roda({Resposta::Ok});
        TDados &d = *m_env->dados;
        QVERIFY(!d.QueryD.isOpen());
        QVERIFY(!d.TableDFin.isOpen());
        QVERIFY(!d.TableFin.isOpen());
        QCOMPARE(d.TableDFin.indexFieldNames(), QStringLiteral("Dia;Data"));
        QCOMPARE(d.QueryD.sql(), QStringLiteral("select * from d%1 where data<=:now").arg(m_env->usuario));
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
        TDados &d = *m_env->dados;
        QVERIFY(!d.QueryD.isOpen());
        QVERIFY(!d.TableDFin.isOpen());
        QVERIFY(!d.TableFin.isOpen());
        QCOMPARE(d.TableDFin.indexFieldNames(), QStringLiteral("Dia;Data"));
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
        QVERIFY(!m_env->dados->QueryD.isOpen());
        QVERIFY(!m_env->dados->TableDFin.isOpen());
    }

    void crashBetweenBookingAndAdvance_data()
    {
        QTest::addColumn<QString>("moment");
        QTest::newRow("after the booking") << "extrato";
        QTest::newRow("after the advance") << "plano";
    }

    void crashBetweenBookingAndAdvance()
    {
        QFETCH(QString, moment);
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 3, 2025), QStringLiteral("Aluguel"), 4, -800.0);
        data::Database::closeAll(); // the child alone holds the files

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(VarPasta), m_env->pasta.appDir());
        env.insert(QString::fromLatin1(VarUsuario), QString::number(m_env->usuario));
        env.insert(QString::fromLatin1(VarMomento), moment);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), SaidaQueda);

        // Either both or neither: here, with nothing committed, neither.
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
