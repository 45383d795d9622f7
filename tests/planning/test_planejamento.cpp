// The planning window over the user's plan table: layout, the plan read
// anew at every showing, and include, alter and delete as a person does
// them through the planned-entry dialog.
#include "support/livro.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "controls/data_grid.h"
#include "data/cofrel_dados.h"
#include "data/models.h"
#include "planning/cofrel_inclui_mes.h"
#include "planning/cofrel_planejamento_mensal.h"

#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;

namespace {

QDate dia(int d, int m, int y)
{
    return QDate(y, m, d);
}

// What a person types into the planned-entry dialog; unset parts are left
// as the dialog shows them.
struct Digitacao {
    int dia = -1; // the day itself, 1..31
    int categoria = -1;
    int tipo = -1;
    std::optional<QString> descricao;
    std::optional<QString> valor;
};

void preenche(TformIncluiMes &d, const Digitacao &what)
{
    if (what.categoria >= 0)
        escolhe(d.comboCategoria(), what.categoria);
    if (what.tipo >= 0)
        escolhe(d.comboCredito(), what.tipo);
    if (what.descricao)
        reescreve(d.editDescricao(), *what.descricao);
    if (what.valor)
        reescreve(d.editValor(), *what.valor);
    if (what.dia > 0)
        escolhe(d.comboDia(), what.dia - 1);
}

// What the dialog showed when it came up.
struct Mostrado {
    int dia = 0;
    int categoria = -1;
    int tipo = -1;
    QString descricao;
    QString valor;
};

} // namespace

