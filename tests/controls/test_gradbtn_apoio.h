#pragma once

// Helpers shared by the gradient button tests: a shown window holding the
// button, paint counting, and the button's signals recorded in order.

#include "controls/GradBtn.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QWidget>

#include <memory>

namespace gradbtn_test {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
public:
    explicit PaintCounter(QWidget *widget)
        : QObject(widget)
    {
        widget->installEventFilter(this);
    }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The button's signals as text, in the order they fired:
// "down L 0 0", "click", "up L 10 5", "enter", "leave".
class Recorder final : public QObject {
public:
    explicit Recorder(TGradBtn *button)
        : QObject(button)
    {
        QObject::connect(button, &TGradBtn::mouseDown, this,
                         [this](Qt::MouseButton b, TGradBtn::TShiftState s, int x, int y) {
                             events << QStringLiteral("down %1 %2 %3").arg(name(b)).arg(x).arg(y);
                             shifts << s;
                         });
        QObject::connect(button, &TGradBtn::mouseUp, this,
                         [this](Qt::MouseButton b, TGradBtn::TShiftState s, int x, int y) {
                             events << QStringLiteral("up %1 %2 %3").arg(name(b)).arg(x).arg(y);
                             shifts << s;
                         });
        QObject::connect(button, &TGradBtn::clicked, this, [this] {
            events << QStringLiteral("click");
            shifts << TGradBtn::TShiftState();
        });
        QObject::connect(button, &TGradBtn::mouseEnter, this, [this, button] {
            events << QStringLiteral("enter");
            shifts << TGradBtn::TShiftState();
            senderWasButton = senderWasButton && sender() == button;
        });
        QObject::connect(button, &TGradBtn::mouseLeave, this, [this, button] {
            events << QStringLiteral("leave");
            shifts << TGradBtn::TShiftState();
            senderWasButton = senderWasButton && sender() == button;
        });
    }

    // The events without pointer enter and leave.
    QStringList presses() const
    {
        QStringList out;
        for (const QString &e : events)
            if (e != QLatin1String("enter") && e != QLatin1String("leave"))
                out << e;
        return out;
    }
    int count(const QString &prefix) const
    {
        int n = 0;
        for (const QString &e : events)
            n += e.startsWith(prefix) ? 1 : 0;
        return n;
    }
    // The shift state of the first event starting with \a prefix.
    TGradBtn::TShiftState shiftOf(const QString &prefix) const
    {
        for (int i = 0; i < events.size(); ++i)
            if (events.at(i).startsWith(prefix))
                return shifts.at(i);
        return {};
    }
    void clear()
    {
        events.clear();
        shifts.clear();
    }

    QStringList events;
    QList<TGradBtn::TShiftState> shifts;
    bool senderWasButton = true;

private:
    static QString name(Qt::MouseButton b)
    {
        switch (b) {
        case Qt::LeftButton:
            return QStringLiteral("L");
        case Qt::RightButton:
            return QStringLiteral("R");
        case Qt::MiddleButton:
            return QStringLiteral("M");
        default:
            return QStringLiteral("?");
        }
    }
};

// A top-level window of 300 × 120 at a fixed place, shown and active.
inline std::unique_ptr<QWidget> shownWindow()
{
    auto window = std::make_unique<QWidget>();
    window->setGeometry(100, 100, 300, 120);
    return window;
}

inline bool showAndActivate(QWidget *window)
{
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowExposed(window) && QTest::qWaitForWindowActive(window);
}

} // namespace gradbtn_test
