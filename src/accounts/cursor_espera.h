#pragma once

#include <QApplication>
#include <QCursor>

namespace cofrel {

// The hourglass over the whole application for the life of the object.
class CursorEspera final {
public:
    CursorEspera() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~CursorEspera() { QApplication::restoreOverrideCursor(); }
    CursorEspera(const CursorEspera &) = delete;
    CursorEspera &operator=(const CursorEspera &) = delete;
};

} // namespace cofrel
