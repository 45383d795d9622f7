#pragma once

class TDados;
class TformIncluirValor;

namespace cofrel {

// The body of the due-entry check: every planned entry whose date has come
// is offered, prefilled, in the entry dialog (NovoPreenchido) with the
// exclamation beep, and advanced by one month.
//
// OK books the occurrence and advances the plan in one transaction, so
// both are stored or neither is. Cancel and the close box advance the plan
// alone. The due rows are read once, before the first offer, so no entry
// is offered twice in one run.
//
// Throws on an engine failure outside the dialog; every entry is then
// either advanced or as it was. The caller pauses the timer before and,
// after it returns, enables the timer and refreshes the statement and the
// chart.
void ofereceLancamentosVencidos(TDados &dados, TformIncluirValor &dialogo);

} // namespace cofrel