class TestPlanejamento final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<Livro>(QDate(), Livro::Planejamento);
    }

    void cleanup()
    {
        if (m_env && m_env->planejamento->isVisible())
            m_env->planejamento->reject();
        m_env.reset();
        // No window of the test may stay behind.
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY2(!w->isVisible(), qPrintable(w->objectName()));
    }

    void layout()
    {
        TformPlanejamento &p = *m_env->planejamento;
        QCOMPARE(p.windowTitle(), QStringLiteral("Cofrel 1.0 - Planejamento Mensal"));
        QCOMPARE(p.size(), QSize(499, 361));
        QVERIFY(p.windowFlags() & Qt::WindowCloseButtonHint);
        QVERIFY(!(p.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(p.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(p.DBGrid->geometry(), QRect(8, 112, 483, 217));
        const struct {
            TGradBtn *button;
            const char16_t *caption;
            QRect bounds;
        } buttons[] = {
            {p.buttonIncluiValor, u"&Incluir valor", {8, 334, 119, 23}},
            {p.buttonAlteraValor, u"&Alterar valor", {129, 334, 119, 23}},
            {p.buttonExcluiValor, u"E&xcluir valor", {250, 334, 119, 23}},
            {p.buttonVoltar, u"&Fechar", {371, 334, 119, 23}},
        };
        for (const auto &b : buttons) {
            QCOMPARE(b.button->Caption(), QString::fromUtf16(b.caption));
            QCOMPARE(b.button->geometry(), b.bounds);
            QCOMPARE(b.button->cursor().shape(), Qt::PointingHandCursor);
        }

        // Tab order: grid, delete, close, alter, include.
        abre();
        const QList<QWidget *> order = {p.DBGrid, p.buttonExcluiValor, p.buttonVoltar, p.buttonAlteraValor,
                                        p.buttonIncluiValor};
        QList<QWidget *> chain;
        QWidget *w = p.DBGrid;
        do {
            if (order.contains(w) && !chain.contains(w))
                chain.append(w);
            w = w->nextInFocusChain();
        } while (w != p.DBGrid);
        QCOMPARE(chain, order);

        // Grid columns: the field names as titles, with their widths.
        QAbstractItemModel *model = p.DBGrid->model();
        QVERIFY(model);
        QCOMPARE(model->columnCount(), 3);
        const QStringList titles = {QStringLiteral("Dia"), QStringLiteral("Descricao"), QStringLiteral("Valor")};
        const int widths[] = {31, 331, 82};
        for (int c = 0; c < 3; ++c) {
            QCOMPARE(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), titles.at(c));
            QCOMPARE(p.DBGrid->columnWidth(c), widths[c]);
        }
        fecha();
    }

    void gridShowsPlanInDayOrder()
    {
        m_env->planeja(20, dia(20, 3, 2025), QStringLiteral("vinte"), 1, -1.0);
        m_env->planeja(5, dia(5, 6, 2025), QStringLiteral("cinco junho"), 1, -2.0);
        m_env->planeja(5, dia(5, 4, 2025), QStringLiteral("cinco abril"), 1, -3.0);
        abre();
        QAbstractItemModel *model = m_env->planejamento->DBGrid->model();
        QCOMPARE(model->rowCount(), 3);
        QCOMPARE(model->index(0, 1).data().toString(), QStringLiteral("cinco abril"));
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("cinco junho"));
        QCOMPARE(model->index(2, 1).data().toString(), QStringLiteral("vinte"));
        QCOMPARE(model->index(2, 0).data().toString(), QStringLiteral("20"));
        fecha();
    }

    void planReadAnewAtEveryShowing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Fechar") << "button";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape") << "escape";
    }

    void planReadAnewAtEveryShowing()
    {
        QFETCH(QString, how);
        QAbstractItemModel *model = m_env->dados->DataSource3;
        for (int round = 1; round <= 2; ++round) { // hidden and shown again
            // Written behind the window's back while it is hidden.
            m_env->planeja(round, dia(round, 4, 2025), QStringLiteral("linha %1").arg(round), 1, -1.0);
            abre();
            QCOMPARE(m_env->planejamento->DBGrid->model(), model);
            QCOMPARE(model->rowCount(), round);
            QCOMPARE(model->index(round - 1, 1).data().toString(), QStringLiteral("linha %1").arg(round));
            if (how == u"button")
                QTest::mouseClick(m_env->planejamento->buttonVoltar, Qt::LeftButton);
            else if (how == u"close")
                m_env->planejamento->close();
            else
                QTest::keyClick(m_env->planejamento, Qt::Key_Escape);
            QTRY_VERIFY(!m_env->planejamento->isVisible());
            QCOMPARE(model->rowCount(), 0); // let go while hidden
            QCOMPARE(m_env->planejamento->result(), mrCancel);
        }
    }

    void missingPlanFileClosesTheWindow()
    {
        const QString file = m_env->arquivoPlano();
        QVERIFY(QFile::remove(file));
        m_env->planejamento->open();
        QTRY_VERIFY(!m_env->planejamento->isVisible());
        QCOMPARE(m_env->interacao.errors.size(), 1);
        QVERIFY2(m_env->interacao.errors.first().contains(loginContext().DFinTableName, Qt::CaseInsensitive),
                 qPrintable(m_env->interacao.errors.first()));
    }

    void includeFirstDueDate_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("day");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("today's day is due today") << dia(15, 3, 2025) << 15 << dia(15, 3, 2025);
        QTest::newRow("a passed day goes to next month") << dia(15, 3, 2025) << 14 << dia(14, 4, 2025);
        QTest::newRow("a later day stays this month") << dia(15, 3, 2025) << 31 << dia(31, 3, 2025);
        QTest::newRow("December rolls the year") << dia(20, 12, 2025) << 5 << dia(5, 1, 2026);
        QTest::newRow("February lacks the 30th") << dia(10, 2, 2025) << 30 << dia(28, 2, 2025);
        QTest::newRow("next month lacks the 29th") << dia(30, 1, 2025) << 29 << dia(28, 2, 2025);
        QTest::newRow("leap year has the 29th") << dia(30, 1, 2024) << 29 << dia(29, 2, 2024);
        QTest::newRow("day 1 on the last day") << dia(31, 3, 2025) << 1 << dia(1, 4, 2025);
        QTest::newRow("April lacks the 31st") << dia(2, 4, 2025) << 31 << dia(30, 4, 2025);
    }

    void includeFirstDueDate()
    {
        QFETCH(QDate, today);
        QFETCH(int, day);
        QFETCH(QDate, expected);
        clock::FixedNow fixed(QDateTime(today, QTime(23, 59)));
        abre();
        Digitacao what;
        what.dia = day;
        what.descricao = QStringLiteral("Aluguel");
        what.valor = QStringLiteral("800");
        usaDialogo(m_env->planejamento->buttonIncluiValor, what);
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.size(), 1);
        QCOMPARE(plan.first().dia, day);
        QCOMPARE(plan.first().data, expected);
        fecha();
    }

    void includeWritesTheDialogResults()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        abre();
        Digitacao salary;
        salary.dia = 5;
        salary.categoria = CategoriaTrabalho - 1; // the rule turns the type to credit
        salary.descricao = QStringLiteral("  Salario  ");
        salary.valor = QStringLiteral("2500.75");
        usaDialogo(m_env->planejamento->buttonIncluiValor, salary);

        Digitacao blanks;
        blanks.dia = 20;
        blanks.categoria = 4;
        blanks.descricao = QStringLiteral("   ");
        blanks.valor = QString();
        usaDialogo(m_env->planejamento->buttonIncluiValor, blanks);

        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan.at(0).dia, 5);
        QCOMPARE(plan.at(0).data, dia(5, 4, 2025));
        QCOMPARE(plan.at(0).categoria, CategoriaTrabalho);
        QCOMPARE(plan.at(0).descricao, QStringLiteral("Salario"));
        QCOMPARE(plan.at(0).valor, 2500.75);
        QCOMPARE(plan.at(1).dia, 20);
        QCOMPARE(plan.at(1).categoria, 5);
        QCOMPARE(plan.at(1).descricao, QString());
        QCOMPARE(plan.at(1).valor, 0.0); // empty amount, debit: zero
        // The grid lists both, the new rows included.
        QCOMPARE(m_env->planejamento->DBGrid->model()->rowCount(), 2);
        fecha();
    }

    void includeStartsFromReset()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(17, dia(17, 3, 2025), QStringLiteral("Salario"), 6, 3000);
        abre();
        // An alter leaves its values in the dialog; include starts afresh.
        usaDialogo(m_env->planejamento->buttonAlteraValor, {}, QStringLiteral("cancel"));
        const Mostrado shown = usaDialogo(m_env->planejamento->buttonIncluiValor, {}, QStringLiteral("cancel"));
        QCOMPARE(shown.dia, 1);
        QCOMPARE(shown.categoria, 0);
        QCOMPARE(shown.tipo, TipoDebito);
        QCOMPARE(shown.descricao, QString());
        QCOMPARE(shown.valor, QString());
        fecha();
    }

    void alterDueDate_data()
    {
        QTest::addColumn<int>("newDay");
        QTest::addColumn<QString>("newAmount");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("only the amount: date kept though passed") << 10 << "75" << dia(10, 1, 2025);
        QTest::newRow("day 12: next month") << 12 << "50" << dia(12, 4, 2025);
        QTest::newRow("day 20: this month") << 20 << "50" << dia(20, 3, 2025);
        QTest::newRow("day 15: today") << 15 << "50" << dia(15, 3, 2025);
    }

    void alterDueDate()
    {
        QFETCH(int, newDay);
        QFETCH(QString, newAmount);
        QFETCH(QDate, expected);
        clock::FixedNow fixed(dia(15, 3, 2025));
        const qint64 other = m_env->planeja(3, dia(3, 4, 2025), QStringLiteral("outro"), 1, -9.0);
        const qint64 id = m_env->planeja(10, dia(10, 1, 2025), QStringLiteral("Escola"), 2, -50.0);
        abre();
        selecionaLinha(1); // day 10 comes after day 3
        Digitacao what;
        what.dia = newDay;
        what.valor = newAmount;
        usaDialogo(m_env->planejamento->buttonAlteraValor, what);
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan.at(0).transacao, other);
        QCOMPARE(plan.at(0).data, dia(3, 4, 2025)); // the other row untouched
        QCOMPARE(plan.at(0).valor, -9.0);
        QCOMPARE(plan.at(1).transacao, id);
        QCOMPARE(plan.at(1).dia, newDay);
        QCOMPARE(plan.at(1).data, expected);
        QCOMPARE(plan.at(1).categoria, 2);
        QCOMPARE(plan.at(1).descricao, QStringLiteral("Escola"));
        QCOMPARE(plan.at(1).valor, -newAmount.toDouble());
        fecha();
    }

    void alterPrefill_data()
    {
        QTest::addColumn<double>("stored");
        QTest::addColumn<int>("expectedType");
        QTest::addColumn<QString>("expectedAmount");
        QTest::newRow("debit") << -150.0 << TipoDebito << "150.00";
        QTest::newRow("credit") << 2500.5 << TipoCredito << "2500.50";
        QTest::newRow("zero is credit") << 0.0 << TipoCredito << "0.00";
    }

    void alterPrefill()
    {
        QFETCH(double, stored);
        QFETCH(int, expectedType);
        QFETCH(QString, expectedAmount);
        LocaleScope scope(QStringLiteral("en_US"));
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(28, dia(28, 3, 2025), QStringLiteral("Onibus"), 7, stored);
        abre();
        const Mostrado shown = usaDialogo(m_env->planejamento->buttonAlteraValor, {}, QStringLiteral("ok"));
        QCOMPARE(shown.dia, 28);
        QCOMPARE(shown.categoria, 6);
        QCOMPARE(shown.tipo, expectedType);
        QCOMPARE(shown.descricao, QStringLiteral("Onibus"));
        QCOMPARE(shown.valor, expectedAmount);
        // OK without changes writes the same values back (a zero stays zero).
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.first().valor, stored);
        QCOMPARE(plan.first().data, dia(28, 3, 2025));
        fecha();
    }

    void commaAmountsRoundTrip()
    {
        LocaleScope scope(QStringLiteral("pt_BR"));
        clock::FixedNow fixed(dia(15, 3, 2025));
        abre();
        Digitacao what;
        what.dia = 9;
        what.tipo = TipoDebito;
        what.valor = QStringLiteral("12,50");
        usaDialogo(m_env->planejamento->buttonIncluiValor, what);
        QCOMPARE(m_env->plano().first().valor, -12.5);

        // A zero typed as debit opens as credit with 0,00.
        Digitacao zero;
        zero.valor = QStringLiteral("0");
        zero.tipo = TipoDebito;
        const Mostrado first = usaDialogo(m_env->planejamento->buttonAlteraValor, zero);
        QCOMPARE(first.valor, QStringLiteral("12,50"));
        QCOMPARE(first.tipo, TipoDebito);
        const Mostrado second = usaDialogo(m_env->planejamento->buttonAlteraValor, {}, QStringLiteral("cancel"));
        QCOMPARE(second.valor, QStringLiteral("0,00"));
        QCOMPARE(second.tipo, TipoCredito);
        QCOMPARE(m_env->plano().first().valor, 0.0);
        fecha();
    }

    void alterByDoubleClick()
    {
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(1, dia(1, 4, 2025), QStringLiteral("um"), 1, -1.0);
        const qint64 id = m_env->planeja(2, dia(2, 4, 2025), QStringLiteral("dois"), 1, -2.0);
        abre();
        DataGrid *grid = m_env->planejamento->DBGrid;
        TformIncluiMes &d = *m_env->incluiMes;
        QString shownDescription;
        const CadaModal answer([&](QWidget *) {
            shownDescription = d.editDescricao()->text();
            reescreve(d.editDescricao(), QStringLiteral("dois alterado"));
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
        }, &d);
        const QPoint cell = grid->visualRect(grid->model()->index(1, 1)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(answer.vezes(), 1);
        QCOMPARE(shownDescription, QStringLiteral("dois"));
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.at(1).transacao, id);
        QCOMPARE(plan.at(1).descricao, QStringLiteral("dois alterado"));
        QCOMPARE(plan.at(0).descricao, QStringLiteral("um"));
        fecha();
    }

    void alterOnEmptyTableDoesNothing()
    {
        abre();
        TformIncluiMes &d = *m_env->incluiMes;
        const CadaModal answer([&](QWidget *) { QTest::mouseClick(d.buttonOK(), Qt::LeftButton); }, &d);
        QTest::mouseClick(m_env->planejamento->buttonAlteraValor, Qt::LeftButton);
        DataGrid *grid = m_env->planejamento->DBGrid;
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(40, 40));
        QCoreApplication::processEvents();
        QCOMPARE(answer.vezes(), 0);
        QVERIFY(m_env->plano().isEmpty());
        QVERIFY(m_env->interacao.errors.isEmpty());
        fecha();
    }

    void cancelLeavesTableAsItWas_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("ending");
        QTest::newRow("include, Cancelar") << "include" << "cancel";
        QTest::newRow("include, close box") << "include" << "close";
        QTest::newRow("alter, Cancelar") << "alter" << "cancel";
        QTest::newRow("alter, close box") << "alter" << "close";
    }

    void cancelLeavesTableAsItWas()
    {
        QFETCH(QString, button);
        QFETCH(QString, ending);
        clock::FixedNow fixed(dia(15, 3, 2025));
        m_env->planeja(10, dia(10, 1, 2025), QStringLiteral("Escola"), 2, -50.0);
        const QList<Lancamento> before = m_env->plano();
        abre();
        Digitacao what;
        what.dia = 20;
        what.categoria = 3;
        what.descricao = QStringLiteral("mudado");
        what.valor = QStringLiteral("1");
        TGradBtn *target = button == u"include" ? m_env->planejamento->buttonIncluiValor
                                                 : m_env->planejamento->buttonAlteraValor;
        usaDialogo(target, what, ending);
        const QList<Lancamento> after = m_env->plano();
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after.first().dia, before.first().dia);
        QCOMPARE(after.first().data, before.first().data);
        QCOMPARE(after.first().descricao, before.first().descricao);
        QCOMPARE(after.first().valor, before.first().valor);
        QCOMPARE(after.first().categoria, before.first().categoria);
        fecha();
    }

    void deleteAsksAndDeletesCurrentRow()
    {
        const qint64 first = m_env->planeja(1, dia(1, 4, 2025), QStringLiteral("um"), 1, -1.0);
        m_env->planeja(2, dia(2, 4, 2025), QStringLiteral("dois"), 1, -2.0);
        const qint64 third = m_env->planeja(3, dia(3, 4, 2025), QStringLiteral("tres"), 1, -3.0);
        abre();
        selecionaLinha(1);
        m_env->interacao.answers = {true};
        QTest::mouseClick(m_env->planejamento->buttonExcluiValor, Qt::LeftButton);
        QCOMPARE(m_env->interacao.questions.size(), 1);
        const auto &q = m_env->interacao.questions.first();
        QCOMPARE(q.text, QStringLiteral("Deseja realmente apagar este valor?"));
        QCOMPARE(q.title, QStringLiteral("Cofrel"));
        QCOMPARE(q.icon, QuestionIcon::None);
        const QList<Lancamento> plan = m_env->plano();
        QCOMPARE(plan.size(), 2);
        QCOMPARE(plan.at(0).transacao, first);
        QCOMPARE(plan.at(1).transacao, third);
        QCOMPARE(m_env->planejamento->DBGrid->model()->rowCount(), 2);
        fecha();
    }

    void deleteChangesNothing_data()
    {
        QTest::addColumn<bool>("withRow");
        QTest::addColumn<int>("questions");
        QTest::newRow("answered No") << true << 1;
        QTest::newRow("empty table: nothing asked") << false << 0;
    }

    void deleteChangesNothing()
    {
        QFETCH(bool, withRow);
        QFETCH(int, questions);
        if (withRow)
            m_env->planeja(1, dia(1, 4, 2025), QStringLiteral("um"), 1, -1.0);
        abre();
        m_env->interacao.answers = {false};
        m_env->interacao.defaultAnswer = true; // a question past the first would delete
        QTest::mouseClick(m_env->planejamento->buttonExcluiValor, Qt::LeftButton);
        QCOMPARE(m_env->interacao.questions.size(), questions);
        QVERIFY(m_env->interacao.errors.isEmpty());
        QCOMPARE(m_env->plano().size(), int(withRow));
        fecha();
    }

