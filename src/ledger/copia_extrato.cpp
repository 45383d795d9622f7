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

#include <climits>
#include <cstdint>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#endif

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

// Characters of a stored description, read from its UTF-8 bytes: the bytes
// that begin a character, while every character lies below U+0300 and is
// well formed; -1 for any other text, to be counted on the text itself.
int caracteresSimples(QByteArrayView utf8)
{
    int count = 0;
    for (qsizetype i = 0; i < utf8.size(); ++i) {
        const auto byte = uchar(utf8[i]);
        if (byte < 0x80) {
            ++count;
        } else if (byte >= 0xC2 && byte < 0xCC && i + 1 < utf8.size() && (uchar(utf8[i + 1]) & 0xC0) == 0x80) {
            ++count;
            ++i;
        } else {
            return -1;
        }
    }
    return count;
}

void acrescentaTexto(QByteArray &out, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            out += text.toUtf8();
            return;
        }
    }
    for (const QChar c : text)
        out += char(c.unicode());
}

// A report of hundreds of megabytes would take a page fault every 4 KiB as
// it is written; where the system can, its pages are made present at once.
void preparaMemoria([[maybe_unused]] QByteArray &report)
{
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    constexpr qsizetype Minimo = 16 * 1024 * 1024;
    const qsizetype livre = report.capacity() - report.size();
    if (livre < Minimo)
        return;
    const auto pagina = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto inicio = (reinterpret_cast<std::uintptr_t>(report.data() + report.size()) + pagina - 1) & ~(pagina - 1);
    const auto fim = reinterpret_cast<std::uintptr_t>(report.data() + report.capacity()) & ~(pagina - 1);
    if (fim > inicio)
        madvise(reinterpret_cast<void *>(inicio), fim - inicio, MADV_POPULATE_WRITE); // only a hint
#endif
}

// FormatData without its per-call look-up of the locale: the same text.
void acrescentaData(QByteArray &out, const QDate &date, const QByteArray &separador)
{
    if (!date.isValid())
        return;
    int ano = 0;
    int mes = 0;
    int dia = 0;
    date.getDate(&ano, &mes, &dia); // one calendar conversion, not one per part
    if (ano < 1 || ano > 9999) {
        acrescentaTexto(out, FormatData(date));
        return;
    }
    const auto digitos = [&out](int value, int width) {
        char buffer[4];
        for (int i = width - 1; i >= 0; --i, value /= 10)
            buffer[i] = char('0' + value % 10);
        out.append(buffer, width);
    };
    digitos(dia, 2);
    out += separador;
    digitos(mes, 2);
    out += separador;
    digitos(ano, 4);
}

// The three values of a row line, read straight from the statement's rows
// where they hold the kinds the table stores, and through the fields'
// conversions otherwise (a file written by another program).
class LeitorLinha final {
public:
    explicit LeitorLinha(const data::Query &statement)
        : m_statement(statement)
        , m_data(coluna(u"Data"_s))
        , m_descricao(coluna(u"Descricao"_s))
        , m_valor(coluna(u"Valor"_s))
    {
    }

    QDate data(int row) const
    {
        if (const auto d = m_statement.dateAt(row, m_data))
            return *d;
        return campo(row, m_data, u"Data"_s).asDate();
    }

    // The description as UTF-8 bytes; \a copia keeps them when converted.
    QByteArrayView descricao(int row, QByteArray &copia) const
    {
        if (const auto bytes = m_statement.textAt(row, m_descricao))
            return *bytes;
        copia = campo(row, m_descricao, u"Descricao"_s).asString().toUtf8();
        return copia;
    }

    double valor(int row) const
    {
        if (const auto v = m_statement.realAt(row, m_valor))
            return *v;
        return campo(row, m_valor, u"Valor"_s).asFloat();
    }

private:
    int coluna(const QString &name) const
    {
        const int index = m_statement.columnIndex(name);
        if (index < 0)
            throw Error(u"O campo %1 não existe no resultado da consulta."_s.arg(name));
        return index;
    }

