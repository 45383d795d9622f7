#include "ledger/extrato_banco.h"

#include "ledger/extrato_comum.h"
#include "ledger/leitor_csv.h"
#include "ledger/leitor_ofx.h"

#include <QFile>
#include <QStringDecoder>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace cofrel {

namespace {

constexpr QByteArrayView BomUtf8 = "\xEF\xBB\xBF";

[[noreturn]] void recusaGrande()
{
    extrato::recusa(u"O arquivo tem 100 MB ou mais: é grande demais para um extrato do banco."_s);
}

// A NUL anywhere, or control characters (other than tab, line ends and
// form feed) in more than one byte in twenty: a picture, a spreadsheet,
// a zip, but no text.
bool ehBinario(QByteArrayView bytes)
{
    qsizetype controles = 0;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b == 0)
            return true;
        controles += (b < 0x20 && b != '\t' && b != '\n' && b != '\r' && b != '\f') || b == 0x7F;
    }
    return controles * 20 > bytes.size();
}

} // namespace

QString decodificaExtrato(QByteArrayView bytes)
{
    if (bytes.startsWith(BomUtf8))
        bytes = bytes.sliced(BomUtf8.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString texto = utf8.decode(bytes);
    if (!utf8.hasError())
        return texto;
    QStringDecoder windows1252("windows-1252", QStringDecoder::Flag::Stateless);
    if (!windows1252.isValid()) // a Qt without ICU: Latin-1 differs only in 0x80-0x9F
        windows1252 = QStringDecoder(QStringDecoder::Latin1, QStringDecoder::Flag::Stateless);
    return windows1252.decode(bytes);
}

ExtratoBanco leExtratoBancoBytes(QByteArrayView bytes)
{
    if (bytes.size() >= TamanhoMaximoExtrato)
        recusaGrande();
    if (ehBinario(bytes))
        extrato::recusa(u"O arquivo não é de texto: não é um extrato do banco em OFX nem em CSV."_s);
    const QString texto = decodificaExtrato(bytes);
    if (std::all_of(texto.cbegin(), texto.cend(), [](QChar c) { return c.isSpace(); }))
        extrato::recusa(u"O arquivo está vazio: não há extrato nele."_s);
    ExtratoBanco extrato;
    if (pareceOfx(texto)) {
        extrato.formato = FormatoExtrato::Ofx;
        extrato.linhas = leOfx(texto);
    } else {
        extrato.formato = FormatoExtrato::Csv;
        extrato.tabela = leTabelaCsv(texto);
        if (extrato.tabela.colunas.valida())
            extrato.linhas = linhasCsv(extrato.tabela, extrato.tabela.colunas);
    }
    return extrato;
}

ExtratoBanco leExtratoBanco(const QString &caminho)
{
    QFile arquivo(caminho);
    if (!arquivo.open(QIODevice::ReadOnly))
        extrato::recusa(u"Não foi possível abrir o arquivo do extrato."_s, arquivo.errorString());
    // Checked before reading; the reading is bounded too, should the file
    // grow meanwhile or be a pipe, whose size is unknown.
    if (arquivo.size() >= TamanhoMaximoExtrato)
        recusaGrande();
    const QByteArray bytes = arquivo.read(arquivo.isSequential() ? TamanhoMaximoExtrato : arquivo.size());
    if (arquivo.error() != QFileDevice::NoError)
        extrato::recusa(u"Não foi possível ler o arquivo do extrato."_s, arquivo.errorString());
    return leExtratoBancoBytes(bytes);
}

} // namespace cofrel
