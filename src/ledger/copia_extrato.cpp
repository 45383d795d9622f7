#include "ledger/copia_extrato.h"

#include "app/clock.h"
#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "data/conversions.h"
#include "data/query.h"
#include "data/statement.h"
#include "ledger/esteira.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A report of hundreds of megabytes would take a page fault every 4 KiB as
// it is written; where the system can, its pages are made present a few
// megabytes at a time.
void preparaMemoria([[maybe_unused]] char *begin, [[maybe_unused]] qsizetype size)
{
#if defined(Q_OS_LINUX) && defined(MADV_POPULATE_WRITE)
    const auto pagina = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto inicio = (reinterpret_cast<std::uintptr_t>(begin) + pagina - 1) & ~(pagina - 1);
    const auto fim = reinterpret_cast<std::uintptr_t>(begin + size) & ~(pagina - 1);
    if (fim > inicio)
        madvise(reinterpret_cast<void *>(inicio), fim - inicio, MADV_POPULATE_WRITE); // only a hint
#endif
}

// Copies \a n bytes where they will not be read again soon (the report,
// read only when a program pastes it): around the caches, so that writing
// a large report does not push out the pages the rows are read from.
void copiaSemCache(char *destino, const char *origem, size_t n)
{
#if defined(__SSE2__)
    size_t inicio = (-reinterpret_cast<std::uintptr_t>(destino)) & 15; // up to a 16-byte boundary
    inicio = std::min(inicio, n);
    std::memcpy(destino, origem, inicio);
    destino += inicio;
    origem += inicio;
    n -= inicio;
    for (; n >= 64; n -= 64, destino += 64, origem += 64) {
        auto *d = reinterpret_cast<__m128i *>(destino);
        const auto *o = reinterpret_cast<const __m128i *>(origem);
        _mm_stream_si128(d, _mm_loadu_si128(o));
        _mm_stream_si128(d + 1, _mm_loadu_si128(o + 1));
        _mm_stream_si128(d + 2, _mm_loadu_si128(o + 2));
        _mm_stream_si128(d + 3, _mm_loadu_si128(o + 3));
    }
    std::memcpy(destino, origem, n);
    _mm_sfence(); // the stores above are seen before anything after
#else
    std::memcpy(destino, origem, n);
#endif
}

// The report as it is written: one block, its size doubled when the lines
// do not fit. The lines are put together in a small buffer, where they
// are written in place instead of appended piece by piece, and moved to
// the report a buffer at a time; descarrega() moves the last ones, and the
// report is cut to what was written when the writer goes.
class Saida final {
public:
    // \a previsto: the bytes expected, taken at once, so that a large report
    // neither moves to ever larger blocks as it grows nor ends in a block
    // of twice its size.
    Saida(QByteArray &report, qsizetype previsto)
        : m_report(report)
        , m_usado(report.size())
        , m_linhas(LinhasJuntas)
    {
        constexpr qsizetype MaximoPrevisto = qsizetype(512) * 1024 * 1024; // beyond, taken as it comes
        if (previsto > 0)
            cresce(std::min(previsto, MaximoPrevisto));
    }
    ~Saida() { m_report.resize(m_usado); }
    Saida(const Saida &) = delete;
    Saida &operator=(const Saida &) = delete;

    // Room for \a n more bytes, to be taken with avanca().
    char *espaco(qsizetype n)
    {
        if (m_juntos + n > qsizetype(m_linhas.size())) {
            descarrega();
            if (n > qsizetype(m_linhas.size()))
                m_linhas.resize(size_t(n)); // a line longer than the buffer
        }
        return m_linhas.data() + m_juntos;
    }
    void avanca(qsizetype n) { m_juntos += n; }
    void acrescenta(QByteArrayView bytes)
    {
        if (bytes.isEmpty()) // an empty view may have no data at all
            return;
        std::memcpy(espaco(bytes.size()), bytes.data(), size_t(bytes.size()));
        avanca(bytes.size());
    }
    // Moves the lines put together to the report.
    void descarrega()
    {
        if (m_juntos == 0)
            return;
        if (m_report.size() - m_usado < m_juntos)
            cresce(m_juntos);
        if (m_usado + m_juntos > m_presente)
            tornaPresente(m_usado + m_juntos);
        copiaSemCache(m_report.data() + m_usado, m_linhas.data(), size_t(m_juntos));
        m_usado += m_juntos;
        m_juntos = 0;
    }

private:
    static constexpr size_t LinhasJuntas = 32 * 1024; // bytes: stays in the fastest cache

    void cresce(qsizetype n) { m_report.resize(std::max(m_usado + n, 2 * m_report.size() + 64 * 1024)); }

