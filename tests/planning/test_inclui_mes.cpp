// The planned-entry dialog on its own: layout, focus, the category rule,
// the amount filter, and what OK, Cancel and the close box leave behind.
#include "support/livro.h"

#include "app/cofrel_uteis.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "planning/cofrel_inclui_mes.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::test;

class TestIncluiMes final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        loginContext().CategoryNames = {QStringLiteral("stale")};
        m_dialog = std::make_unique<TformIncluiMes>();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_folder.reset();
    }

    void layout()
    {
        TformIncluiMes &d = *m_dialog;
        QCOMPARE(d.windowTitle(), QStringLiteral("Cofrel 1.0 - Incluir/Editar Planejamento Mensal"));
        QCOMPARE(d.size(), QSize(388, 250));
        QCOMPARE(d.comboCategoria()->pos(), QPoint(221, 117));
        QCOMPARE(d.comboCategoria()->width(), 156);
        QCOMPARE(d.editDescricao()->geometry(), QRect(12, 152, 365, 21));
        QCOMPARE(d.editDescricao()->maxLength(), 100);
        QCOMPARE(d.editValor()->geometry(), QRect(12, 186, 109, 21));
        QCOMPARE(d.editValor()->maxLength(), 12);
        QCOMPARE(d.comboCredito()->pos(), QPoint(221, 186));
        QCOMPARE(d.comboCredito()->width(), 156);
        QCOMPARE(d.comboDia()->pos(), QPoint(13, 117));
        QCOMPARE(d.comboDia()->width(), 68);
        QCOMPARE(d.buttonOK()->geometry(), QRect(219, 223, 76, 23));
        QCOMPARE(d.buttonOK()->Caption(), QStringLiteral("OK"));
        QCOMPARE(d.buttonSair()->geometry(), QRect(304, 223, 76, 23));
        QCOMPARE(d.buttonSair()->Caption(), QStringLiteral("Cancelar"));

        QStringList days;
        for (int i = 0; i < d.comboDia()->count(); ++i)
            days.append(d.comboDia()->itemText(i));
        QCOMPARE(days.size(), 31);
        QCOMPARE(days.first(), QStringLiteral("01"));
        QCOMPARE(days.at(8), QStringLiteral("09"));
        QCOMPARE(days.last(), QStringLiteral("31"));
        QVERIFY(!d.comboDia()->isEditable());
        QVERIFY(!d.comboCategoria()->isEditable());

        QStringList categories;
        for (int i = 0; i < d.comboCategoria()->count(); ++i)
            categories.append(d.comboCategoria()->itemText(i));
        QCOMPARE(categories, NomesCategorias());
        QCOMPARE(d.comboCredito()->count(), 2);
        QCOMPARE(d.comboCredito()->itemText(0), QStringLiteral("Crédito"));
        QCOMPARE(d.comboCredito()->itemText(1), QStringLiteral("Débito"));

        const struct {
            const char16_t *text;
            QPoint pos;
        } labels[] = {{u"Dia", {12, 104}}, {u"Categoria", {221, 104}}, {u"Descrição", {12, 139}},
                      {u"Valor", {12, 173}}, {u"Tipo", {221, 173}}};
        const auto all = d.findChildren<QLabel *>();
        for (const auto &expected : labels) {
            const QString text = QString::fromUtf16(expected.text);
            QLabel *found = nullptr;
            for (QLabel *label : all) {
                if (label->text() == text)
                    found = label;
            }
            QVERIFY2(found, qPrintable(text));
            QCOMPARE(found->pos(), expected.pos);
            QVERIFY(found->font().bold());
        }
    }

    void categoryNamesFilledAtCreation()
    {
        QCOMPARE(loginContext().CategoryNames, NomesCategorias());
    }

    void tabOrderEndsWithDay()
    {
        TformIncluiMes &d = *m_dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        const QList<QWidget *> expected = {d.editDescricao(), d.editValor(), d.comboCredito(), d.buttonOK(),
                                           d.buttonSair(), d.comboDia(), d.comboCategoria()};
        d.comboCategoria()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d.comboCategoria()));
        for (QWidget *next : expected) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        d.reject();
    }

    void activationFocusesDay()
    {
        TformIncluiMes &d = *m_dialog;
        QWidget *focused = nullptr;
        const auto answer = quandoModal([&](QWidget *) {
            focused = QApplication::focusWidget();
            QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
        });
        d.comboCategoria()->setFocus(); // the last focus must not win
        QCOMPARE(d.exec(), mrCancel);
        QVERIFY(answer->ran());
        QCOMPARE(focused, static_cast<QWidget *>(d.comboDia()));

        // Shown a second time, the day has the focus again.
        focused = nullptr;
        const auto again = quandoModal([&](QWidget *) {
            focused = QApplication::focusWidget();
            QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
        });
        d.exec();
        QCOMPARE(focused, static_cast<QWidget *>(d.comboDia()));

        // Coming back from another application is no activation: the focus
        // stays where the person left it.
        focused = nullptr;
        const auto back = quandoModal([&](QWidget *) {
            d.editValor()->setFocus(Qt::TabFocusReason);
            QApplication::setActiveWindow(nullptr);
            QApplication::setActiveWindow(&d);
            focused = QApplication::focusWidget();
            QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
        });
        d.exec();
        QCOMPARE(focused, static_cast<QWidget *>(d.editValor()));
    }

    void categoryRuleOnUserChange_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("typeBefore");
        QTest::addColumn<int>("expectedType");
        for (int i = 0; i < NumeroCategorias; ++i) {
            const int expected = i == CategoriaTrabalho - 1 ? TipoCredito : TipoDebito;
            const int before = expected == TipoCredito ? TipoDebito : TipoCredito;
            QTest::addRow("%s", qPrintable(NomesCategorias().at(i))) << i << before << expected;
        }
    }

    void categoryRuleOnUserChange()
    {
        QFETCH(int, category);
        QFETCH(int, typeBefore);
        QFETCH(int, expectedType);
        TformIncluiMes &d = *m_dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        // Start from a neighbouring item so that the keys really change it.
        d.comboCategoria()->setCurrentIndex(category == 0 ? 1 : 0);
        d.comboCredito()->setCurrentIndex(typeBefore);
        escolhe(d.comboCategoria(), category);
        QCOMPARE(d.comboCategoria()->currentIndex(), category);
        QCOMPARE(d.comboCredito()->currentIndex(), expectedType);
        d.reject();
    }

    void categoryRuleNotByProgram()
    {
        TformIncluiMes &d = *m_dialog;
        d.comboCredito()->setCurrentIndex(TipoDebito);
        d.comboCategoria()->setCurrentIndex(CategoriaTrabalho - 1);
        QCOMPARE(d.comboCredito()->currentIndex(), TipoDebito);
        d.comboCredito()->setCurrentIndex(TipoCredito);
        d.comboCategoria()->setCurrentIndex(0);
        QCOMPARE(d.comboCredito()->currentIndex(), TipoCredito);
    }

    void amountFilter_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second separator refused") << "en_US" << "1.2.3" << false << "1.23";
        QTest::newRow("minus and letters swallowed") << "en_US" << "-5a0" << false << "50";
        QTest::newRow("comma under comma locale") << "pt_BR" << "12,50" << false << "12,50";
        QTest::newRow("dot under comma locale swallowed") << "pt_BR" << "12.50" << false << "1250";
        QTest::newRow("at most twelve characters") << "en_US" << "1234567890123" << false << "123456789012";
        QTest::newRow("pasted exponent refused") << "en_US" << "1e308" << true << "";
        QTest::newRow("pasted minus refused") << "pt_BR" << "-1.234,5" << true << "";
        QTest::newRow("pasted grouping taken out") << "pt_BR" << "1.234,5" << true << "1234,5";
    }

    void amountFilter()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, pasted);
        QFETCH(QString, expected);
        LocaleScope scope(locale);
        TformIncluiMes &d = *m_dialog;
        d.show();
        QVERIFY(QTest::qWaitForWindowActive(&d));
        if (pasted) {
            d.editValor()->clear();
            QApplication::clipboard()->setText(typed);
            d.editValor()->paste();
        } else {
            reescreve(d.editValor(), typed);
        }
        QCOMPARE(d.editValor()->text(), expected);
        d.reject();
    }

    // An amount no box can hold (a plan row another program wrote, prefilled
    // by the alter) is refused on OK: the dialog stays, no result is set.
    void amountNoBoxHoldsRefused()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        ScriptedInteraction interacao;
        TformIncluiMes &d = *m_dialog;
        d.PlanValor = 7.0;
        d.editValor()->setText(FormatValor(1e308));
        bool stayedOpen = false;
        const auto answer = quandoModal([&](QWidget *) {
            QTRY_VERIFY(d.isActiveWindow());
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
            stayedOpen = d.isVisible();
            QTRY_VERIFY(d.editValor()->hasFocus());
            d.reject();
        });
        QCOMPARE(d.exec(), mrCancel);
        QVERIFY(answer->ran());
        QVERIFY(stayedOpen);
        QCOMPARE(interacao.messages, QStringList{QStringLiteral("Valor inválido")});
        QCOMPARE(d.PlanValor, 7.0);
    }

    void okComputesWithoutChecks_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("category");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<double>("expectedValor");
        QTest::newRow("debit") << "en_US" << 0 << TipoDebito << "150" << -150.0;
        QTest::newRow("credit") << "en_US" << 5 << TipoCredito << "2500.75" << 2500.75;
        QTest::newRow("empty box is zero") << "en_US" << 3 << TipoCredito << "" << 0.0;
        QTest::newRow("lone separator is zero") << "en_US" << 7 << TipoDebito << "." << 0.0;
        QTest::newRow("comma debit") << "pt_BR" << 4 << TipoDebito << "12,50" << -12.5;
        // Chosen against the category rule: the type wins, nothing is checked.
        QTest::newRow("work as debit") << "en_US" << 5 << TipoDebito << "10" << -10.0;
    }

    void okComputesWithoutChecks()
    {
        QFETCH(QString, locale);
        QFETCH(int, category);
        QFETCH(int, type);
        QFETCH(QString, amount);
        QFETCH(double, expectedValor);
        LocaleScope scope(locale);
        TformIncluiMes &d = *m_dialog;
        d.PlanValor = 999.0;
        d.PlanCategoria = 99;
        const auto answer = quandoModal([&](QWidget *) {
            escolhe(d.comboCategoria(), category);
            escolhe(d.comboCredito(), type);
            reescreve(d.editDescricao(), QString());
            reescreve(d.editValor(), amount);
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
        });
        QCOMPARE(d.exec(), mrOk);
        QVERIFY(answer->ran());
        QCOMPARE(d.PlanCategoria, category + 1);
        QCOMPARE(d.PlanValor, expectedValor);
        QCOMPARE(d.editDescricao()->text(), QString()); // an empty description is accepted
    }

    void okTrimsDescription()
    {
        TformIncluiMes &d = *m_dialog;
        const auto answer = quandoModal([&](QWidget *) {
            d.editDescricao()->setText(QStringLiteral("\t  Aluguel  da casa \r\n")); // as pasted
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
        });
        QCOMPARE(d.exec(), mrOk);
        QCOMPARE(d.editDescricao()->text(), QStringLiteral("Aluguel  da casa"));

        const auto blanks = quandoModal([&](QWidget *) {
            reescreve(d.editDescricao(), QStringLiteral("    "));
            QTest::mouseClick(d.buttonOK(), Qt::LeftButton);
        });
        QCOMPARE(d.exec(), mrOk);
        QCOMPARE(d.editDescricao()->text(), QString());
    }

    void cancelAndCloseBoxNeverOk_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancelar") << "cancel";
        QTest::newRow("close box") << "close";
        QTest::newRow("Escape") << "escape";
    }

    void cancelAndCloseBoxNeverOk()
    {
        QFETCH(QString, how);
        TformIncluiMes &d = *m_dialog;
        d.PlanValor = 7.0;
        d.PlanCategoria = 3;
        const auto answer = quandoModal([&](QWidget *) {
            reescreve(d.editValor(), QStringLiteral("55"));
            reescreve(d.editDescricao(), QStringLiteral("  x  "));
            if (how == u"cancel")
                QTest::mouseClick(d.buttonSair(), Qt::LeftButton);
            else if (how == u"close")
                d.close();
            else
                QTest::keyClick(d.editValor(), Qt::Key_Escape);
        });
        QCOMPARE(d.exec(), mrCancel);
        QVERIFY(answer->ran());
        QCOMPARE(d.PlanValor, 7.0);
        QCOMPARE(d.PlanCategoria, 3);
        QCOMPARE(d.editDescricao()->text(), QStringLiteral("  x  "));
    }

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<TformIncluiMes> m_dialog;
};

QTEST_MAIN(TestIncluiMes)
#include "test_inclui_mes.moc"