    data::Field campo(int row, int column, const QString &name) const
    {
        m_valorLido = m_statement.value(row, column);
        return data::Field(&m_valorLido, name, false);
    }

    const data::Query &m_statement;
    int m_data;
    int m_descricao;
    int m_valor;
    mutable QVariant m_valorLido;
};

// One line per row, from the current row to the end; the cursor ends past
// the last row, as a walk with next() leaves it.
void acrescentaLinhas(QByteArray &report, data::Query &statement, const QByteArray &fim)
{
    if (statement.eof())
        return;
    const int primeira = statement.position();
    statement.fetchUpTo(INT_MAX);
    const int linhas = statement.fetchedRows();
    const LeitorLinha leitor(statement);
    const QByteArray separador = QString(separadorData()).toUtf8();
    const QChar decimal = separadorDecimal();
    // One block for the whole report: a line of a stored description takes
    // about 125 bytes.
    report.reserve(report.size() + qsizetype(linhas - primeira) * (128 + fim.size()) + 256);
    preparaMemoria(report);
    QByteArray copia;
    for (int row = primeira; row < linhas; ++row) {
        QByteArrayView descricao = leitor.descricao(row, copia);
        int tamanho = caracteresSimples(descricao);
        if (tamanho < 0) { // decoded, so that a damaged text is written well formed
            const QString text = QString::fromUtf8(descricao);
            tamanho = caracteres(text);
            copia = text.toUtf8();
            descricao = copia;
        }
        const QString valor = FormatValor(leitor.valor(row), decimal);
        acrescentaData(report, leitor.data(row), separador);
        report += "  ";
        report += descricao;
        const int espacos = LarguraDescricao - tamanho; // Espacos(n), in place
        if (espacos > 0)
            report.append(espacos, ' ');
        acrescentaTexto(report, valor);
        report += fim;
    }
    statement.moveTo(linhas);
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

// The report on the clipboard, kept as UTF-8 (half the memory of a
// QString); the text and the HTML are made when a program asks for them
// (a large report's HTML costs more than the click should).
class RelatorioMimeData final : public QMimeData {
public:
    explicit RelatorioMimeData(const QByteArray &report)
        : m_report(report)
    {
    }

    QStringList formats() const override { return {u"text/plain"_s, u"text/html"_s}; }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        if (mimeType == u"text/plain"_s)
            return QString::fromUtf8(m_report);
        if (mimeType == u"text/html"_s)
            return relatorioEmHtml(QString::fromUtf8(m_report));
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

QByteArray montaRelatorioExtrato(data::Query &statement, const QString &periodCaption, const QString &saldoText)
{
    const QByteArray fim = quebraDeLinhaRelatorio().toUtf8();
    const QString hoje = FormatData(clock::today());

    QByteArray report;
    report += (u"Extrato: "_s + periodCaption + u" - Data: "_s + hoje).toUtf8() + fim;
    try {
        // Nobody can see the grid follow a walk that never yields to the
        // event loop, and following 100,000 rows one by one takes seconds:
        // the walk runs quietly and its end is announced once.
        const QSignalBlocker quiet(statement);
        statement.first();
        report += (u"Data:"_s + Espacos(7) + u"Descrição:"_s + Espacos(92) + u"Valor:"_s).toUtf8() + fim;
        acrescentaLinhas(report, statement, fim);
    } catch (...) {
        anunciaPosicao(statement);
        throw;
    }
    anunciaPosicao(statement);

    report += "---" + fim;
    report += (u"Saldo em "_s + hoje + u": "_s + saldoText).toUtf8() + fim;
    return report;
}

QString relatorioEmHtml(const QString &report)
{
    return u"<html><head><meta charset=\"utf-8\"></head><body>"
           u"<pre style=\"font-family: 'Courier New', 'Liberation Mono', monospace; font-size: 10pt;\">"_s
           + report.toHtmlEscaped() + u"</pre></body></html>"_s;
}

void copiaRelatorioParaClipboard(const QByteArray &report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Error(u"Não foi possível abrir a área de transferência."_s);
    clipboard->setMimeData(new RelatorioMimeData(report)); // takes the whole clipboard
}

} // namespace cofrel
