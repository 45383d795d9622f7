#pragma once

class QEvent;
class QWidget;

namespace cofrel {

// A form is activated when it becomes the active window coming from
// another window of the program (its caller, a message box). Coming back
// from another application is no activation: the person finds the focus
// and the selection as they left them.
class FormActivation final {
public:
    // Fed with the form's ActivationChange events; true for an activation.
    bool activated(const QWidget &form, const QEvent &event);
    // A new showing: its first activation counts whatever came before.
    void newShowing() { m_leftTheProgram = false; }

private:
    bool m_leftTheProgram = false;
};

} // namespace cofrel
