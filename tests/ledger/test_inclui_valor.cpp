// The entry dialog driven as a person does: keys and clicks on its boxes
// and buttons, against a fresh program folder with a fixed today.
#include "support/livro.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/login_context.h"
#include "app/modal_result.h"
#include "controls/GradBtn.h"
#include "data/cofrel_dados.h"
#include "ledger/cofrel_inclui_valor.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace cofrel;
using namespace cofrel::test;

namespace {

using Modo = TformIncluirValor::EntryMode;

const QDate Hoje(2025, 3, 10);
const QString Vazia = QStringLiteral("  /  /    ");

// Types a whole date into the masked box the way a person does: the box is
// entered, its content selected and the digits typed over it.
void digitaData(QLineEdit *edit, const QString &digits)
{
    edit->setFocus(Qt::TabFocusReason);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    edit->home(false);
    digita(edit, digits);
}

} // namespace

class TestIncluiValor final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        m_fx = std::make_unique<Livro>(Hoje);
    }

    void cleanup()
    {
        QVERIFY2(!QApplication::activeModalWidget(), "a modal window was left open");
        m_fx.reset();
    }

    void layoutAndCaptions()
    {
        TformIncluirValor &d = *m_fx->dialogo;
        QCOMPARE(d.windowTitle(), QStringLiteral("Cofrel 1.0 - Incluir/Editar valor"));
        QCOMPARE(d.size(), QSize(388, 250));
        QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(d.editData()->geometry().topLeft(), QPoint(12, 117));
        QCOMPARE(d.editData()->width(), 109);
        QCOMPARE(d.comboCategoria()->geometry().topLeft(), QPoint(221, 117));
        QCOMPARE(d.comboCategoria()->width(), 156);
        QCOMPARE(d.editDescricao()->geometry(), QRect(12, 152, 365, 21));
        QCOMPARE(d.editDescricao()->maxLength(), 100);
        QCOMPARE(d.editValor()->geometry().topLeft(), QPoint(12, 186));
        QCOMPARE(d.editValor()->maxLength(), 12);
        QCOMPARE(d.comboCredito()->geometry().topLeft(), QPoint(221, 186));
        QCOMPARE(d.buttonOK()->geometry(), QRect(219, 223, 76, 23));
        QCOMPARE(d.buttonSair()->geometry(), QRect(304, 223, 76, 23));
        QCOMPARE(d.buttonOK()->Caption(), QStringLiteral("OK"));
        QCOMPARE(d.buttonSair()->Caption(), QStringLiteral("Cancelar"));

        QStringList categorias;
        for (int i = 0; i < d.comboCategoria()->count(); ++i)
            categorias << d.comboCategoria()->itemText(i);
        QCOMPARE(categorias, NomesCategorias());
        QCOMPARE(d.comboCredito()->count(), 2);
        QCOMPARE(d.comboCredito()->itemText(0), QStringLiteral("Crédito"));
        QCOMPARE(d.comboCredito()->itemText(1), QStringLiteral("Débito"));

        const QStringList labels = {QStringLiteral("Data"), QStringLiteral("Categoria"), QStringLiteral("Descrição"),
                                     QStringLiteral("Valor"), QStringLiteral("Tipo")};
        const QList<QPoint> at = {{12, 104}, {221, 104}, {12, 139}, {12, 173}, {221, 173}};
        for (qsizetype i = 0; i < labels.size(); ++i) {
            QLabel *label = d.findChild<QLabel *>(QStringLiteral("Label%1").arg(i + 1));
            QVERIFY(label);
            QCOMPARE(label->text(), labels.at(i));
            QCOMPARE(label->pos(), at.at(i));
            QVERIFY(label->font().bold());
        }

        // Tab order: date, category, description, amount, type, OK, Cancel.
        QList<QWidget *> order;
        QWidget *w = d.editData();
        for (int i = 0; i < 7; ++i, w = w->nextInFocusChain()) {
            while (!(w->focusPolicy() & Qt::TabFocus))
                w = w->nextInFocusChain();
            order << w;
        }
        const QList<QWidget *> expected = {d.editData(),  d.comboCategoria(), d.editDescricao(), d.editValor(),
                                           d.comboCredito(), d.buttonOK(),    d.buttonSair()};
        QCOMPARE(order, expected);
        QCOMPARE(d.textoData(), Vazia);
    }

    void categoryNamesFilledAtCreation()
    {
        QCOMPARE(loginContext().CategoryNames, NomesCategorias());
    }

    void newEntryStartsClean()
    {
        TformIncluirValor &d = *m_fx->dialogo;
        d.editDescricao()->setText(QStringLiteral("sobra"));
        d.editValor()->setText(QStringLiteral("12"));
        d.comboCategoria()->setCurrentIndex(4);
        d.comboCredito()->setCurrentIndex(TipoCredito);
        executa(Modo::NovoLancamento, [](TformIncluirValor &dlg) {
            QCOMPARE(dlg.textoData(), QStringLiteral("10/03/2025"));
            QCOMPARE(dlg.comboCategoria()->currentText(), QStringLiteral("Alimentação"));
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Débito"));
            QVERIFY(dlg.editDescricao()->text().isEmpty());
            QVERIFY(dlg.editValor()->text().isEmpty());
        });
    }

    void activationFocusesDateBox()
    {
        // Left in the amount box last time: the dialog would give it the focus
        // back, but activation puts it in the date box.
        executa(Modo::NovoLancamento, [](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            dlg.editValor()->setFocus(Qt::TabFocusReason);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget *>(dlg.editValor()));
        });
        QWidget *focused = nullptr;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            focused = QApplication::focusWidget();
        });
        QCOMPARE(focused, static_cast<QWidget *>(m_fx->dialogo->editData()));
    }

    void activationComesOnlyFromOurWindows_data()
    {
        QTest::addColumn<bool>("fromOurWindow");
        QTest::newRow("from another window of the program") << true;
        QTest::newRow("back from another application") << false;
    }

    void activationComesOnlyFromOurWindows()
    {
        QFETCH(bool, fromOurWindow);
        QWidget *focused = nullptr;
        QString selected;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            dlg.editValor()->setFocus(Qt::TabFocusReason);
            digita(dlg.editValor(), QStringLiteral("12"));
            QDialog outra(&dlg); // a message box of the dialog's
            if (fromOurWindow) {
                outra.show();
                QApplication::setActiveWindow(&outra);
            } else {
                QApplication::setActiveWindow(nullptr); // the person checks a calculator
            }
            QVERIFY(!dlg.isActiveWindow());
            QApplication::setActiveWindow(&dlg);
            focused = QApplication::focusWidget();
            selected = dlg.editData()->selectedText();
        });
        QWidget *const expected = fromOurWindow ? static_cast<QWidget *>(m_fx->dialogo->editData())
                                                : static_cast<QWidget *>(m_fx->dialogo->editValor());
        QCOMPARE(focused, expected);
        QCOMPARE(selected, fromOurWindow ? QStringLiteral("10/03/2025") : QString());
    }

    void categoryRuleOnlyOnUsersChange()
    {
        bool checked = false;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            escolhe(dlg.comboCategoria(), 5);
            QCOMPARE(dlg.comboCategoria()->currentText(), QStringLiteral("Trabalho"));
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Crédito"));
            escolhe(dlg.comboCategoria(), 2);
            QCOMPARE(dlg.comboCategoria()->currentText(), QStringLiteral("Lazer"));
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Débito"));
            // The user may still choose the type by hand.
            escolhe(dlg.comboCredito(), 0);
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Crédito"));
            // Setting the category by program leaves the type alone.
            dlg.comboCategoria()->setCurrentIndex(0);
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Crédito"));
            dlg.comboCredito()->setCurrentIndex(TipoDebito);
            dlg.comboCategoria()->setCurrentIndex(5);
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Débito"));
            checked = true;
        });
        QVERIFY(checked);
    }

    void amountKeyFilter_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second separator refused") << "en_US" << "1.2.3" << "1.23";
        QTest::newRow("minus and letters refused") << "en_US" << "-5a0" << "50";
        QTest::newRow("comma is no separator here") << "en_US" << "12,5" << "125";
        QTest::newRow("comma separator") << "pt_BR" << "12,5" << "12,5";
        QTest::newRow("full stop refused with comma") << "pt_BR" << "12.5" << "125";
        QTest::newRow("twelve characters at most") << "en_US" << "12345678901234" << "123456789012";
    }

    void amountKeyFilter()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        LocaleScope scope(locale);
        QString shown;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            digita(dlg.editValor(), typed);
            shown = dlg.editValor()->text();
        });
        QCOMPARE(shown, expected);
    }

    void savesSignedTrimmedEntry_data()
    {
        QTest::addColumn<int>("categoria");  // item index picked by the user
        QTest::addColumn<int>("tipo");       // -1: leave what the category rule chose
        QTest::addColumn<QString>("descricao");
        QTest::addColumn<QString>("valor");
        QTest::addColumn<QString>("descricaoGravada");
        QTest::addColumn<int>("categoriaGravada");
        QTest::addColumn<double>("valorGravado");
        QTest::newRow("debit by default") << 0 << -1 << "Feira" << "35.20" << "Feira" << 1 << -35.2;
        QTest::newRow("work gives credit") << 5 << -1 << "Salário" << "2500" << "Salário" << 6 << 2500.0;
        QTest::newRow("credit chosen by hand") << 7 << 0 << "Presente" << "50" << "Presente" << 8 << 50.0;
        QTest::newRow("description trimmed") << 2 << -1 << "   Cinema  " << "20" << "Cinema" << 3 << -20.0;
        QTest::newRow("blanks only") << 1 << -1 << "     " << "10" << "" << 2 << -10.0;
        QTest::newRow("empty amount is zero") << 3 << -1 << "Nada" << "" << "Nada" << 4 << 0.0;
        QTest::newRow("lone separator is zero") << 3 << -1 << "Ponto" << "." << "Ponto" << 4 << 0.0;
    }

    void savesSignedTrimmedEntry()
    {
        QFETCH(int, categoria);
        QFETCH(int, tipo);
        QFETCH(QString, descricao);
        QFETCH(QString, valor);
        QFETCH(QString, descricaoGravada);
        QFETCH(int, categoriaGravada);
        QFETCH(double, valorGravado);
        LocaleScope scope(QStringLiteral("en_US"));

        const int result = executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            digitaData(dlg.editData(), QStringLiteral("05032025"));
            escolhe(dlg.comboCategoria(), categoria);
            if (tipo >= 0)
                escolhe(dlg.comboCredito(), tipo);
            digita(dlg.editDescricao(), descricao);
            digita(dlg.editValor(), valor);
            clica(dlg.buttonOK());
            QVERIFY(!dlg.isVisible());
        });
        QCOMPARE(result, mrOk);
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].data, QDate(2025, 3, 5));
        QCOMPARE(rows[0].descricao, descricaoGravada);
        QCOMPARE(rows[0].categoria, categoriaGravada);
        QCOMPARE(rows[0].valor, valorGravado);
        QVERIFY(!std::signbit(rows[0].valor) || rows[0].valor != 0); // never a negative zero
        QVERIFY(m_fx->interacao.errors.isEmpty());
        QVERIFY(m_fx->interacao.messages.isEmpty());
    }

    // A row another program wrote with an amount no box can hold opens for
    // edit; OK refuses it and keeps the dialog, and nothing is written.
    void amountNoBoxHoldsRefused()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Outro programa"), 1, -1e308);
        bool stayedOpen = false;
        QString shown;
        const int result = executa(Modo::Edicao(id), [&](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            shown = dlg.editValor()->text();
            digita(dlg.editDescricao(), QStringLiteral(" mudou"));
            clica(dlg.buttonOK());
            stayedOpen = dlg.isVisible();
            QTRY_VERIFY(dlg.editValor()->hasFocus());
        });
        QCOMPARE(shown, QStringLiteral("1e+308"));
        QVERIFY(stayedOpen);
        QCOMPARE(result, mrCancel);
        QCOMPARE(m_fx->interacao.messages, QStringList{QStringLiteral("Valor inválido")});
        QVERIFY(m_fx->interacao.errors.isEmpty());
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].descricao, QStringLiteral("Outro programa"));
        QCOMPARE(rows[0].valor, -1e308);
    }

    void commaDecimalSeparatorRoundTrip()
    {
        LocaleScope scope(QStringLiteral("pt_BR"));
        executa(Modo::NovoLancamento, [](TformIncluirValor &dlg) {
            digita(dlg.editDescricao(), QStringLiteral("Mercado"));
            digita(dlg.editValor(), QStringLiteral("100,5"));
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Débito"));
            clica(dlg.buttonOK());
        });
        QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].valor, -100.5);
        QCOMPARE(rows[0].data, Hoje);

        QString valor, tipo;
        executa(Modo::Edicao(rows[0].transacao), [&](TformIncluirValor &dlg) {
            valor = dlg.editValor()->text();
            tipo = dlg.comboCredito()->currentText();
        });
        QCOMPARE(valor, QStringLiteral("100,50"));
        QCOMPARE(tipo, QStringLiteral("Débito"));
        QCOMPARE(m_fx->lancamentos()[0].valor, -100.5); // Cancel changed nothing
    }

    void editLoadsAndRewritesTheSameRow()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        m_fx->insere(QDate(2025, 1, 2), QStringLiteral("Outro"), 1, -1.0);
        const qint64 id = m_fx->insere(QDate(2024, 12, 24), QStringLiteral("Salário"), 6, 3000.0);
        const int result = executa(Modo::Edicao(id), [](TformIncluirValor &dlg) {
            QCOMPARE(dlg.textoData(), QStringLiteral("24/12/2024"));
            QCOMPARE(dlg.comboCategoria()->currentText(), QStringLiteral("Trabalho"));
            QCOMPARE(dlg.editDescricao()->text(), QStringLiteral("Salário"));
            QCOMPARE(dlg.editValor()->text(), QStringLiteral("3000.00"));
            QCOMPARE(dlg.comboCredito()->currentText(), QStringLiteral("Crédito"));
            digitaData(dlg.editData(), QStringLiteral("26122024"));
            dlg.editValor()->selectAll();
            digita(dlg.editValor(), QStringLiteral("3100"));
            escolhe(dlg.comboCategoria(), 7); // Outros: the type turns to debit
            clica(dlg.buttonOK());
        });
        QCOMPARE(result, mrOk);
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 2);
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const Lancamento &l) { return l.transacao == id; });
        QVERIFY(it != rows.end());
        QCOMPARE(it->data, QDate(2024, 12, 26));
        QCOMPARE(it->categoria, 8);
        QCOMPARE(it->valor, -3100.0);
    }

    void zeroAmountOpensAsDebitAndStaysZero()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Zero"), 8, 0.0);
        QString valor, tipo;
        executa(Modo::Edicao(id), [&](TformIncluirValor &dlg) {
            valor = dlg.editValor()->text();
            tipo = dlg.comboCredito()->currentText();
            clica(dlg.buttonOK());
        });
        QCOMPARE(valor, QStringLiteral("0.00"));
        QCOMPARE(tipo, QStringLiteral("Débito"));
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].valor, 0.0);
        QVERIFY(!std::signbit(rows[0].valor));
    }

    void prefilledModeKeepsCallersBoxes()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        TformIncluirValor &d = *m_fx->dialogo;
        d.editData()->setText(QStringLiteral("05/01/2025"));
        d.comboCategoria()->setCurrentIndex(3);
        d.editDescricao()->setText(QStringLiteral("Aluguel"));
        d.editValor()->setText(QStringLiteral("150.00"));
        d.comboCredito()->setCurrentIndex(TipoDebito);
        executa(Modo::NovoPreenchido, [](TformIncluirValor &dlg) {
            QCOMPARE(dlg.textoData(), QStringLiteral("05/01/2025"));
            QCOMPARE(dlg.comboCategoria()->currentText(), QStringLiteral("Moradia"));
            QCOMPARE(dlg.editDescricao()->text(), QStringLiteral("Aluguel"));
            QCOMPARE(dlg.editValor()->text(), QStringLiteral("150.00"));
            clica(dlg.buttonOK());
        });
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].data, QDate(2025, 1, 5));
        QCOMPARE(rows[0].categoria, 4);
        QCOMPARE(rows[0].valor, -150.0);
    }

    void yearRepair_data()
    {
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two digits") << "12/05/99  " << "12/05/1999";
        QTest::newRow("one digit") << "12/05/2   " << "12/05/1999";
        QTest::newRow("leading zeros") << "12/05/0005" << "12/05/1999";
        QTest::newRow("1998") << "12/05/1998" << "12/05/1999";
        QTest::newRow("1999 stays") << "12/05/1999" << "12/05/1999";
        QTest::newRow("2003 stays") << "12/05/2003" << "12/05/2003";
        QTest::newRow("blank year unchanged") << "12/05/    " << "12/05/    ";
        QTest::newRow("empty box unchanged") << "  /  /    " << "  /  /    ";
        QTest::newRow("digits apart unreadable") << "12/05/2 0 " << "12/05/2 0 ";
    }

    void yearRepair()
    {
        QFETCH(QString, shown);
        QFETCH(QString, expected);
        QCOMPARE(TformIncluirValor::reparaAno(shown), expected);
    }

    void yearRepairOnLeavingTheBox_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("15/03/24") << "150324" << "15/03/1999";
        QTest::newRow("12/05/99") << "120599" << "12/05/1999";
        QTest::newRow("12/05/2") << "12052" << "12/05/1999";
        QTest::newRow("12/05/0005") << "12050005" << "12/05/1999";
        QTest::newRow("12/05/2003") << "12052003" << "12/05/2003";
        QTest::newRow("no year") << "1205" << "12/05/    ";
    }

    void yearRepairOnLeavingTheBox()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        QString inBox, afterLeaving;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            digitaData(dlg.editData(), typed);
            inBox = dlg.textoData();
            QTest::keyClick(dlg.editData(), Qt::Key_Tab);
            QTRY_VERIFY(!dlg.editData()->hasFocus());
            afterLeaving = dlg.textoData();
        });
        QVERIFY2(inBox != afterLeaving || inBox == expected, qPrintable(inBox));
        QCOMPARE(afterLeaving, expected);
        QVERIFY(m_fx->interacao.messages.isEmpty());
    }

    void invalidDateRefused_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("31/02/2024") << "31022024";
        QTest::newRow("29/02/2025") << "29022025";
        QTest::newRow("day 32") << "32012024";
        QTest::newRow("month 13") << "10132024";
        QTest::newRow("day 00") << "00012024";
        QTest::newRow("empty") << "";
        QTest::newRow("no year") << "1003";
    }

    void invalidDateRefused()
    {
        QFETCH(QString, typed);
        bool stayedOpen = false;
        const int result = executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            QTRY_VERIFY(dlg.isActiveWindow());
            digitaData(dlg.editData(), typed);
            digita(dlg.editDescricao(), QStringLiteral("Feira"));
            digita(dlg.editValor(), QStringLiteral("10"));
            clica(dlg.buttonOK());
            stayedOpen = dlg.isVisible();
            QTRY_VERIFY(dlg.editData()->hasFocus());
            QCOMPARE(dlg.editDescricao()->text(), QStringLiteral("Feira"));
        });
        QVERIFY(stayedOpen);
        QCOMPARE(result, mrCancel);
        QCOMPARE(m_fx->interacao.messages, QStringList{QStringLiteral("Data inválida")});
        QVERIFY(m_fx->lancamentos().isEmpty());
    }

    void cancelNeverWrites_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("how"); // 0 Cancel button, 1 Escape, 2 close box
        for (const char *mode : {"NovoLancamento", "NovoPreenchido", "Edicao"}) {
            QTest::addRow("%s, Cancelar", mode) << QString::fromLatin1(mode) << 0;
            QTest::addRow("%s, Escape", mode) << QString::fromLatin1(mode) << 1;
            QTest::addRow("%s, close box", mode) << QString::fromLatin1(mode) << 2;
        }
    }

    void cancelNeverWrites()
    {
        QFETCH(QString, mode);
        QFETCH(int, how);
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Antes"), 1, -5.0);
        const QList<Lancamento> before = m_fx->lancamentos();
        TformIncluirValor &d = *m_fx->dialogo;
        if (mode == u"NovoPreenchido") {
            d.editData()->setText(QStringLiteral("01/03/2025"));
            d.editValor()->setText(QStringLiteral("7"));
        }
        bool closed = false;
        const Modo modo = mode == u"Edicao"           ? Modo::Edicao(id)
                          : mode == u"NovoPreenchido" ? Modo::NovoPreenchido
                                                      : Modo::NovoLancamento;
        const int result = executa(modo, [&](TformIncluirValor &dlg) {
            dlg.editDescricao()->setText(QStringLiteral("Depois"));
            dlg.editValor()->setText(QStringLiteral("99"));
            if (how == 0)
                clica(dlg.buttonSair());
            else if (how == 1)
                QTest::keyClick(dlg.editDescricao(), Qt::Key_Escape);
            else
                dlg.windowHandle()->close();
            closed = !dlg.isVisible();
        });
        QVERIFY(closed);
        QCOMPARE(result, mrCancel);
        const QList<Lancamento> after = m_fx->lancamentos();
        QCOMPARE(after.size(), before.size());
        QCOMPARE(after[0].descricao, QStringLiteral("Antes"));
        QCOMPARE(after[0].valor, -5.0);
    }

    void dateBoxEmptiedAtEveryClose_data()
    {
        QTest::addColumn<bool>("ok");
        QTest::newRow("after OK") << true;
        QTest::newRow("after Cancelar") << false;
    }

    void dateBoxEmptiedAtEveryClose()
    {
        QFETCH(bool, ok);
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            QCOMPARE(dlg.textoData(), QStringLiteral("10/03/2025"));
            clica(ok ? dlg.buttonOK() : dlg.buttonSair());
        });
        QCOMPARE(m_fx->dialogo->textoData(), Vazia);
        QCOMPARE(m_fx->lancamentos().size(), ok ? 1 : 0);
    }

    void failedSaveKeepsDialogAndTyping()
    {
        LocaleScope scope(QStringLiteral("en_US"));
        const QString file = m_fx->arquivoFin();
        const QString aside = file + QStringLiteral(".fora");
        bool stayedOpen = false;
        QString dateAfterFailure, descriptionAfterFailure, amountAfterFailure;
        const int result = executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            digitaData(dlg.editData(), QStringLiteral("08032025"));
            digita(dlg.editDescricao(), QStringLiteral("Farmácia"));
            digita(dlg.editValor(), QStringLiteral("42.10"));
            escolhe(dlg.comboCategoria(), 4);
            QVERIFY(QFile::rename(file, aside));
            clica(dlg.buttonOK());
            stayedOpen = dlg.isVisible();
            dateAfterFailure = dlg.textoData();
            descriptionAfterFailure = dlg.editDescricao()->text();
            amountAfterFailure = dlg.editValor()->text();
            QVERIFY(QFile::rename(aside, file));
            clica(dlg.buttonOK()); // the same typing saves once the table is back
        });
        QVERIFY(stayedOpen);
        QCOMPARE(m_fx->interacao.errors.size(), 1);
        QVERIFY2(m_fx->interacao.errors[0].contains(QFileInfo(file).fileName(), Qt::CaseInsensitive),
                 qPrintable(m_fx->interacao.errors[0]));
        QCOMPARE(dateAfterFailure, QStringLiteral("08/03/2025"));
        QCOMPARE(descriptionAfterFailure, QStringLiteral("Farmácia"));
        QCOMPARE(amountAfterFailure, QStringLiteral("42.10"));
        QCOMPARE(result, mrOk);
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].valor, -42.1);
        QCOMPARE(rows[0].categoria, 5);
    }

    void lockedTableKeepsDialog()
    {
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Antes"), 1, -5.0);
        const QString connection = QStringLiteral("outra_sessao");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            other.setDatabaseName(m_fx->arquivoFin());
            QVERIFY(other.open());
            QSqlQuery lock(other);
            QVERIFY2(lock.exec(QStringLiteral("BEGIN IMMEDIATE")), qPrintable(lock.lastError().text()));

            bool stayedOpen = false;
            executa(Modo::Edicao(id), [&](TformIncluirValor &dlg) {
                dlg.editValor()->setText(QStringLiteral("77"));
                clica(dlg.buttonOK());
                stayedOpen = dlg.isVisible();
            });
            QVERIFY(stayedOpen);
            QCOMPARE(m_fx->interacao.errors.size(), 1);
            QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
            other.close();
        }
        QSqlDatabase::removeDatabase(connection);
        const QList<Lancamento> rows = m_fx->lancamentos();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].valor, -5.0);
    }

    void failedEditSaveKeepsDialogAndRow()
    {
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Antes"), 1, -5.0);
        const QString file = m_fx->arquivoFin();
        executa(Modo::Edicao(id), [&](TformIncluirValor &dlg) {
            QVERIFY(QFile::rename(file, file + QStringLiteral(".fora")));
            clica(dlg.buttonOK());
            QVERIFY(dlg.isVisible());
            QVERIFY(QFile::rename(file + QStringLiteral(".fora"), file));
            clica(dlg.buttonSair());
        });
        QCOMPARE(m_fx->interacao.errors.size(), 1);
        QCOMPARE(m_fx->lancamentos()[0].valor, -5.0);
    }

    void editOfVanishedRowClosesWithoutWriting()
    {
        const qint64 id = m_fx->insere(Hoje, QStringLiteral("Fica"), 1, -5.0);
        TformIncluirValor &d = *m_fx->dialogo;
        const int result = d.executa(Modo::Edicao(id + 100)); // closes by itself after the error
        QCOMPARE(result, mrCancel);
        QCOMPARE(m_fx->interacao.errors.size(), 1);
        QCOMPARE(m_fx->lancamentos().size(), 1);
    }

    void extraWorkInSameTransaction_data()
    {
        QTest::addColumn<bool>("prefilled");
        QTest::addColumn<bool>("fails");
        QTest::newRow("new entry, both stored") << false << false;
        QTest::newRow("prefilled, failing: neither stored") << true << true;
    }

    void extraWorkInSameTransaction()
    {
        QFETCH(bool, prefilled);
        QFETCH(bool, fails);
        bool ranInside = false;
        bool stayedOpen = false;
        executa(prefilled ? Modo::NovoPreenchido : Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            dlg.editData()->setText(QStringLiteral("10/03/2025"));
            dlg.editValor()->setText(QStringLiteral("5"));
            // The plan is written through the program's own component, as
            // the due-entry check writes it.
            dlg.setTrabalhoNaMesmaTransacao({loginContext().DFinTableName}, [&] {
                // The row is already written when the extra work runs.
                m_fx->dados->TableDFin.insert({0, QDate(2025, 4, 10), QStringLiteral("Aluguel"), 4, -900, 10});
                ranInside = true;
                if (fails)
                    throw Error(QStringLiteral("falha no plano"));
            });
            clica(dlg.buttonOK());
            stayedOpen = dlg.isVisible();
        });
        QVERIFY(ranInside);
        QCOMPARE(stayedOpen, fails);
        QCOMPARE(m_fx->interacao.errors, fails ? QStringList{QStringLiteral("falha no plano")} : QStringList());
        QCOMPARE(m_fx->lancamentos().size(), fails ? 0 : 1);
        QCOMPARE(m_fx->plano().size(), fails ? 0 : 1);
    }

    void extraWorkClearedAtClose()
    {
        int runs = 0;
        executa(Modo::NovoLancamento, [&](TformIncluirValor &dlg) {
            dlg.setTrabalhoNaMesmaTransacao({loginContext().DFinTableName}, [&] { ++runs; });
            clica(dlg.buttonSair());
        });
        executa(Modo::NovoLancamento, [](TformIncluirValor &dlg) { clica(dlg.buttonOK()); });
        QCOMPARE(runs, 0);
        QCOMPARE(m_fx->lancamentos().size(), 1);
    }

private:
    // Shows the dialog in \a mode and runs \a body while it is open; a
    // dialog still open afterwards is cancelled. Returns the modal result.
    int executa(Modo mode, const std::function<void(TformIncluirValor &)> &body)
    {
        TformIncluirValor &dialogo = *m_fx->dialogo;
        const auto watch = quandoModal([&](QWidget *modal) {
            if (modal == &dialogo)
                body(dialogo);
            if (dialogo.isVisible())
                dialogo.done(mrCancel);
        });
        const int result = dialogo.executa(mode);
        [&] { QVERIFY2(watch->ran(), "the dialog never became the modal window"); }();
        return result;
    }

    std::unique_ptr<Livro> m_fx;
};

QTEST_MAIN(TestIncluiValor)
#include "test_inclui_valor.moc"
