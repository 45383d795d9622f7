#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

namespace cofrel {

// The program's icon: a safe's navy door with a gold coin on it, a keyhole
// in the coin. The same drawing gives the window icon at run time and the
// installed SVG and PNG files at build time.
void desenhaIcone(QPainter &painter, const QRectF &area);

// The window icon, drawn at whatever size the desktop asks for.
QIcon iconeCofrel();

} // namespace cofrel
