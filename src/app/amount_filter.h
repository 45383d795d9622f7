#pragma once

class QLineEdit;

namespace cofrel {

// Puts FiltroTeclaValor in front of an amount box's key presses.
void instalaFiltroValor(QLineEdit *edit);

} // namespace cofrel
