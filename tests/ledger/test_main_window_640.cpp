// Runs on a 640 x 480 screen (see ledger.cmake): the main window sits at the
// top edge, centred horizontally, instead of in the middle of the screen.
#include "support/livro.h"

#include "ledger/cofrel_main.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>

using namespace cofrel::test;

class TestMainWindow640 final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sitsAtTheTopEdge()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 640, 480));
        Livro fx(QDate(2025, 3, 10), Livro::Principal);
        QCOMPARE(fx.janela->pos(), QPoint((640 - 497) / 2, 0));
        fx.janela->show();
        QVERIFY(QTest::qWaitForWindowExposed(fx.janela));
        QCOMPARE(fx.janela->frameGeometry().top(), 0);
        QCOMPARE(fx.janela->frameGeometry().left(), 71);
        fx.interacao.defaultAnswer = true;
    }
};

QTEST_MAIN(TestMainWindow640)
#include "test_main_window_640.moc"
