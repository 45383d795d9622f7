#pragma once

#include <QRect>
#include <QString>

class QWidget;
class TGradBtn;

// The one button configuration of our windows: pale yellow flat face,
// 1-pixel bevel, black centred caption in the window font, hand cursor,
// 23 pixels high whatever the height in \a bounds. Windows connect their
// handler to the button's clicked().
TGradBtn *criaBotaoCofrel(QWidget *parent, const QString &objectName, const QString &caption,
                          const QRect &bounds);

namespace cofrel {
using ::criaBotaoCofrel;
} // namespace cofrel
