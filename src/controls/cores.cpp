#include "controls/cores.h"

#include <QGuiApplication>
#include <QPalette>

namespace cofrel {

QColor toQColor(TColor c)
{
    if (!isSystemColor(c))
        return QColor(rawRgb(c));
    const QPalette palette = QGuiApplication::palette();
    switch (c & 0xFF) {
    case 5: // clWindow
        return palette.color(QPalette::Base);
    case 8: // clWindowText
        return palette.color(QPalette::WindowText);
    case 15: // clBtnFace
        return palette.color(QPalette::Button);
    case 16: // clBtnShadow
        return palette.color(QPalette::Mid);
    case 17: // clGrayText
        return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: // clBtnText
        return palette.color(QPalette::ButtonText);
    case 20: // clBtnHighlight
        return palette.color(QPalette::Light);
    case 21: // cl3DDkShadow
        return palette.color(QPalette::Shadow);
    case 22: // cl3DLight
        return palette.color(QPalette::Midlight);
    default:
        return palette.color(QPalette::Window);
    }
}

} // namespace cofrel
