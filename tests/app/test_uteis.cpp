#include "app/filtro_valor.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "support/locale_scope.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QLocale>
#include <QTest>

using namespace cofrel;
using cofrel::test::LocaleScope;

class TestUteis final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void formatValor_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("amount");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << "en_US" << 0.0 << "0.00";
        QTest::newRow("negative") << "en_US" << -12.5 << "-12.50";
        QTest::newRow("no thousands separator") << "en_US" << 1234.5 << "1234.50";
        QTest::newRow("comma separator") << "pt_BR" << 100.5 << "100,50";
        QTest::newRow("comma negative") << "pt_BR" << -1234567.891 << "-1234567,89";
        QTest::newRow("sum of cents that is zero") << "en_US" << (0.1 + 0.2 - 0.3) << "0.00";
        QTest::newRow("tiny negative is zero") << "en_US" << -0.0000000001 << "0.00";
        QTest::newRow("negative zero") << "en_US" << -0.0 << "0.00";
        QTest::newRow("one cent below zero") << "en_US" << -0.01 << "-0.01";
        QTest::newRow("rounds half cents away") << "en_US" << 2.675 + 1e-9 << "2.68";
        QTest::newRow("largest amount") << "pt_BR" << 9999999999999.99 << "9999999999999,99";
        QTest::newRow("huge, from another program") << "en_US" << -1e308 << "-1e+308";
        QTest::newRow("largest double") << "en_US" << 1.7976931348623157e308 << "1.79769313486232e+308";
    }

    void formatValor()
    {
        QFETCH(QString, locale);
        QFETCH(double, amount);
        QFETCH(QString, expected);
        LocaleScope scope(locale);
        QCOMPARE(FormatValor(amount), expected);
    }

    void leValor_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lido");
        QTest::addColumn<double>("expected");
        QTest::newRow("dot") << "en_US" << "100.5" << true << 100.5;
        QTest::newRow("comma") << "pt_BR" << "100,5" << true << 100.5;
        QTest::newRow("blanks around") << "pt_BR" << " 12,50 " << true << 12.5;
        QTest::newRow("separator first") << "en_US" << ".5" << true << 0.5;
        QTest::newRow("separator last") << "pt_BR" << "12," << true << 12.0;
        QTest::newRow("twelve digits") << "en_US" << "999999999999" << true << 999999999999.0;
        QTest::newRow("largest amount") << "en_US" << "9999999999999.99" << true << 9999999999999.99;
        QTest::newRow("empty is zero") << "pt_BR" << "" << true << 0.0;
        QTest::newRow("lone separator is zero") << "pt_BR" << "," << true << 0.0;
        QTest::newRow("dot under comma locale refused") << "pt_BR" << "1.234.5" << false << 0.0;
        QTest::newRow("second separator refused") << "en_US" << "1.2.3" << false << 0.0;
        QTest::newRow("letters refused") << "en_US" << "12abc" << false << 0.0;
        QTest::newRow("minus refused") << "en_US" << "-5" << false << 0.0;
        QTest::newRow("exponent refused") << "en_US" << "1e9" << false << 0.0;
        QTest::newRow("infinity refused") << "en_US" << "inf" << false << 0.0;
        QTest::newRow("nan refused") << "en_US" << "nan" << false << 0.0;
        QTest::newRow("huge exponent refused") << "en_US" << "1e999" << false << 0.0;
        QTest::newRow("as FormatValor shows a huge amount") << "en_US" << "1e+308" << false << 0.0;
        QTest::newRow("from ten to the 13th refused") << "en_US" << "10000000000000" << false << 0.0;
        QTest::newRow("too many digits refused") << "en_US" << QString(400, u'9') << false << 0.0;
    }

    void leValor()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, lido);
        QFETCH(double, expected);
        LocaleScope scope(locale);
        const std::optional<double> valor = LeValor(text);
        QCOMPARE(valor.has_value(), lido);
        if (lido)
            QCOMPARE(*valor, expected);
    }

    void filtroTecla_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("second separator refused") << "en_US" << "1.2.3" << "1.23";
        QTest::newRow("comma locale") << "pt_BR" << "12,5,0" << "12,50";
        QTest::newRow("dot refused under comma") << "pt_BR" << "12.5" << "125";
        QTest::newRow("minus and letters refused") << "en_US" << "-a1b2" << "12";
    }

    void filtroTecla()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        LocaleScope scope(locale);
        QLineEdit edit;
        instalaFiltroValor(&edit);
        QTest::keyClicks(&edit, typed);
        QCOMPARE(edit.text(), expected);
        // Control characters always pass: Backspace edits the box.
        QTest::keyClick(&edit, Qt::Key_Backspace);
        QCOMPARE(edit.text(), expected.left(expected.size() - 1));
        QCOMPARE(FiltroTeclaValor(QString(), QChar(13)), QChar(13));
        QVERIFY(FiltroTeclaValor(QStringLiteral("1"), QChar(u'x')).isNull());
    }

    void filtroTextoColado_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("cursor");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exponent refused") << "en_US" << "" << 0 << "1e308" << "";
        QTest::newRow("minus refused") << "en_US" << "" << 0 << "-5" << "";
        QTest::newRow("spelled infinity refused") << "en_US" << "" << 0 << "inf" << "";
        QTest::newRow("second separator refused") << "en_US" << "" << 0 << "1.2.3" << "";
        QTest::newRow("separator already in the box") << "pt_BR" << "12,5" << 0 << "3,4" << "12,5";
        QTest::newRow("grouping taken out") << "pt_BR" << "" << 0 << "1.234,56" << "1234,56";
        QTest::newRow("currency refused") << "pt_BR" << "" << 0 << "R$ 1.234,56" << "";
        QTest::newRow("blanks around trimmed") << "en_US" << "7" << 1 << "\t89\r\n" << "789";
        QTest::newRow("line break inside refused") << "en_US" << "7" << 1 << "8\n9" << "7";
        QTest::newRow("in the middle") << "en_US" << "15" << 1 << "2" << "125";
        QTest::newRow("letters in the middle refused") << "en_US" << "15" << 1 << "x2y" << "15";
    }

    // Pasted or dropped text is taken whole, or refused whole.
    void filtroTextoColado()
    {
        QFETCH(QString, locale);
        QFETCH(QString, before);
        QFETCH(int, cursor);
        QFETCH(QString, pasted);
        QFETCH(QString, expected);
        LocaleScope scope(locale);
        for (const bool dropped : {false, true}) {
            QLineEdit edit;
            edit.setMaxLength(12);
            edit.resize(200, 22);
            instalaFiltroValor(&edit);
            edit.setText(before);
            edit.setCursorPosition(cursor);
            if (dropped) {
                // Dropped at either end of the text, where the cursor stands.
                if (cursor != 0 && cursor != before.size())
                    continue;
                QMimeData mime;
                mime.setText(pasted);
                const QPoint at(cursor == 0 ? 0 : edit.width() - 1, edit.height() / 2);
                QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&edit, &enter);
                QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&edit, &drop);
            } else {
                edit.insert(pasted); // what paste() does with the clipboard's text
            }
            QVERIFY2(edit.text() == expected, qPrintable(edit.text() + (dropped ? u" (dropped)" : u" (pasted)")));
        }
    }

    void encodeDateSeguro_data()
    {
        QTest::addColumn<int>("day");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<QDate>("expected"); // invalid: refused
        QTest::newRow("leap February") << 31 << 2 << 2024 << QDate(2024, 2, 29);
        QTest::newRow("common February") << 31 << 2 << 2023 << QDate(2023, 2, 28);
        QTest::newRow("30 in February") << 30 << 2 << 2023 << QDate(2023, 2, 28);
        QTest::newRow("plain day") << 15 << 6 << 2023 << QDate(2023, 6, 15);
        QTest::newRow("April lacks 31") << 31 << 4 << 2025 << QDate(2025, 4, 30);
        QTest::newRow("31 exists") << 31 << 3 << 2025 << QDate(2025, 3, 31);
        QTest::newRow("month 13 refused") << 31 << 13 << 2025 << QDate();
        QTest::newRow("month 0 refused") << 5 << 0 << 2025 << QDate();
    }

    void encodeDateSeguro()
    {
        QFETCH(int, day);
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(QDate, expected);
        if (expected.isValid())
            QCOMPARE(EncodeDateSeguro(day, month, year), expected);
        else
            QVERIFY_THROWS_EXCEPTION(Error, EncodeDateSeguro(day, month, year));
    }

    void leData_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("plain") << "15/03/2024" << QDate(2024, 3, 15);
        QTest::newRow("blanks in the parts") << " 5/ 3/2024" << QDate(2024, 3, 5);
        QTest::newRow("31 February") << "31/02/2024" << QDate();
        QTest::newRow("empty mask") << "  /  /    " << QDate();
        QTest::newRow("letters") << "aa/bb/cccc" << QDate();
        QTest::newRow("too many parts") << "01/02/2024/5" << QDate();
        QTest::newRow("month 13") << "01/13/2024" << QDate();
        QTest::newRow("year zero") << "01/01/0000" << QDate();
    }

    void leData()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        LocaleScope scope(QStringLiteral("pt_BR"));
        const auto date = LeData(text);
        QCOMPARE(date.value_or(QDate()), expected);
    }

    void formatData()
    {
        {
            LocaleScope scope(QStringLiteral("pt_BR"));
            QCOMPARE(FormatData(QDate(2024, 3, 5)), QStringLiteral("05/03/2024"));
            QCOMPARE(FormatData(DataZero()), QStringLiteral("30/12/1899"));
        }
        {
            // The separator is the region's; the order stays day, month, year.
            LocaleScope scope(QStringLiteral("de_DE"));
            QCOMPARE(FormatData(QDate(2024, 3, 5)), QStringLiteral("05.03.2024"));
            QCOMPARE(LeData(QStringLiteral("05.03.2024")).value_or(QDate()), QDate(2024, 3, 5));
        }
    }

    void categoriesAndTypes()
    {
        QCOMPARE(NomesCategorias().size(), NumeroCategorias);
        QCOMPARE(NomesCategorias().at(0), QStringLiteral("Alimentação"));
        QCOMPARE(NomesCategorias().at(CategoriaTrabalho - 1), QStringLiteral("Trabalho"));
        QCOMPARE(NomesCategorias().at(7), QStringLiteral("Outros"));
        QCOMPARE(NomesTipos(), QStringList({QStringLiteral("Crédito"), QStringLiteral("Débito")}));
        for (int i = 0; i < NumeroCategorias; ++i)
            QCOMPARE(TipoParaCategoria(i), i == 5 ? TipoCredito : TipoDebito);
    }

    void espacos()
    {
        QCOMPARE(Espacos(0), QString());
        QCOMPARE(Espacos(-3), QString());
        QCOMPARE(Espacos(3), QStringLiteral("   "));
    }
};

QTEST_MAIN(TestUteis)
#include "test_uteis.moc"
