#pragma once

#include <QStringList>

class QFont;

class QWidget;

namespace cofrel {

// The families of the window font drawn at device pixel ratio \a dpr. The
// bitmap "MS Sans Serif" has a strike for its own size only, so it is
// sharp at 100 % alone; scaled (125 %, 150 %, 200 %...), a scalable face of
// close metrics takes its place: the Wine "Tahoma", made to replace it,
// then Liberation Sans. The scalable faces are loaded the first time they
// are asked for, never at 100 %.
QStringList familiasJanela(qreal dpr);
// True when \a font is the window font's scaled stand-in.
bool fonteEscalada(const QFont &font);

// Keeps the fonts of \a window and of every control in it right for the
// screen it is shown on: each font of the window font's families changes
// to those of the screen's pixel ratio when the window is shown or moves
// to a screen of another ratio. Other fonts are left alone.
void acompanhaEscala(QWidget *window);

} // namespace cofrel