    void tornaPresente(qsizetype ate)
    {
        constexpr qsizetype Grande = 16 * 1024 * 1024;
        constexpr qsizetype Passo = 8 * 1024 * 1024;
        const qsizetype novo = std::min(m_report.size(), std::max(ate, m_presente + Passo));
        if (m_report.size() >= Grande)
            preparaMemoria(m_report.data() + m_presente, novo - m_presente);
        m_presente = novo;
    }

    QByteArray &m_report;
    qsizetype m_usado;
    qsizetype m_presente = m_usado; // made present up to here
    std::vector<char> m_linhas;     // put together, not yet in the report
    qsizetype m_juntos = 0;
};

void acrescentaTexto(Saida &out, const QString &text)
{
    out.acrescenta(text.toUtf8());
}

char *digitos(char *p, int value, int width)
{
    for (int i = width - 1; i >= 0; --i, value /= 10)
        p[i] = char('0' + value % 10);
    return p + width;
}

// A day of the report's dates; year 0 for none.
struct Dia {
    int ano = 0;
    int mes = 0;
    int dia = 0;
};

// "YYYY-MM-DD" (a time may follow) read without the general date parser,
// as the rows' store reads it.
bool diaIso(QByteArrayView text, Dia &dia)
{
    if (text.size() < 10 || text[4] != '-' || text[7] != '-')
        return false;
    int parts[3] = {0, 0, 0};
    constexpr int Inicios[3] = {0, 5, 8};
    constexpr int Tamanhos[3] = {4, 2, 2};
    for (int p = 0; p < 3; ++p) {
        for (int i = 0; i < Tamanhos[p]; ++i) {
            const char c = text[Inicios[p] + i];
            if (c < '0' || c > '9')
                return false;
            parts[p] = parts[p] * 10 + (c - '0');
        }
    }
    if (!QDate::isValid(parts[0], parts[1], parts[2]))
        return false;
    dia = {parts[0], parts[1], parts[2]};
    return true;
}

Dia diaDe(const QDate &date)
{
    Dia d;
    if (date.isValid())
        date.getDate(&d.ano, &d.mes, &d.dia); // one calendar conversion, not one per part
    return d;
}

// FormatData without its per-call look-up of the locale: the same text.
void acrescentaData(Saida &out, const Dia &dia, QByteArrayView separador)
{
    if (dia.ano < 1 || dia.ano > 9999) {
        if (dia.ano != 0)
            acrescentaTexto(out, FormatData(QDate(dia.ano, dia.mes, dia.dia)));
        return;
    }
    const qsizetype tamanho = 8 + 2 * separador.size();
    char *p = out.espaco(tamanho);
    p = digitos(p, dia.dia, 2);
    p = std::copy(separador.begin(), separador.end(), p);
    p = digitos(p, dia.mes, 2);
    p = std::copy(separador.begin(), separador.end(), p);
    digitos(p, dia.ano, 4);
    out.avanca(tamanho);
}

// FormatValor without a QString: the same text. The cents of an amount
// below ten billion are exact in a double, so they are written as an
// integer; larger ones go through FormatValor.
void acrescentaValor(Saida &out, double amount, QChar decimal)
{
    const double value = ArredondaCentavos(amount);
    if (!(std::fabs(value) < 1e10) || decimal.unicode() >= 0x80) {
        acrescentaTexto(out, FormatValor(amount, decimal));
        return;
    }
    auto centavos = static_cast<long long>(std::llround(value * 100.0));
    char buffer[24];
    char *fim = buffer + sizeof buffer;
    char *p = fim;
    const bool negativo = centavos < 0;
    if (negativo)
        centavos = -centavos;
    for (int i = 0; i < 2; ++i, centavos /= 10)
        *--p = char('0' + centavos % 10);
    *--p = char(decimal.unicode());
    do {
        *--p = char('0' + centavos % 10);
        centavos /= 10;
    } while (centavos > 0);
    if (negativo)
        *--p = '-';
    out.acrescenta(QByteArrayView(p, fim - p));
}

// The formats of one report, looked up once.
struct Formato {
    QByteArray separadorData;
    QChar decimal = u'.';
    QByteArray fim;
};

