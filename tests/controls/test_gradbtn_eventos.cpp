// How the gradient button answers the mouse, the space bar and its
// mnemonic, driven through the window system as a person would.

#include "test_gradbtn_apoio.h"

#include "app/montagem_janela.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "support/scripted_interaction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QTest>
#include <QTimer>

#include <stdexcept>

using namespace cofrel;
using namespace gradbtn_test;

namespace {

// One window with the button under test, a line edit and a plain
// focusable widget, shown and active.
struct Scene {
    std::unique_ptr<QWidget> window = shownWindow();
    TGradBtn *button = nullptr;
    QLineEdit *edit = nullptr;
    TGradBtn *other = nullptr;
    Recorder *recorder = nullptr;

    explicit Scene(const QString &caption = QStringLiteral("&Entrar"))
    {
        button = criaBotaoCofrel(window.get(), QStringLiteral("buttonEntrar"), caption,
                                 QRect(20, 20, 84, 23));
        edit = new QLineEdit(window.get());
        edit->setGeometry(20, 60, 100, 21);
        other = criaBotaoCofrel(window.get(), QStringLiteral("buttonSair"), QStringLiteral("&Sair"),
                                QRect(150, 20, 75, 23));
        recorder = new Recorder(button);
    }

    QWindow *handle() const { return window->windowHandle(); }
    // A point of the button in window coordinates.
    QPoint at(int x, int y) const { return button->mapTo(window.get(), QPoint(x, y)); }
    QPoint inside() const { return at(30, 10); }
    QPoint outside() const { return QPoint(200, 100); }
};

// Closes the popup menu as soon as it shows, noting where it showed.
void closeMenuWhenShown(QPoint *shownAt, bool *shown)
{
    QTimer::singleShot(0, [shownAt, shown] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            *shown = true;
            *shownAt = popup->pos();
            popup->close();
        } else {
            closeMenuWhenShown(shownAt, shown);
        }
    });
}

} // namespace

