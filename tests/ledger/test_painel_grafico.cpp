// The chart tab: the nine sums of a refresh and what they show, the look of
// the tab, the user's pick of a period and failures.
#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "app/forms.h"
#include "app/login_context.h"
#include "app/montagem_janela.h"
#include "controls/cores.h"
#include "data/cofrel_dados.h"
#include "ledger/cores_fatias.h"
#include "ledger/grafico_pizza.h"
#include "ledger/painel_grafico.h"
#include "support/livro.h"

#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace cofrel;
using namespace cofrel::test;

namespace {

const QDate Hoje(2025, 3, 10);

const QList<int> DiasDosPeriodos = {5, 10, 15, 31, 62, 186, 366, 731};
constexpr int ItemCompleto = 8;

struct Fatia {
    double valor;
    QString rotulo;
    TColor cor;
};

QList<Fatia> fatias(const GraficoPizza &chart)
{
    QList<Fatia> list;
    for (qsizetype i = 0; i < chart.sliceCount(); ++i)
        list.append({chart.sliceValue(i), chart.sliceLabel(i), chart.sliceColor(i)});
    return list;
}

QString categoria(int numero)
{
    return NomesCategorias().at(numero - 1);
}

QString textoDe(double valor)
{
    return FormatValor(valor);
}

QColor corDoTexto(const QLineEdit &edit)
{
    return edit.palette().color(QPalette::Active, QPalette::Text);
}

void pintaTexto(QLineEdit &edit, TColor cor)
{
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Text, toQColor(cor));
    edit.setPalette(palette);
}

int conta(const QImage &image, const QRect &area, const QColor &cor)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFF) == (cor.rgb() & 0xFFFFFF);
    return n;
}

// The panel refreshed for period \a item beside an empty balance box, as
// the chart tab refreshes it.
void atualizaNoPeriodo(PainelGrafico &painel, int item)
{
    painel.comboPeriodoGrafico->setCurrentIndex(item);
    const QLineEdit saldo;
    painel.atualiza(saldo);
}

} // namespace

