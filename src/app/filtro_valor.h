#pragma once

class QLineEdit;

namespace cofrel {

// Puts FiltroTeclaValor in front of everything that reaches an amount box:
// each key passes or is swallowed; text pasted or dropped is taken whole
// (blanks around trimmed, the person's group separators taken out of an
// amount written with them) or refused whole with the beep.
void instalaFiltroValor(QLineEdit *edit);

} // namespace cofrel
