#include "app/activation.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

namespace cofrel {

bool FormActivation::activated(const QWidget &form, const QEvent &event)
{
    if (event.type() != QEvent::ActivationChange)
        return false;
    if (!form.isActiveWindow()) {
        // Qt has already named the new active window: none of ours means
        // the person went to another application.
        m_leftTheProgram = QApplication::activeWindow() == nullptr;
        return false;
    }
    return !std::exchange(m_leftTheProgram, false);
}

} // namespace cofrel
