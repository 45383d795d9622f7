#pragma once

class QLineEdit;

namespace cofrel {

// Puts FiltroTeclaValor in front of everything that reaches an amount box:
// key presses, and text pasted or dropped, as if typed key by key.
void instalaFiltroValor(QLineEdit *edit);

} // namespace cofrel
