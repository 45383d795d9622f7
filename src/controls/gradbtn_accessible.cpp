#include "controls/gradbtn_accessible.h"

#include "app/guard.h"
#include "controls/GradBtn.h"

#include <QKeySequence>

using namespace Qt::StringLiterals;

namespace {

QAccessibleInterface *fabrica(const QString &className, QObject *object)
{
    if (className == u"TGradBtn"_s && object && object->isWidgetType())
        return new GradBtnAccessible(static_cast<TGradBtn *>(object));
    return nullptr;
}

} // namespace

GradBtnAccessible::GradBtnAccessible(TGradBtn *button)
    : QAccessibleWidget(button, QAccessible::Button)
{
}

TGradBtn *GradBtnAccessible::button() const
{
    return static_cast<TGradBtn *>(widget());
}

QString GradBtnAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name:
        if (button()->accessibleName().isEmpty())
            return TGradBtn::plainCaptionOf(button()->Caption());
        break;
    case QAccessible::Accelerator:
        return QKeySequence::mnemonic(button()->Caption()).toString(QKeySequence::NativeText);
    default:
        break;
    }
    return QAccessibleWidget::text(t);
}

QAccessible::State GradBtnAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.pressed = !button()->IsUp();
    return state;
}

QStringList GradBtnAccessible::actionNames() const
{
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
}

void GradBtnAccessible::doAction(const QString &actionName)
{
    if (actionName != pressAction()) {
        QAccessibleWidget::doAction(actionName);
        return;
    }
    // As the mnemonic clicks: the face does not move. A disabled button
    // takes no press.
    if (button()->isEnabled())
        cofrel::guarded([this] { button()->DoClick(); });
}

QStringList GradBtnAccessible::keyBindingsForAction(const QString &actionName) const
{
    if (actionName != pressAction())
        return QAccessibleWidget::keyBindingsForAction(actionName);
    const QString mnemonic = text(QAccessible::Accelerator);
    return mnemonic.isEmpty() ? QStringList{} : QStringList{mnemonic};
}

void GradBtnAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(fabrica);
        return true;
    }();
    Q_UNUSED(installed);
}
