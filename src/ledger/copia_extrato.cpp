#include "ledger/copia_extrato.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/queries.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

// Columns of the report, counted from 1: the description under
// "Descrição:" from column 13, the amount under "Valor:" at column 115.
constexpr int LarguraDescricao = 102;

// Characters as a person counts them: an accented letter is one, also when
// it is stored as a letter followed by a combining accent.
int caracteres(const QString &text)
{
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x300; }))
        return int(text.size()); // no combining marks nor surrogates
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

// The regional separators, looked up once for the whole report rather
// than at every line.
struct Formato {
    QByteArray separadorData;
    QChar decimal;
    QByteArray fim;
};

void acrescentaDigitos(QByteArray &out, int value, int width)
{
    char digits[4];
    for (int i = width - 1; i >= 0; --i, value /= 10)
        digits[i] = char('0' + value % 10);
    out.append(digits, width);
}

// FormatData and FormatValor, written straight into the report: a
// million lines are too many to make a QString for each value.
void acrescentaData(QByteArray &out, const QDate &date, const Formato &formato)
{
    int ano = 0, mes = 0, dia = 0;
    date.getDate(&ano, &mes, &dia);
    if (ano < 1 || ano > 9999) {
        out += FormatData(date).toUtf8(); // nothing for no date
        return;
    }
    acrescentaDigitos(out, dia, 2);
    out += formato.separadorData;
    acrescentaDigitos(out, mes, 2);
    out += formato.separadorData;
    acrescentaDigitos(out, ano, 4);
}

void acrescentaValor(QByteArray &out, double valor, const Formato &formato)
{
    // Below 10^13 the cents are exact in a double; larger amounts go
    // through FormatValor itself.
    const double arredondado = ArredondaCentavos(valor);
    if (!(std::fabs(arredondado) < 1e13) || formato.decimal.unicode() >= 0x80) {
        out += FormatValor(valor, formato.decimal).toUtf8();
        return;
    }
    const qint64 centavos = std::llround(arredondado * 100.0);
    if (centavos < 0)
        out += '-';
    out += QByteArray::number(std::abs(centavos) / 100);
    out += char(formato.decimal.unicode());
    acrescentaDigitos(out, int(std::abs(centavos) % 100), 2);
}

// The date, 2 blanks, the description, Espacos(102 - its length) and the amount.
void acrescentaLinha(QByteArray &out, const data::Lancamento &row, const Formato &formato)
{
    acrescentaData(out, row.data, formato);
    out += "  ";
    out += row.descricao.toUtf8();
    out.append(std::max(LarguraDescricao - caracteres(row.descricao), 0), ' ');
    acrescentaValor(out, row.valor, formato);
    out += formato.fim;
}

// The report on the clipboard, kept as UTF-8 and shared with the report
// box: a program pasting the text gets those very bytes; the HTML is made
// only when asked for.
class RelatorioMimeData final : public QMimeData {
public:
    explicit RelatorioMimeData(const QByteArray &report) : m_report(report) {}

    QStringList formats() const override { return {u"text/plain"_s, u"text/html"_s}; }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        const bool bytes = type.id() == QMetaType::QByteArray;
        if (mimeType == u"text/plain"_s)
            return bytes ? QVariant(m_report) : QVariant(QString::fromUtf8(m_report));
        if (mimeType == u"text/html"_s) {
            const QByteArray html = relatorioEmHtml(m_report);
            return bytes ? QVariant(html) : QVariant(QString::fromUtf8(html));
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QByteArray m_report;
};

} // namespace

QString quebraDeLinhaRelatorio()
{
#ifdef Q_OS_WIN
    return u"\r\n"_s;
#else
    return u"\n"_s;
#endif
}

void montaRelatorioExtrato(QByteArray &report, data::StatementQuery &statement, const QString &periodCaption,
                           const QString &saldoText)
{
    const Formato formato{QString(separadorData()).toUtf8(), separadorDecimal(), quebraDeLinhaRelatorio().toUtf8()};
    const QString hoje = FormatData(clock::today());
    // About the size of a line with a short description: one block for
    // the usual report, doubled rarely for one with long descriptions.
    report.clear();
    report.reserve(qsizetype(statement.rowCount() + 4) * (LarguraDescricao + 24));
    report += (u"Extrato: "_s + periodCaption + u" - Data: "_s + hoje).toUtf8() + formato.fim;
    report += (u"Data:"_s + Espacos(7) + u"Descrição:"_s + Espacos(92) + u"Valor:"_s).toUtf8() + formato.fim;
    statement.forEachRow([&](const data::Lancamento &row) { acrescentaLinha(report, row, formato); });
    report += "---" + formato.fim;
    report += (u"Saldo em "_s + hoje + u": "_s + saldoText).toUtf8() + formato.fim;
}

QByteArray relatorioEmHtml(QByteArrayView report)
{
    constexpr QByteArrayView Inicio = "<html><head><meta charset=\"utf-8\"></head><body>"
                                      "<pre style=\"font-family: 'Courier New', 'Liberation Mono', monospace; "
                                      "font-size: 10pt;\">";
    constexpr QByteArrayView Fim = "</pre></body></html>";
    QByteArray html;
    html.reserve(Inicio.size() + report.size() + report.size() / 64 + Fim.size());
    html += Inicio;
    for (const char c : report) {
        switch (c) { // as QString::toHtmlEscaped()
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '&':
            html += "&amp;";
            break;
        case '"':
            html += "&quot;";
            break;
        default:
            html += c;
        }
    }
    html += Fim;
    return html;
}

void copiaRelatorioParaClipboard(const QByteArray &report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Error(u"Não foi possível abrir a área de transferência."_s);
    clipboard->setMimeData(new RelatorioMimeData(report)); // takes the whole clipboard
}

} // namespace cofrel
