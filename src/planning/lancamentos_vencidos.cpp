#include "planning/lancamentos_vencidos.h"

namespace cofrel {

// Placeholder until the monthly planning is built: nothing is ever due.
void ofereceLancamentosVencidos(TDados &, TformIncluirValor &)
{
}

} // namespace cofrel