// One row line: the date, 2 blanks, the description, Espacos(102 - its
// length in characters) and the amount.
void acrescentaLinha(Saida &out, const Formato &formato, const Dia &dia, QByteArrayView descricao,
                     double valor)
{
    int tamanho = caracteresSimples(descricao);
    QByteArray copia;
    if (tamanho < 0) { // decoded, so that a damaged text is written well formed
        const QString text = QString::fromUtf8(descricao);
        tamanho = caracteres(text);
        copia = text.toUtf8();
        descricao = copia;
    }
    acrescentaData(out, dia, formato.separadorData);
    const int espacos = std::max(LarguraDescricao - tamanho, 0); // Espacos(n), in place
    char *p = out.espaco(2 + descricao.size() + espacos);
    p[0] = ' ';
    p[1] = ' ';
    if (!descricao.isEmpty()) // an empty view may have no data at all
        std::memcpy(p + 2, descricao.data(), size_t(descricao.size()));
    std::memset(p + 2 + descricao.size(), ' ', size_t(espacos));
    out.avanca(2 + descricao.size() + espacos);
    acrescentaValor(out, valor, formato.decimal);
    out.acrescenta(formato.fim);
}

// Where the statement's columns stand in its result; throws naming a
// column the result lacks.
struct Colunas {
    int data = -1;
    int descricao = -1;
    int valor = -1;

    static Colunas procura(const data::Statement &row)
    {
        Colunas c;
        for (int i = 0; i < row.columnCount(); ++i) {
            const QString name = row.columnName(i);
            if (c.data < 0 && name.compare(u"Data"_s, Qt::CaseInsensitive) == 0)
                c.data = i;
            else if (c.descricao < 0 && name.compare(u"Descricao"_s, Qt::CaseInsensitive) == 0)
                c.descricao = i;
            else if (c.valor < 0 && name.compare(u"Valor"_s, Qt::CaseInsensitive) == 0)
                c.valor = i;
        }
        for (const auto &[index, nome] : {std::pair{c.data, u"Data"_s}, std::pair{c.descricao, u"Descricao"_s},
                                          std::pair{c.valor, u"Valor"_s}}) {
            if (index < 0)
                throw Error(u"O campo %1 não existe no resultado da consulta."_s.arg(nome));
        }
        return c;
    }
};

// Rows as the engine gave them, in a batch for the thread that writes
// their lines: the descriptions one after the other, each row saying how
// long its own is.
struct LoteDeLinhas {
    struct Linha {
        Dia dia;
        quint32 tamanho = 0; // of its description
        double valor = 0.0;
    };
    static constexpr size_t Capacidade = 16384;

    std::vector<Linha> linhas;
    std::string descricoes;

    bool cheio() const { return linhas.size() >= Capacidade; }
    void clear() // keeps the memory for the next batch
    {
        linhas.clear();
        descricoes.clear();
    }
    void acrescenta(const Dia &dia, QByteArrayView descricao, double valor)
    {
        linhas.push_back({dia, quint32(descricao.size()), valor});
        if (!descricao.isEmpty()) // an empty view may have no data at all
            descricoes.append(descricao.data(), size_t(descricao.size()));
    }
};

void escreveLote(Saida &out, const Formato &formato, const LoteDeLinhas &lote)
{
    const char *descricao = lote.descricoes.data();
    for (const LoteDeLinhas::Linha &linha : lote.linhas) {
        acrescentaLinha(out, formato, linha.dia, QByteArrayView(descricao, qsizetype(linha.tamanho)), linha.valor);
        descricao += linha.tamanho;
    }
}

// Every row straight from the engine, none kept: the values the table
// stores are taken as they are, any other through the same conversions as
// the rows the statement holds. This thread steps through the rows (the
// connection is its own) while a second one writes their lines, so that a
// large copy takes about as long as reading its rows, the larger part.
int acrescentaLinhasLidas(Saida &out, const Formato &formato, data::Query &statement)
{
    std::optional<Colunas> c;
    int linhas = 0;
    Esteira<LoteDeLinhas> esteira([&](const LoteDeLinhas &lote) { escreveLote(out, formato, lote); });
    LoteDeLinhas *lote = &esteira.atual();
    statement.readEachRow([&](const data::Statement &row) {
        if (!c)
            c = Colunas::procura(row);
        Dia dia;
        if (row.type(c->data) != data::Statement::Type::Text || !diaIso(row.bytes(c->data), dia))
            dia = diaDe(data::fromStored(data::ColumnKind::Date, row.value(c->data)).toDate());
        QByteArray convertida;
        QByteArrayView descricao;
        if (row.type(c->descricao) == data::Statement::Type::Text)
            descricao = row.bytes(c->descricao);
        else
            descricao = convertida = data::fromStored(data::ColumnKind::Text, row.value(c->descricao)).toString().toUtf8();
        double valor = 0.0;
        if (row.type(c->valor) == data::Statement::Type::Float)
            valor = row.real(c->valor);
        else if (const QVariant v = data::fromStored(data::ColumnKind::Real, row.value(c->valor)); !v.isNull())
            valor = v.toDouble();
        lote->acrescenta(dia, descricao, valor);
        if (lote->cheio())
            lote = &esteira.entrega();
        ++linhas;
    });
    esteira.termina();
    return linhas;
}