class TestPainelGrafico final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registraFontes();
        QVERIFY(loginContext().CategoryNames.isEmpty());
    }

    void controlsOfTheTab()
    {
        PainelGrafico painel;
        QCOMPARE(painel.objectName(), u"panelGrafico"_s);
        QCOMPARE(painel.size(), QSize(489, 269));
        QCOMPARE(painel.frameShape(), QFrame::Box);
        QCOMPARE(painel.frameShadow(), QFrame::Sunken);

        QCOMPARE(painel.Label2->text(), u"Despesas no período:"_s);
        QVERIFY(painel.Label2->alignment() & Qt::AlignRight);
        QCOMPARE(painel.Label2->geometry().right() + 1, 8 + 105);
        QVERIFY(painel.Label2->x() <= 8);

        QComboBox &combo = *painel.comboPeriodoGrafico;
        QCOMPARE(combo.objectName(), u"comboPeriodoGrafico"_s);
        QCOMPARE(combo.geometry(), QRect(115, 6, 76, 21));
        QVERIFY(!combo.isEditable());
        const QStringList itens = {u"05 dias"_s, u"10 dias"_s, u"15 dias"_s, u"01 mês"_s, u"02 meses"_s,
                                   u"06 meses"_s, u"01 ano"_s, u"02 anos"_s, u"Completo"_s};
        QCOMPARE(combo.count(), itens.size());
        for (int i = 0; i < itens.size(); ++i)
            QCOMPARE(combo.itemText(i), itens[i]);

        QCOMPARE(painel.editDespesas->objectName(), u"editDespesas"_s);
        QCOMPARE(painel.editDespesas->geometry(), QRect(192, 6, 84, 21));
        QVERIFY(painel.editDespesas->isReadOnly());
        QCOMPARE(corDoTexto(*painel.editDespesas), toQColor(clRed));
        QVERIFY(painel.editDespesas->text().isEmpty());

        QCOMPARE(painel.labelSaldo2->objectName(), u"labelSaldo2"_s);
        QVERIFY(painel.labelSaldo2->alignment() & Qt::AlignRight);
        QCOMPARE(painel.labelSaldo2->geometry().right() + 1, 395);
        QCOMPARE(painel.labelSaldo2->y(), 10);

        QCOMPARE(painel.editReceita->objectName(), u"editReceita"_s);
        QCOMPARE(painel.editReceita->geometry(), QRect(399, 6, 81, 21));
        QVERIFY(painel.editReceita->isReadOnly());
        QVERIFY(painel.editReceita->text().isEmpty());

        QVERIFY(painel.Chart);
        QCOMPARE(painel.Chart->objectName(), u"Chart"_s);
        QCOMPARE(painel.Chart->parentWidget(), &painel);
        QCOMPARE(painel.Chart->geometry(), QRect(8, 32, 473, 228));
        QCOMPARE(painel.Chart->sliceCount(), 0);
        QCOMPARE(painel.Chart->backgroundColor(), clBtnFace);
    }

    void periodBounds_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<QDate>("inicio");
        for (int i = 0; i < DiasDosPeriodos.size(); ++i)
            QTest::addRow("item %d (%d days)", i, DiasDosPeriodos[i]) << i << Hoje.addDays(-DiasDosPeriodos[i]);
        QTest::newRow("Completo") << ItemCompleto << QDate(1899, 12, 30);
        // Month ends do not matter: fixed day counts from any today.
        QTest::newRow("01 mês from 31/03") << 3 << QDate(2025, 3, 31).addDays(-31);
    }

    void periodBounds()
    {
        QFETCH(int, item);
        QFETCH(QDate, inicio);
        const QDate hoje = QTest::currentDataTag() == QByteArray("01 mês from 31/03") ? QDate(2025, 3, 31) : Hoje;
        Livro livro(hoje);
        // Each amount a power of two, so the sum says which rows counted.
        const int c = item % 8 + 1;
        livro.insere(inicio, u"x"_s, c, -1.0);            // the first day: counts
        livro.insere(inicio.addDays(-1), u"x"_s, c, -2.0); // the day before: does not
        livro.insere(hoje, u"x"_s, c, -4.0);              // today: counts
        livro.insere(hoje.addDays(1), u"x"_s, c, -8.0);    // tomorrow: never
        livro.insere(inicio.addDays(1), u"x"_s, c % 8 + 1, -16.0); // another category, inside

        PainelGrafico painel;
        atualizaNoPeriodo(painel, item);

        const QList<Fatia> got = fatias(*painel.Chart);
        QCOMPARE(got.size(), 2);
        const int primeira = qMin(c, c % 8 + 1);
        const int segunda = qMax(c, c % 8 + 1);
        QCOMPARE(got[0].rotulo, categoria(primeira));
        QCOMPARE(got[1].rotulo, categoria(segunda));
        QCOMPARE(got[c == primeira ? 0 : 1].valor, 1.0 + 4.0);
        QCOMPARE(got[c == primeira ? 1 : 0].valor, 16.0);
        QCOMPARE(painel.editDespesas->text(), textoDe(1.0 + 4.0 + 16.0));
    }

    void onlyDebitsCount()
    {
        Livro livro(Hoje);
        for (int c = 1; c <= 8; ++c)
            livro.insere(Hoje.addDays(-1), u"x"_s, c, 100.0 * c); // credits, also in "Trabalho"
        livro.insere(Hoje, u"x"_s, 6, -30.0);                   // a debit in "Trabalho"
        livro.insere(Hoje.addDays(1), u"x"_s, 3, -99.0);         // tomorrow

        PainelGrafico painel;
        atualizaNoPeriodo(painel, ItemCompleto);

        const QList<Fatia> got = fatias(*painel.Chart);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got[0].rotulo, u"Trabalho"_s);
        QCOMPARE(got[0].cor, clLime);
        QCOMPARE(got[0].valor, 30.0);
        QCOMPARE(painel.editDespesas->text(), u"30.00"_s);
    }

    void slicesInCategoryOrderWithFixedColours()
    {
        Livro livro(Hoje);
        livro.insere(Hoje, u"x"_s, 8, -5.0);   // "Outros" first in the ledger
        livro.insere(Hoje, u"x"_s, 3, -7.25);  // then "Lazer"
        PainelGrafico painel;
        atualizaNoPeriodo(painel, 0);

        QList<Fatia> got = fatias(*painel.Chart);
        QCOMPARE(got.size(), 2);
        QCOMPARE(got[0].rotulo, u"Lazer"_s);
        QCOMPARE(got[0].cor, clFuchsia);
        QCOMPARE(got[0].valor, 7.25);
        QCOMPARE(got[1].rotulo, u"Outros"_s);
        QCOMPARE(got[1].cor, clOlive);
        QCOMPARE(got[1].valor, 5.0);

        // Every category: its own colour, in category order.
        for (int c = 1; c <= 8; ++c)
            livro.insere(Hoje.addDays(-10 * c), u"x"_s, c, -1.0 * c);
        atualizaNoPeriodo(painel, ItemCompleto);
        got = fatias(*painel.Chart);
        QCOMPARE(got.size(), 8);
        for (int c = 1; c <= 8; ++c) {
            QCOMPARE(got[c - 1].rotulo, categoria(c));
            QCOMPARE(got[c - 1].cor, CoresFatias[size_t(c - 1)]);
        }
        QCOMPARE(got[2].valor, 7.25 + 3.0);
        QCOMPARE(got[7].valor, 5.0 + 8.0);
    }

    void sumsInCents_data()
    {
        QTest::addColumn<QList<double>>("debitos"); // all in "Moradia"
        QTest::addColumn<double>("fatia");          // 0: no slice
        QTest::addColumn<QString>("total");
        QTest::newRow("12.50 and 7.50") << QList<double>{-12.5, -7.5} << 20.0 << u"20.00"_s;
        QTest::newRow("float dust") << QList<double>{-0.1, -0.2} << 0.3 << u"0.30"_s;
        QTest::newRow("many tenths") << QList<double>(10, -0.1) << 1.0 << u"1.00"_s;
        QTest::newRow("under a cent") << QList<double>{-0.004} << 0.0 << u"0.00"_s;
        QTest::newRow("large") << QList<double>{-1234567.89, -0.11} << 1234568.0 << u"1234568.00"_s;
        QTest::newRow("beyond any box, from another program") << QList<double>{-1e308} << 1e308 << u"1e+308"_s;
    }

    void sumsInCents()
    {
        QFETCH(QList<double>, debitos);
        QFETCH(double, fatia);
        QFETCH(QString, total);
        Livro livro(Hoje);
        for (const double d : debitos)
            livro.insere(Hoje, u"x"_s, 4, d);
        PainelGrafico painel;
        atualizaNoPeriodo(painel, 3);

        if (fatia == 0.0) {
            QCOMPARE(painel.Chart->sliceCount(), 0);
        } else {
            QCOMPARE(painel.Chart->sliceCount(), 1);
            QCOMPARE(painel.Chart->sliceValue(0), fatia); // exactly, in cents
            QCOMPARE(painel.Chart->sliceLabel(0), u"Moradia"_s);
        }
        QCOMPARE(painel.editDespesas->text(), total);
    }

    void noDebitsShowZero()
    {
        Livro livro(Hoje);
        livro.insere(Hoje, u"x"_s, 1, 50.0);
        PainelGrafico painel;
        QCOMPARE(painel.labelSaldo2->text(), u"Saldo em:"_s);
        painel.comboPeriodoGrafico->setCurrentIndex(ItemCompleto);
        QLineEdit saldo;
        saldo.setText(u"50.00"_s);
        painel.atualiza(saldo);

        QCOMPARE(painel.Chart->sliceCount(), 0);
        QCOMPARE(painel.editDespesas->text(), u"0.00"_s);
        QCOMPARE(painel.labelSaldo2->text(), u"Saldo em "_s + FormatData(Hoje) + u':');
        QCOMPARE(painel.labelSaldo2->text(), u"Saldo em 10/03/2025:"_s);
        // The caption's end stays by the balance box as it grows.
        QCOMPARE(painel.labelSaldo2->geometry().right() + 1, 395);
        QVERIFY(painel.labelSaldo2->fontMetrics().horizontalAdvance(painel.labelSaldo2->text())
                <= painel.labelSaldo2->width());
        QCOMPARE(painel.editReceita->text(), u"50.00"_s);
    }

    void balanceCopiedWithItsColour()
    {
        Livro livro(Hoje);
        PainelGrafico painel;
        QLineEdit saldo;
        saldo.setText(u"-12.34"_s);
        pintaTexto(saldo, clRed);
        painel.atualiza(saldo);
        QCOMPARE(painel.editReceita->text(), u"-12.34"_s);
        QCOMPARE(corDoTexto(*painel.editReceita), toQColor(clRed));
        QCOMPARE(painel.editReceita->palette().color(QPalette::Inactive, QPalette::Text), toQColor(clRed));

        // A later statement refresh alone does not reach the tab ...
        saldo.setText(u"5.00"_s);
        pintaTexto(saldo, clWindowText);
        QCOMPARE(painel.editReceita->text(), u"-12.34"_s);
        // ... the next chart refresh does.
        painel.atualiza(saldo);
        QCOMPARE(painel.editReceita->text(), u"5.00"_s);
        QCOMPARE(corDoTexto(*painel.editReceita), toQColor(clWindowText));
        QVERIFY(corDoTexto(*painel.editReceita) != toQColor(clRed));
        // The total keeps its own red.
        QCOMPARE(corDoTexto(*painel.editDespesas), toQColor(clRed));
    }

    void refreshStartsOver()
    {
        Livro livro(Hoje);
        livro.insere(Hoje.addDays(-100), u"x"_s, 1, -10.0);
        livro.insere(Hoje.addDays(-40), u"x"_s, 2, -20.0);
        livro.insere(Hoje.addDays(-2), u"x"_s, 5, -40.0);
        PainelGrafico painel;
        QLineEdit saldo;
        painel.comboPeriodoGrafico->setCurrentIndex(ItemCompleto);
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceCount(), 3);
        QCOMPARE(painel.editDespesas->text(), u"70.00"_s);

        painel.comboPeriodoGrafico->setCurrentIndex(0);
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceCount(), 1);
        QCOMPARE(painel.Chart->sliceLabel(0), u"Saúde"_s);
        QCOMPARE(painel.editDespesas->text(), u"40.00"_s);

        // A debit added since, even with the tab hidden, shows at the next refresh.
        QVERIFY(!painel.isVisible());
        livro.insere(Hoje, u"x"_s, 7, -1.5);
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceCount(), 2);
        QCOMPARE(painel.Chart->sliceLabel(1), u"Transporte"_s);
        QCOMPARE(painel.Chart->sliceColor(1), clNavy);
        QCOMPARE(painel.editDespesas->text(), u"41.50"_s);
    }

    void categoryNamesFromLoginContext()
    {
        Livro livro(Hoje);
        livro.insere(Hoje, u"x"_s, 1, -1.0);
        livro.insere(Hoje, u"x"_s, 4, -2.0);
        PainelGrafico painel;
        QLineEdit saldo;
        const QStringList nomes = {u"Comida"_s, u"Escola"_s, u"Diversão"_s, u"Casa"_s,
                                   u"Médico"_s, u"Emprego"_s, u"Ônibus"_s, u"Demais"_s};
        loginContext().CategoryNames = nomes;
        painel.atualiza(saldo);
        loginContext().CategoryNames.clear();

        QCOMPARE(painel.Chart->sliceCount(), 2);
        QCOMPARE(painel.Chart->sliceLabel(0), u"Comida"_s);
        QCOMPARE(painel.Chart->sliceLabel(1), u"Casa"_s);
        QCOMPARE(painel.Chart->sliceColor(1), clGray);

        // Empty list (no entry dialog made yet): the program's own captions.
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceLabel(0), u"Alimentação"_s);
        QCOMPARE(painel.Chart->sliceLabel(1), u"Moradia"_s);
    }

    void userPickSignalsOnlyForUser()
    {
        PainelGrafico painel;
        QSignalSpy escolhas(&painel, &PainelGrafico::periodoEscolhido);
        painel.comboPeriodoGrafico->setCurrentIndex(3); // by program
        QCOMPARE(escolhas.count(), 0);

        painel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&painel));
        painel.comboPeriodoGrafico->setFocus();
        QTest::keyClick(painel.comboPeriodoGrafico, Qt::Key_Down);
        QCOMPARE(painel.comboPeriodoGrafico->currentIndex(), 4);
        QCOMPARE(escolhas.count(), 1);
        QTest::keyClick(painel.comboPeriodoGrafico, Qt::Key_End);
        QCOMPARE(painel.comboPeriodoGrafico->currentText(), u"Completo"_s);
        QCOMPARE(escolhas.count(), 2);
    }

    void engineErrorKeepsBoxes()
    {
        Livro livro(Hoje);
        livro.insere(Hoje, u"x"_s, 2, -9.0);
        PainelGrafico painel;
        QLineEdit saldo;
        saldo.setText(u"1.00"_s);
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceCount(), 1);
        const QString despesas = painel.editDespesas->text();
        const QString rotulo = painel.labelSaldo2->text();

        const QString arquivoCerto = loginContext().FinTableName;
        loginContext().FinTableName = u"f999.db"_s; // no such file
        saldo.setText(u"2.00"_s);
        bool falhou = false;
        try {
            painel.atualiza(saldo);
        } catch (const Error &e) {
            falhou = true;
            QVERIFY2(e.message().contains(u"f999"_s, Qt::CaseInsensitive), qPrintable(e.message()));
        }
        loginContext().FinTableName = arquivoCerto;
        QVERIFY(falhou);
        QCOMPARE(painel.Chart->sliceCount(), 0); // removed before the first sum
        QCOMPARE(painel.editDespesas->text(), despesas);
        QCOMPARE(painel.labelSaldo2->text(), rotulo);
        QCOMPARE(painel.editReceita->text(), u"1.00"_s);

        // The next refresh starts over.
        painel.atualiza(saldo);
        QCOMPARE(painel.Chart->sliceCount(), 1);
        QCOMPARE(painel.editReceita->text(), u"2.00"_s);
    }

    void withoutDataModuleFails()
    {
        clock::FixedNow relogio(Hoje);
        PainelGrafico painel;
        QLineEdit saldo;
        QVERIFY(!forms().Dados);
        QVERIFY_THROWS_EXCEPTION(Error, painel.atualiza(saldo));
    }

    void rendersTheTab()
    {
        Livro livro(Hoje);
        const QList<std::pair<int, double>> debitos = {{1, -320.0}, {3, -85.5}, {4, -1200.0},
                                                       {6, -60.0},  {7, -140.0}, {8, -35.0}};
        double total = 0;
        for (qsizetype i = 0; i < debitos.size(); ++i) {
            livro.insere(Hoje.addDays(-3 * i), u"x"_s, debitos[i].first, debitos[i].second);
            total -= debitos[i].second;
        }
        livro.insere(Hoje.addDays(-2), u"x"_s, 6, 5000.0);

        PainelGrafico painel;
        painel.comboPeriodoGrafico->setCurrentIndex(3);
        QLineEdit saldo;
        saldo.setText(u"3159.50"_s);
        pintaTexto(saldo, clWindowText);
        painel.atualiza(saldo);
        painel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&painel));

        const QImage image = painel.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image.size(), QSize(489, 269));
        QDir().mkpath(QStringLiteral(COFREL_SHOTS_DIR));
        QVERIFY(image.save(QStringLiteral(COFREL_SHOTS_DIR "/painel_grafico.png")));

        // Every slice's colour inside the chart's area, none outside it.
        const QRect chartArea = painel.Chart->geometry();
        for (qsizetype i = 0; i < painel.Chart->sliceCount(); ++i) {
            const QColor cor = toQColor(painel.Chart->sliceColor(i));
            QVERIFY2(conta(image, chartArea, cor) > 20, qPrintable(painel.Chart->sliceLabel(i)));
        }
        QCOMPARE(conta(image, QRect(0, 0, 489, 30), toQColor(clLime)), 0);
        // The total in red, the balance not.
        QVERIFY(conta(image, painel.editDespesas->geometry(), toQColor(clRed)) > 0);
        QCOMPARE(conta(image, painel.editReceita->geometry(), toQColor(clRed)), 0);
        QCOMPARE(painel.Chart->sliceCount(), debitos.size());
        QCOMPARE(painel.editDespesas->text(), FormatValor(total));
    }

};

QTEST_MAIN(TestPainelGrafico)
#include "test_painel_grafico.moc"
