#pragma once

class TDados;
class TformIncluirValor;

namespace cofrel {

// The body of the due-entry check: every planned entry whose date has come
// is offered, prefilled, in the entry dialog (mode -2) with the
// exclamation beep, and advanced by one month whatever the answer.
// The caller pauses the timer before and, after it returns, enables the
// timer and refreshes the statement and the chart.
void ofereceLancamentosVencidos(TDados &dados, TformIncluirValor &dialogo);

} // namespace cofrel
