// An amount pasted or dropped into the amount box of either entry dialog is
// taken whole, or refused whole with the beep: never changed on the way in.
#include "support/livro.h"

#include "ledger/cofrel_inclui_valor.h"
#include "planning/cofrel_inclui_mes.h"

#include <QApplication>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

#include <algorithm>
#include <memory>

using namespace cofrel::test;
using namespace Qt::StringLiterals;

class TestColarValor final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_fx = std::make_unique<Livro>(QDate(2025, 3, 10), Livro::Planejamento, QString()); }
    void cleanup() { m_fx.reset(); }

    void colaInteiroOuRecusa_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("antes");  // typed into the box first
        QTest::addColumn<QString>("colado");
        QTest::addColumn<QString>("depois"); // the box afterwards; antes when refused
        const auto recusa = [](const char *nome, const QString &locale, const QString &antes, const QString &colado) {
            QTest::newRow(nome) << locale << antes << colado << antes;
        };
        QTest::newRow("an amount as typed") << "en_US" << "" << "12.50" << "12.50";
        QTest::newRow("blanks around trimmed") << "en_US" << "" << " 12.50\t\n" << "12.50";
        QTest::newRow("after what the box holds") << "en_US" << "12" << "34" << "1234";
        QTest::newRow("twelve characters, the box's limit") << "en_US" << "" << "123456789012" << "123456789012";
        QTest::newRow("Portuguese grouping") << "pt_BR" << "" << "1.234,56" << "1234,56";
        QTest::newRow("English grouping") << "en_US" << "" << "1,234.56" << "1234.56";
        QTest::newRow("grouping of millions") << "pt_BR" << "" << "1.234.567" << "1234567";
        recusa("a comma where the box takes a dot", u"en_US"_s, QString(), u"12,50"_s);
        recusa("a dot where the box takes a comma", u"pt_BR"_s, QString(), u"12.50"_s);
        recusa("an exponent", u"en_US"_s, QString(), u"1e9"_s);
        recusa("a minus sign", u"en_US"_s, QString(), u"-5"_s);
        recusa("a currency sign", u"pt_BR"_s, QString(), u"R$ 1.234,56"_s);
        recusa("a group separator out of place", u"pt_BR"_s, QString(), u"12.34,5"_s);
        recusa("a blank inside", u"en_US"_s, QString(), u"12 50"_s);
        recusa("more than the box holds", u"en_US"_s, QString(), u"123456789012345678"_s);
        recusa("more than is left in the box", u"en_US"_s, u"1234567890"_s, u"123"_s);
        recusa("a second decimal separator", u"pt_BR"_s, u"12,5"_s, u"3,4"_s);
    }

    void colaInteiroOuRecusa()
    {
        QFETCH(QString, locale);
        QFETCH(QString, antes);
        QFETCH(QString, colado);
        QFETCH(QString, depois);
        LocaleScope scope(locale);
        const bool recusado = depois == antes;
        m_fx->dialogo->setEntryMode(TformIncluirValor::EntryMode::NovoLancamento);
        for (QDialog *dialogo : {static_cast<QDialog *>(m_fx->dialogo), static_cast<QDialog *>(m_fx->incluiMes)}) {
            dialogo->show();
            QVERIFY(QTest::qWaitForWindowActive(dialogo));
            QLineEdit *valor = dialogo->findChild<QLineEdit *>(u"editValor"_s);
            QVERIFY(valor);
            for (const QString &como : {u"Ctrl+V"_s, u"the menu's paste"_s, u"a drop"_s}) {
                reescreve(valor, antes);
                QCOMPARE(valor->text(), antes);
                const int bipes = m_fx->interacao.beeps;
                QApplication::clipboard()->setText(colado);
                if (como == u"a drop"_s) {
                    // Dropped at the end of the text.
                    QMimeData mime;
                    mime.setText(colado);
                    const QPoint em(valor->width() - 2, valor->height() / 2);
                    QDragEnterEvent entra(em, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(valor, &entra);
                    QDropEvent solta(em, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
                    QApplication::sendEvent(valor, &solta);
                } else if (como == u"Ctrl+V"_s) {
                    QTest::keyClick(valor, Qt::Key_V, Qt::ControlModifier);
                } else {
                    QContextMenuEvent menu(QContextMenuEvent::Mouse, valor->rect().center(),
                                           valor->mapToGlobal(valor->rect().center()));
                    QApplication::sendEvent(valor, &menu);
                    QWidget *aberto = nullptr;
                    QTRY_VERIFY((aberto = QApplication::activePopupWidget()));
                    const QList<QAction *> acoes = aberto->actions();
                    const auto colar = std::find_if(acoes.cbegin(), acoes.cend(), [](const QAction *a) {
                        return a->text().startsWith(QLineEdit::tr("&Paste"));
                    });
                    QVERIFY(colar != acoes.cend());
                    aberto->close();
                    (*colar)->trigger();
                }
                const QString onde = como + u" in "_s + dialogo->objectName();
                QVERIFY2(valor->text() == depois, qPrintable(valor->text() + u", "_s + onde));
                QVERIFY2(m_fx->interacao.beeps == bipes + (recusado ? 1 : 0), qPrintable(onde));
            }
            dialogo->reject();
        }
    }

private:
    std::unique_ptr<Livro> m_fx;
};

QTEST_MAIN(TestColarValor)
#include "test_colar_valor.moc"
