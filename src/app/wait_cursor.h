#pragma once

#include <QApplication>
#include <QCursor>

namespace cofrel {

// The hourglass over the whole application for the life of the object.
class WaitCursor final {
public:
    WaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace cofrel