// One line per row of the statement, from its first; the cursor ends past
// the last row, as a walk with next() leaves it. The rows are read
// straight from the engine, so that the walk does not make the statement
// hold every row.
// About the bytes of the statement's lines: a line holds a date, 2 blanks,
// the description padded to its column and the amount, and a statement's
// amounts take about 10 bytes.
qsizetype tamanhoPrevisto(const data::Query &statement, const Formato &formato)
{
    return qMax(0, statement.rowCount()) * (10 + 2 + LarguraDescricao + 10 + formato.fim.size());
}

void acrescentaLinhas(QByteArray &report, data::Query &statement, const Formato &formato)
{
    int linhas = 0;
    {
        Saida out(report, tamanhoPrevisto(statement, formato));
        linhas = acrescentaLinhasLidas(out, formato, statement);
        out.descarrega();
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
// QString) and shared with the report box. A program pasting the text gets
// those very bytes; a text or the HTML is made only when asked for.
class RelatorioMimeData final : public QMimeData {
public:
    explicit RelatorioMimeData(const QByteArray &report)
        : m_report(report)
    {
    }

    QStringList formats() const override { return {u"text/plain"_s, u"text/html"_s}; }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }
    const QByteArray &relatorio() const { return m_report; }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType type) const override
    {
        const bool bytes = type.id() == QMetaType::QByteArray;
        if (mimeType == u"text/plain"_s)
            return bytes ? QVariant(m_report) : QVariant(QString::fromUtf8(m_report));
        if (mimeType == u"text/html"_s) {
            const QByteArray html = relatorioEmHtmlUtf8(m_report);
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

QByteArray montaRelatorioExtrato(data::Query &statement, const QString &periodCaption, const QString &saldoText,
                                 QByteArray memoria)
{
    const QByteArray fim = quebraDeLinhaRelatorio().toUtf8();
    const Formato formato{QString(separadorData()).toUtf8(), separadorDecimal(), fim};
    const QString hoje = FormatData(clock::today());

    // The block of a much larger report is given back, not kept for a small one.
    if (memoria.capacity() > 4 * tamanhoPrevisto(statement, formato) + 1024 * 1024)
        memoria = QByteArray();
    QByteArray report = std::move(memoria);
    report.truncate(0); // keeps the block, unless it is shared
    report += (u"Extrato: "_s + periodCaption + u" - Data: "_s + hoje).toUtf8() + fim;
    try {
        // Nobody can see the grid follow a walk that never yields to the
        // event loop, and following 100,000 rows one by one takes seconds:
        // the walk runs quietly and its end is announced once.
        const QSignalBlocker quiet(statement);
        statement.first();
        report += (u"Data:"_s + Espacos(7) + u"Descrição:"_s + Espacos(92) + u"Valor:"_s).toUtf8() + fim;
        acrescentaLinhas(report, statement, formato);
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
    return QString::fromUtf8(relatorioEmHtmlUtf8(report.toUtf8()));
}

QByteArray relatorioEmHtmlUtf8(QByteArrayView report)
{
    constexpr QByteArrayView Inicio = "<html><head><meta charset=\"utf-8\"></head><body>"
                                      "<pre style=\"font-family: 'Courier New', 'Liberation Mono', monospace; "
                                      "font-size: 10pt;\">";
    constexpr QByteArrayView Fim = "</pre></body></html>";
    QByteArray html;
    html.reserve(Inicio.size() + report.size() + report.size() / 64 + Fim.size());
    html += Inicio;
    qsizetype feito = 0;
    for (qsizetype i = 0; i < report.size(); ++i) {
        const char *escape = nullptr;
        switch (report[i]) { // as QString::toHtmlEscaped()
        case '<':
            escape = "&lt;";
            break;
        case '>':
            escape = "&gt;";
            break;
        case '&':
            escape = "&amp;";
            break;
        case '"':
            escape = "&quot;";
            break;
        default:
            continue;
        }
        html += report.sliced(feito, i - feito);
        html += escape;
        feito = i + 1;
    }
    html += report.sliced(feito);
    html += Fim;
    return html;
}

QByteArray retomaRelatorioDoClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    const auto *nosso = clipboard ? dynamic_cast<const RelatorioMimeData *>(clipboard->mimeData()) : nullptr;
    if (!nosso)
        return {};
    QByteArray report = nosso->relatorio();
    clipboard->clear();
    return report;
}

void copiaRelatorioParaClipboard(const QByteArray &report)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw Error(u"Não foi possível abrir a área de transferência."_s);
    clipboard->setMimeData(new RelatorioMimeData(report)); // takes the whole clipboard
}

} // namespace cofrel
