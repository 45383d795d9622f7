#pragma once

#include <QAccessibleWidget>

class TGradBtn;

// What assistive technology sees of a gradient button: a push button named
// by its caption without the mnemonic marker, pressed through its press
// action as a click of the mnemonic would, with its enabled, focus and
// pressed state.
class GradBtnAccessible final : public QAccessibleWidget {
public:
    explicit GradBtnAccessible(TGradBtn *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // Makes Qt build one for every TGradBtn; done once, by the first button.
    static void install();

private:
    TGradBtn *button() const;
};
