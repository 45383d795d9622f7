#include "app/bmp_direto.h"

#include <QtEndian>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace cofrel {

namespace {

constexpr qsizetype TamanhoCabecalhoArquivo = 14;
constexpr std::uint32_t CabecalhoInfo = 40; // BITMAPINFOHEADER
constexpr std::uint32_t SemCompressao = 0;
constexpr std::int64_t LadoMaximo = 32767;

std::uint16_t le16(const uchar *p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t le32(const uchar *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16)
           | (std::uint32_t(p[3]) << 24);
}

} // namespace

QImage decodificaBmp24(QByteArrayView arquivo)
{
    const auto *bytes = reinterpret_cast<const uchar *>(arquivo.data());
    const qsizetype tamanho = arquivo.size();
    if (tamanho < TamanhoCabecalhoArquivo + qsizetype(CabecalhoInfo) || bytes[0] != 'B' || bytes[1] != 'M')
        return {};
    const uchar *info = bytes + TamanhoCabecalhoArquivo;
    const std::uint32_t inicioPixels = le32(bytes + 10);
    const std::uint32_t tamanhoInfo = le32(info);
    const std::int64_t largura = std::int32_t(le32(info + 4));
    const std::int64_t alturaComSinal = std::int32_t(le32(info + 8));
    // Only the Windows headers, whose first 40 bytes mean the same thing;
    // those of OS/2 lay their fields out, or number their compressions,
    // otherwise.
    const bool cabecalhoWindows = tamanhoInfo == CabecalhoInfo || tamanhoInfo == 108 || tamanhoInfo == 124;
    if (!cabecalhoWindows || le16(info + 12) != 1 || le16(info + 14) != 24 || le32(info + 16) != SemCompressao)
        return {};
    const std::int64_t altura = std::abs(alturaComSinal);
    if (largura <= 0 || largura > LadoMaximo || altura == 0 || altura > LadoMaximo)
        return {};
    const std::int64_t passo = (largura * 3 + 3) & ~std::int64_t(3); // rows end on 4 bytes
    if (inicioPixels < TamanhoCabecalhoArquivo + tamanhoInfo || inicioPixels + passo * altura > tamanho)
        return {};

    QImage imagem(int(largura), int(altura), QImage::Format_RGB32);
    if (imagem.isNull())
        return {};
    const bool deCimaParaBaixo = alturaComSinal < 0; // stored rows run bottom-up unless the height is negative
    for (int y = 0; y < imagem.height(); ++y) {
        const std::int64_t linhaGuardada = deCimaParaBaixo ? y : altura - 1 - y;
        const uchar *origem = bytes + inicioPixels + linhaGuardada * passo;
        auto *destino = reinterpret_cast<QRgb *>(imagem.scanLine(y));
        // A pixel is stored blue, green, red: four bytes read from it as a
        // little-endian word are 0x??RRGGBB. The last pixel of a row is read
        // byte by byte, as its fourth byte may lie past the end of the file.
        const int ultimo = imagem.width() - 1;
        for (int x = 0; x < ultimo; ++x, origem += 3) {
            std::uint32_t palavra;
            std::memcpy(&palavra, origem, sizeof palavra);
            destino[x] = 0xff000000u | qFromLittleEndian(palavra);
        }
        destino[ultimo] = qRgb(origem[2], origem[1], origem[0]);
    }
    // As Qt's reader does, so that a picture keeps its resolution.
    imagem.setDotsPerMeterX(std::int32_t(le32(info + 24)));
    imagem.setDotsPerMeterY(std::int32_t(le32(info + 28)));
    return imagem;
}

} // namespace cofrel
