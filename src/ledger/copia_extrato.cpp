#include "ledger/copia_extrato.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/query.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextBoundaryFinder>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

// Columns of the report, counted from 1: the description under
// "Descrição:", the amount under "Valor:".
constexpr int LarguraDescricao = 102; // from column 13 up to column 114

// Characters as a person counts them: an accented letter is one, also when
// it is stored as a letter followed by a combining accent.
int caracteres(const QString &text)
{
    bool simples = true;
    for (const QChar c : text) {
        if (c.unicode() >= 0x300) { // combining marks and surrogates start here
            simples = false;
            break;
        }
    }
    if (simples)
        return int(text.size());
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

// FormatData without its per-call look-up of the locale: the same text.
void acrescentaData(QString &out, const QDate &date, QChar separador)
{
    if (!date.isValid())
        return;
    if (date.year() < 1 || date.year() > 9999) {
        out += FormatData(date);
        return;
    }
    const auto digitos = [&out](int value, int width) {
        char16_t buffer[8];
        for (int i = width - 1; i >= 0; --i, value /= 10)
            buffer[i] = char16_t(u'0' + value % 10);
        out.append(reinterpret_cast<const QChar *>(buffer), width);
    };
    digitos(date.day(), 2);
    out += separador;
    digitos(date.month(), 2);
    out += separador;
    digitos(date.year(), 4);
}

// One line per row, from the current row to the end.
void acrescentaLinhas(QString &report, data::Query &statement, const QString &fim)
{
    if (statement.eof())
        return;
    const QChar separador = separadorData();
    // The fields follow the cursor: looked up once.
    const data::Field data = statement.fieldByName(u"Data"_s);
    const data::Field descricao = statement.fieldByName(u"Descricao"_s);
    const data::Field valor = statement.fieldByName(u"Valor"_s);
    while (!statement.eof()) {
        const QDate dia = data.asDate();
        const QString descricaoText = descricao.asString();
        const QString valorText = FormatValor(valor.asFloat());
        statement.next();
        acrescentaData(report, dia, separador);
        report += u"  "_s;
        report += descricaoText;
        const int espacos = LarguraDescricao - caracteres(descricaoText); // Espacos(n), in place
        if (espacos > 0)
            report.resize(report.size() + espacos, u' ');
        report += valorText;
        report += fim;
    }
}

// Takes the cursor's last step again with signals on, so that whoever
// follows it (the grid) learns where a quiet walk left it.
void anunciaPosicao(data::Query &statement) noexcept
{
    try {
        if (!statement.isOpen())
            return;
        const int at = statement.position();
        if (at > 0) {
            statement.moveTo(at - 1);
            statement.moveTo(at);
        } else if (statement.fetchedRows() > 1) {
            statement.moveTo(1);
            statement.moveTo(0);
        }
    } catch (...) {
        // The grid keeps showing an older row; the walk's own error, if
        // any, is the one that matters.
    }
}

// The report on the clipboard: the plain text at once, the HTML made only
// when a program asks for it (a large report's HTML costs more than the
// click should).
class RelatorioMimeData final : public QMimeData {
public:
    explicit RelatorioMimeData(const QString &report)
        : m_report(report)
    {
    }

    QStringList formats() const override { return {u"text/plain"_s, u"text/html"_s}; }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        if (mimeType == u"text/plain"_s)
            return m_report;
        if (mimeType == u"text/html"_s) {
            if (m_html.isNull())
                m_html = relatorioEmHtml(m_report);
            return m_html;
        }
        return QMimeData::retrieveData(mimeType, type);
    }

private:
    QString m_report;
    mutable QString m_html;
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

QString montaRelatorioExtrato(data::Query &statement, const QString &periodCaption, const QString &saldoText)
{
    const QString fim = quebraDeLinhaRelatorio();
    const QString hoje = FormatData(clock::today());

    QString report;
    report.reserve(64 * 1024);
    report += u"Extrato: "_s + periodCaption + u" - Data: "_s + hoje + fim;
    try {
        // Nobody can see the grid follow a walk that never yields to the
        // event loop, and following 100,000 rows one by one takes seconds:
        // the walk runs quietly and its end is announced once.
        const QSignalBlocker quiet(statement);
        statement.first();
        report += u"Data:"_s + Espacos(7) + u"Descrição:"_s + Espacos(92) + u"Valor:"_s + fim;
        acrescentaLinhas(report, statement, fim);
    } catch (...) {
        anunciaPosicao(statement);
        throw;
    }
    anunciaPosicao(statement);

    report += u"---"_s + fim;
    report += u"Saldo em "_s + hoje + u": "_s + saldoText + fim;
    return report;
}

QString relatorioEmHtml(const QString &report)
{
    return u"<html><head><meta charset=\"utf-8\"></head><body>"
           u"<pre style=\"font-family: 'Courier New', 'Liberation Mono', monospace; font-size: 10pt;\">"_s
           + report.toHtmlEscaped() + u"</pre></body></html>"_s;
}

void copiaRelatorioParaClipboard(const QString &report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Error(u"Não foi possível abrir a área de transferência."_s);
    clipboard->setMimeData(new RelatorioMimeData(report)); // takes the whole clipboard
}

} // namespace cofrel
