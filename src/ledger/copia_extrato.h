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
// every line. In UTF-8: a report of a million rows is large.
QByteArray montaRelatorioExtrato(data::Query &statement, const QString &periodCaption,
                                 const QString &saldoText);

// The line break ending every line of the report: the platform's own.
QString quebraDeLinhaRelatorio();

// The report as the HTML that goes with it to the clipboard: a <pre> in
// "Courier New" (or a monospace font with the same metrics) at 10 points.
QString relatorioEmHtml(const QString &report);
QByteArray relatorioEmHtmlUtf8(QByteArrayView report); // the same, from and in UTF-8

// Replaces the whole clipboard with the report as plain text and as HTML
// in a monospace font.
void copiaRelatorioParaClipboard(const QByteArray &report);

} // namespace cofrel
