#pragma once

#include <QByteArray>
#include <QString>

namespace cofrel::data {
class Query;
}

namespace cofrel {

// The statement report: title, column header, one line per row of the
// statement as last refreshed (walked with the query's own cursor, which
// ends on the last row), "---" and the balance line; a line break after
// every line. In UTF-8: a report of a million rows is large. It is written
// in the block of \a memoria when nobody else holds it.
QByteArray montaRelatorioExtrato(data::Query &statement, const QString &periodCaption,
                                 const QString &saldoText, QByteArray memoria = {});

// The line break ending every line of the report: the platform's own.
QString quebraDeLinhaRelatorio();

// The report as the HTML that goes with it to the clipboard: a <pre> in
// "Courier New" (or a monospace font with the same metrics) at 10 points.
QString relatorioEmHtml(const QString &report);
QByteArray relatorioEmHtmlUtf8(QByteArrayView report); // the same, from and in UTF-8

// The last report this program put on the clipboard, which lets go of it:
// it is about to be replaced, and a new report of about its size is then
// written in the same memory, already present, rather than holding two
// reports of hundreds of megabytes at once. Empty when the clipboard holds
// something else.
QByteArray retomaRelatorioDoClipboard();

// Replaces the whole clipboard with the report as plain text and as HTML
// in a monospace font.
void copiaRelatorioParaClipboard(const QByteArray &report);

} // namespace cofrel
