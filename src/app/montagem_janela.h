#pragma once

#include <QFont>
#include <QSize>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

namespace cofrel {

// 8-point "MS Sans Serif" (11 pixels high), falling back quietly to a
// similar sans serif where the font is missing. A window shown on a scaled
// screen changes its families (escala_janela.h).
QFont fonteJanela();
// The same font in bold, for the labels over the background picture.
QFont fonteRotulo();

// Registers "MS Sans Serif" from the Wine fonts where present.
void registraFontes();

enum class Borda {
    Dialogo,        // dialog frame: close box only
    SimplesSistema, // single border with the system menu: close box only
    SemFechar,      // minimise only, no close box (the main window)
};

// Fixed client size, caption, font and border of one of our windows,
// centred on the screen; its fonts follow the scale of the screen it is
// shown on.
void preparaJanela(QWidget *window, const QString &caption, QSize clientSize, Borda borda);
void centraNaTela(QWidget *window);

// The picture control "Image1" under every other control, filled with
// AppDir + "fundo.bmp". The control is always made; a picture that cannot
// be loaded leaves it empty and is reported, naming the file, through the
// default error handler: once for all the windows, not once for each.
QLabel *criaImagemFundo(QWidget *window);

// A panel's border as the main window's tabs have it: a lowered outer and
// a raised inner bevel, an etched groove.
void bordaEntalhada(QFrame *panel);

// A transparent label at (x, y) with its natural size. Bold is drawn by the
// label itself where the font engine has no bold for the font, and for the
// scalable stand-in of a scaled screen alike.
QLabel *criaRotulo(QWidget *parent, const QString &name, const QString &text, int x, int y, bool bold = true);

} // namespace cofrel
