#pragma once

#include <QString>

namespace cofrel::data {
class Query;
}

namespace cofrel {

// The statement report: title, column header, one line per row of the
// statement as last refreshed (walked with the query's own cursor, which
// ends on the last row), "---" and the balance line; a line break after
// every line.
QString montaRelatorioExtrato(data::Query &statement, const QString &periodCaption,
                              const QString &saldoText);

// Replaces the whole clipboard with the report as plain text and as HTML
// in a monospace font.
void copiaRelatorioParaClipboard(const QString &report);

} // namespace cofrel
