#pragma once

#include <QByteArray>
#include <QString>

namespace cofrel::data {
class StatementQuery;
}

namespace cofrel {

// Writes into \a report, in UTF-8, the statement report: title, column
// header, one line per row of \a statement in its order, "---" and the
// balance line, a line break after every line. When the walk fails half
// way, \a report holds the lines written so far and the error goes on.
void montaRelatorioExtrato(QByteArray &report, data::StatementQuery &statement, const QString &periodCaption,
                           const QString &saldoText);

// The line break ending every line of the report: the platform's own.
QString quebraDeLinhaRelatorio();

// The report as the HTML that goes with it to the clipboard: a <pre> in
// "Courier New" (or a monospace font with the same metrics) at 10 points.
QByteArray relatorioEmHtml(QByteArrayView report);

// Replaces the whole clipboard with the report as plain text and, made
// only when a program asks for it, as HTML.
void copiaRelatorioParaClipboard(const QByteArray &report);

} // namespace cofrel