class TestGradBtnEventos final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registraFontes();
    }

    void leftClickInside()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(!scene.button->IsUp());
        QVERIFY(scene.button->MouseIsDown());
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.recorder->presses(),
                 QStringList({QStringLiteral("down L 30 10"), QStringLiteral("click"), QStringLiteral("up L 30 10")}));
        QVERIFY(scene.recorder->shiftOf(QStringLiteral("down")).testFlag(TGradBtn::ssLeft));
        QVERIFY(!scene.recorder->shiftOf(QStringLiteral("down")).testFlag(TGradBtn::ssDouble));
        QVERIFY(!scene.recorder->shiftOf(QStringLiteral("up")).testFlag(TGradBtn::ssLeft));
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        QVERIFY(!scene.button->ClickHandled());
    }

    void raisedFacePaintedBeforeClickHandler()
    {
        Scene scene;
        scene.button->setBtnHiliteClr(clWhite);
        scene.button->setBtnShadowClr(clBlack);
        QVERIFY(showAndActivate(scene.window.get()));
        bool upWhenClicked = false;
        QRgb cornerWhenClicked = 0;
        bool handledWhenClicked = false;
        connect(scene.button, &TGradBtn::clicked, scene.button, [&] {
            upWhenClicked = scene.button->IsUp();
            cornerWhenClicked = scene.button->FaceBitmap().pixel(0, 0);
            handledWhenClicked = scene.button->ClickHandled();
        });
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QTRY_COMPARE(scene.button->FaceBitmap().pixel(0, 0), qRgb(0, 0, 0)); // held: shadow on top
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(upWhenClicked);
        QVERIFY(handledWhenClicked);
        QCOMPARE(cornerWhenClicked, qRgb(255, 255, 255)); // raised face already painted
    }

    void pendingEventsRunBeforeClickHandler()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        bool pendingRan = false;
        bool pendingRanBeforeClick = false;
        // Queue work just as the release arrives: DoClick must run it first.
        struct Poster final : QObject {
            bool *flag;
            explicit Poster(bool *f) : flag(f) {}
            bool eventFilter(QObject *, QEvent *event) override
            {
                if (event->type() == QEvent::MouseButtonRelease)
                    QMetaObject::invokeMethod(this, [this] { *flag = true; }, Qt::QueuedConnection);
                return false;
            }
        } poster(&pendingRan);
        scene.button->installEventFilter(&poster);
        connect(scene.button, &TGradBtn::clicked, scene.button, [&] { pendingRanBeforeClick = pendingRan; });
        QTest::mouseClick(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(pendingRanBeforeClick);
        scene.button->removeEventFilter(&poster);
    }

    void releaseOutsideDoesNotClick()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(!scene.button->IsUp());
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.outside());
        const QPoint local = scene.button->mapFrom(scene.window.get(), scene.outside());
        // The pointer leaves the button on its way to the release point: the
        // face comes up then, and the release itself clicks nothing.
        QCOMPARE(scene.recorder->presses(),
                 QStringList({QStringLiteral("down L 30 10"), QStringLiteral("up L 0 0"),
                              QStringLiteral("up L %1 %2").arg(local.x()).arg(local.y())}));
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
    }

    void dragOffAndBack()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mouseMove(scene.handle(), scene.inside());
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QTest::mouseMove(scene.handle(), scene.outside());
        QVERIFY(scene.button->IsUp());
        QCOMPARE(scene.recorder->presses().last(), QStringLiteral("up L 0 0"));
        QTest::mouseMove(scene.handle(), scene.at(40, 12));
        QVERIFY(!scene.button->IsUp());
        QCOMPARE(scene.recorder->presses().last(), QStringLiteral("down L 0 0"));
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.at(40, 12));
        QCOMPARE(scene.recorder->presses(),
                 QStringList({QStringLiteral("down L 30 10"), QStringLiteral("up L 0 0"), QStringLiteral("down L 0 0"),
                              QStringLiteral("click"), QStringLiteral("up L 40 12")}));
        QVERIFY(scene.button->IsUp());
    }

    void dragOffAndReleaseOutside()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mouseMove(scene.handle(), scene.inside());
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QTest::mouseMove(scene.handle(), scene.outside());
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.outside());
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 0);
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        // Coming back with no button held neither presses nor clicks.
        scene.recorder->clear();
        QTest::mouseMove(scene.handle(), scene.inside());
        QCOMPARE(scene.recorder->presses(), QStringList());
    }

    void rightButton()
    {
        Scene scene;
        scene.button->setSwapColors(true);
        QVERIFY(showAndActivate(scene.window.get()));
        scene.edit->setFocus();
        QTRY_VERIFY(scene.edit->hasFocus());
        QTest::mousePress(scene.handle(), Qt::RightButton, {}, scene.inside());
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down R 30 10")}));
        QVERIFY(scene.recorder->shiftOf(QStringLiteral("down")).testFlag(TGradBtn::ssRight));
        QVERIFY(scene.button->IsUp());
        QVERIFY(scene.button->MouseIsDown());
        QVERIFY(scene.button->hasFocus());
        QCOMPARE(scene.button->BeginColor(), CorBotao);
        QCOMPARE(scene.button->EndColor(), clNavy);
        QTest::mouseRelease(scene.handle(), Qt::RightButton, {}, scene.inside());
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down R 30 10"), QStringLiteral("up R 30 10")}));
        QVERIFY(!scene.button->MouseIsDown());
        QCOMPARE(scene.button->BeginColor(), CorBotao);
    }

    void rightButtonOffersPopupMenu()
    {
        Scene scene;
        QMenu context;
        context.addAction(QStringLiteral("Um"));
        scene.button->setPopupMenu(&context);
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mousePress(scene.handle(), Qt::RightButton, {}, scene.inside());
        QVERIFY(QApplication::activePopupWidget() == nullptr);
        QTest::mouseRelease(scene.handle(), Qt::RightButton, {}, scene.inside());
        QTRY_COMPARE(QApplication::activePopupWidget(), &context);
        context.close();
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 0);
    }

    void doubleClickDoesNotClickAgain()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        // Press, release, then a press the platform reports as a double click.
        QTest::mouseDClick(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 1);
        const QStringList events = scene.recorder->presses();
        QCOMPARE(events.mid(0, 3),
                 QStringList({QStringLiteral("down L 30 10"), QStringLiteral("click"), QStringLiteral("up L 30 10")}));
        QCOMPARE(events.last(), QStringLiteral("up L 30 10"));
        int doubles = 0;
        int doubleAt = -1;
        for (int i = 0; i < scene.recorder->shifts.size(); ++i)
            if (scene.recorder->shifts.at(i).testFlag(TGradBtn::ssDouble))
                ++doubles, doubleAt = i;
        QCOMPARE(doubles, 1);
        QVERIFY(scene.recorder->events.at(doubleAt).startsWith(QStringLiteral("down L")));
        QVERIFY(!scene.recorder->events.mid(doubleAt).contains(QStringLiteral("click")));
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        // The next ordinary click clicks again.
        QTest::mouseClick(scene.handle(), Qt::LeftButton, {}, scene.inside(), 1000);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 2);
    }

    void swapColorsWhileHeld()
    {
        Scene scene;
        scene.button->setSwapColors(true);
        QVERIFY(showAndActivate(scene.window.get()));
        const QRgb pale = rawRgb(CorBotao) | 0xFF000000u;
        const QRgb navy = rawRgb(clNavy) | 0xFF000000u;
        QTRY_COMPARE(scene.button->FaceBitmap().pixel(5, 3), pale);
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.button->BeginColor(), clNavy);
        QCOMPARE(scene.button->EndColor(), CorBotao);
        QTRY_COMPARE(scene.button->FaceBitmap().pixel(5, 3), navy);
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.outside());
        QCOMPARE(scene.button->BeginColor(), CorBotao);
        QCOMPARE(scene.button->EndColor(), clNavy);
        QTRY_COMPARE(scene.button->FaceBitmap().pixel(5, 3), pale);
        // Through a click the colours come back too.
        QTest::mouseClick(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.button->BeginColor(), CorBotao);
        QCOMPARE(scene.button->EndColor(), clNavy);
    }

    void pressTakesFocus()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        scene.edit->setFocus();
        QTRY_VERIFY(scene.edit->hasFocus());
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(scene.button->hasFocus());
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
    }

    void spaceBarWithAutoRepeat()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        scene.button->setFocus();
        QTRY_VERIFY(scene.button->hasFocus());
        auto *counter = new PaintCounter(scene.button);
        QTest::keyPress(scene.button, Qt::Key_Space);
        QVERIFY(!scene.button->IsUp());
        QTRY_VERIFY(counter->paints > 0);
        // Auto-repeat: another key-down (and, on X11, a release marked as
        // repeated) while the key stays down.
        QKeyEvent repeatRelease(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(scene.button, &repeatRelease);
        QKeyEvent repeatPress(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "), true);
        QApplication::sendEvent(scene.button, &repeatPress);
        QVERIFY(!scene.button->IsUp());
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down L 0 0"), QStringLiteral("down L 0 0")}));
        QTest::keyRelease(scene.button, Qt::Key_Space);
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down L 0 0"), QStringLiteral("down L 0 0"),
                                                         QStringLiteral("up L 0 0"), QStringLiteral("click")}));
        for (const TGradBtn::TShiftState &shift : scene.recorder->shifts.mid(0, 3))
            QCOMPARE(shift, TGradBtn::TShiftState(TGradBtn::ssLeft));
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        // A release with nothing pressed does not click.
        QTest::keyRelease(scene.button, Qt::Key_Space);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 1);
    }

    void enterAndEscapeDoNotClick_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("letter without mnemonic") << int(Qt::Key_Z);
    }

    void enterAndEscapeDoNotClick()
    {
        QFETCH(int, key);
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        scene.button->setFocus();
        QTRY_VERIFY(scene.button->hasFocus());
        QTest::keyClick(scene.button, Qt::Key(key));
        QCOMPARE(scene.recorder->presses(), QStringList());
        QVERIFY(scene.button->IsUp());
    }

    void mnemonic_data()
    {
        QTest::addColumn<QString>("focus"); // "button", "other", "edit"
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("state"); // "", "disabled", "hidden"
        QTest::addColumn<bool>("clicks");
        QTest::newRow("e on another button") << "other" << int(Qt::Key_E) << 0 << "" << true;
        QTest::newRow("E with shift") << "other" << int(Qt::Key_E) << int(Qt::ShiftModifier) << "" << true;
        QTest::newRow("e on itself") << "button" << int(Qt::Key_E) << 0 << "" << true;
        QTest::newRow("Alt+E") << "other" << int(Qt::Key_E) << int(Qt::AltModifier) << "" << true;
        QTest::newRow("Alt+E in the edit") << "edit" << int(Qt::Key_E) << int(Qt::AltModifier) << "" << true;
        QTest::newRow("e typed into the edit") << "edit" << int(Qt::Key_E) << 0 << "" << false;
        QTest::newRow("Ctrl+E") << "other" << int(Qt::Key_E) << int(Qt::ControlModifier) << "" << false;
        QTest::newRow("another letter") << "other" << int(Qt::Key_N) << 0 << "" << false;
        QTest::newRow("disabled") << "other" << int(Qt::Key_E) << 0 << "disabled" << false;
        QTest::newRow("disabled, Alt+E") << "other" << int(Qt::Key_E) << int(Qt::AltModifier) << "disabled"
                                         << false;
        QTest::newRow("hidden") << "other" << int(Qt::Key_E) << 0 << "hidden" << false;
    }

    void mnemonic()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, state);
        QFETCH(bool, clicks);
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        if (state == QLatin1String("disabled"))
            scene.button->setEnabled(false);
        if (state == QLatin1String("hidden"))
            scene.button->hide();
        QWidget *target = focus == QLatin1String("edit") ? static_cast<QWidget *>(scene.edit)
                          : focus == QLatin1String("button") ? static_cast<QWidget *>(scene.button)
                                                              : static_cast<QWidget *>(scene.other);
        target->setFocus();
        QTRY_VERIFY(target->hasFocus());
        int otherClicks = 0;
        connect(scene.other, &TGradBtn::clicked, scene.other, [&] { ++otherClicks; });
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(scene.recorder->presses(), clicks ? QStringList({QStringLiteral("click")}) : QStringList());
        QCOMPARE(otherClicks, 0);
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        if (focus == QLatin1String("edit") && modifiers == 0)
            QCOMPARE(scene.edit->text(), QStringLiteral("e"));
    }

    void mnemonicFollowsCaption()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        scene.other->setFocus();
        QTRY_VERIFY(scene.other->hasFocus());
        scene.button->setCaption(QStringLiteral("E&xcluir"));
        QTest::keyClick(scene.other, Qt::Key_E);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 0);
        QTest::keyClick(scene.other, Qt::Key_X);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 1);
        QTest::keyClick(scene.other, Qt::Key_X, Qt::AltModifier);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 2);
        // The other button answers its own.
        int otherClicks = 0;
        connect(scene.other, &TGradBtn::clicked, scene.other, [&] { ++otherClicks; });
        QTest::keyClick(scene.edit, Qt::Key_S, Qt::AltModifier);
        QCOMPARE(otherClicks, 1);
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 2);
    }

    void dropdownMenu()
    {
        Scene scene;
        QMenu menu;
        menu.addAction(QStringLiteral("Um"));
        scene.button->setDropdownMenu(&menu);
        QVERIFY(showAndActivate(scene.window.get()));
        QPoint shownAt;
        bool shown = false;
        bool upWhileOpen = true;
        QTimer::singleShot(0, [&] { upWhileOpen = scene.button->IsUp(); });
        closeMenuWhenShown(&shownAt, &shown);
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(shown);
        QVERIFY(!upWhileOpen);
        QCOMPARE(shownAt, scene.button->mapToGlobal(QPoint(0, scene.button->height())));
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down L 30 10"), QStringLiteral("up L 30 10")}));
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->MouseIsDown());
        QCOMPARE(scene.window->focusWidget(), scene.button);
        // The release that follows belongs to the menu: nothing more happens.
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("down L 30 10"), QStringLiteral("up L 30 10")}));
        QTRY_VERIFY(!scene.button->MenuShown());
        // Once the raised face is painted, the next press opens it again.
        shown = false;
        closeMenuWhenShown(&shownAt, &shown);
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside(), 1000);
        QVERIFY(shown);
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 0);
    }

    void noSecondMenuBeforeRaisedRepaint()
    {
        Scene scene;
        QMenu menu;
        menu.addAction(QStringLiteral("Um"));
        scene.button->setDropdownMenu(&menu);
        QVERIFY(showAndActivate(scene.window.get()));
        int menusShown = 0;
        connect(&menu, &QMenu::aboutToShow, &menu, [&] {
            ++menusShown;
            QTimer::singleShot(0, &menu, [&menu] { menu.close(); });
        });
        bool again = false;
        // Straight after the menu closes, before any repaint, press again.
        connect(scene.button, &TGradBtn::mouseUp, scene.button, [&] {
            if (again)
                return;
            again = true;
            QVERIFY(scene.button->MenuShown());
            scene.button->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
            scene.button->DoRelease(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
        });
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(menusShown, 1);
        QTRY_VERIFY(!scene.button->MenuShown());
    }

    void anotherWindowEndsThePress()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QVERIFY(!scene.button->IsUp());
        QWidget dialog;
        dialog.setGeometry(500, 300, 100, 50);
        QVERIFY(showAndActivate(&dialog));
        QTRY_VERIFY(scene.button->IsUp());
        QCOMPARE(scene.recorder->presses().last(), QStringLiteral("up L -1 -1"));
        QCOMPARE(scene.recorder->count(QStringLiteral("click")), 0);
        dialog.close();
        QVERIFY(showAndActivate(scene.window.get()));
        const int before = scene.recorder->presses().size();
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(scene.recorder->presses().size(), before);
    }

    void pointerEnterAndLeave()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        QTest::mouseMove(scene.handle(), scene.outside());
        scene.recorder->clear();
        QTest::mouseMove(scene.handle(), scene.inside());
        QTRY_COMPARE(scene.recorder->events, QStringList({QStringLiteral("enter")}));
        QTest::mouseMove(scene.handle(), scene.outside());
        QTRY_COMPARE(scene.recorder->events, QStringList({QStringLiteral("enter"), QStringLiteral("leave")}));
        QVERIFY(scene.recorder->senderWasButton);
        QVERIFY(scene.button->IsUp());
    }

    void failingClickHandlerLeavesButtonUsable()
    {
        test::ScriptedInteraction interaction;
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        connect(scene.button, &TGradBtn::clicked, scene.button,
                [] { throw std::runtime_error("falha no clique"); });
        QTest::mouseClick(scene.handle(), Qt::LeftButton, {}, scene.inside());
        QCOMPARE(interaction.errors.size(), 1);
        QVERIFY(scene.button->IsUp());
        QVERIFY(!scene.button->ClickHandled());
        QCOMPARE(scene.recorder->presses().last(), QStringLiteral("up L 30 10"));
        // A later press released outside still brings the face up.
        QTest::mousePress(scene.handle(), Qt::LeftButton, {}, scene.inside(), 1000);
        QTest::mouseRelease(scene.handle(), Qt::LeftButton, {}, scene.outside());
        QVERIFY(scene.button->IsUp());
        QCOMPARE(interaction.errors.size(), 1);
    }

    void doClickWithoutPressOnlyClicks()
    {
        Scene scene;
        QVERIFY(showAndActivate(scene.window.get()));
        auto *counter = new PaintCounter(scene.button);
        QCoreApplication::processEvents();
        counter->paints = 0;
        scene.button->DoClick();
        QCOMPARE(scene.recorder->presses(), QStringList({QStringLiteral("click")}));
        QCOMPARE(counter->paints, 0);
        QVERIFY(!scene.button->ClickHandled());
    }
};

QTEST_MAIN(TestGradBtnEventos)
#include "test_gradbtn_eventos.moc"
