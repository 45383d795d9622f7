#pragma once

#include "ledger/extrato_banco.h"

#include <QString>

// CSV statements as Brazilian banks export them: ';' or ',' between the
// cells, quotes as in RFC 4180 ("" inside quotes is one "), a decimal
// comma or dot, dates dd/mm/yyyy (dd/mm/yy is read as 20yy). The columns
// are found by the header's names, accents and case ignored: Data;
// Descrição, Histórico, Lançamento or Memo; Valor, or Crédito and Débito.
// linhasCsv (extrato_banco.h) makes the lines.
namespace cofrel {

// The table of a CSV statement, with the header found among its first
// rows when there is one. Throws cofrel::Error when the text is no table
// with a date in it, or is cut inside quotes.
TabelaCsv leTabelaCsv(const QString &texto);

} // namespace cofrel