private:
    void abre()
    {
        TformPlanejamento &p = *m_env->planejamento;
        p.open(); // modal, as the main window shows it, without blocking the test
        QVERIFY(QTest::qWaitForWindowExposed(&p));
    }

    void fecha()
    {
        QTest::mouseClick(m_env->planejamento->buttonVoltar, Qt::LeftButton);
        QTRY_VERIFY(!m_env->planejamento->isVisible());
    }

    void selecionaLinha(int row)
    {
        DataGrid *grid = m_env->planejamento->DBGrid;
        const QRect cell = grid->visualRect(grid->model()->index(row, 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(grid->currentRow(), row);
        QCOMPARE(grid->indicatorRow(), row);
    }

    // Clicks \a button; the planned-entry dialog that comes up is filled
    // with \a what and ended with \a ending ("ok", "cancel", "close").
    Mostrado usaDialogo(TGradBtn *button, const Digitacao &what, const QString &ending = QStringLiteral("ok"))
    {
        TformIncluiMes &d = *m_env->incluiMes;
        Mostrado shown;
        // The planning window is modal too: only the dialog is answered.
        const CadaModal answer([&](QWidget *) {
            shown.dia = d.comboDia()->currentIndex() + 1;
            shown.categoria = d.comboCategoria()->currentIndex();
            shown.tipo = d.comboCredito()->currentIndex();
            shown.descricao = d.editDescricao()->text();
            shown.valor = d.editValor()->text();
            preenche(d, what);
            if (ending == u"ok")
                QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
            else if (ending == u"cancel")
                QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
            else
                d.close();
        }, &d);
        QTest::mouseClick(button, Qt::LeftButton);
        if (answer.vezes() != 1)
            qWarning("the planned-entry dialog did not come up");
        return shown;
    }

    std::unique_ptr<Livro> m_env;
};

QTEST_MAIN(TestPlanejamento)
#include "test_planejamento.moc"
