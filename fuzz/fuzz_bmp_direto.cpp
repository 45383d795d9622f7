// The one-pass BMP decoder on any bytes: it never reads outside them, and
// whatever it decodes, Qt's reader decodes to the same pixels. Each input
// is tried as it is and with a plausible header laid over its start, so
// that the run reaches the pixel rows soon.
#include "apoio_fuzz.h"

#include "app/bmp_direto.h"

#include <QBuffer>
#include <QImageReader>

namespace {

void confere(const QByteArray &arquivo)
{
    using cofrel::fuzz::exige;
    const QImage direto = cofrel::decodificaBmp24(arquivo);
    if (direto.isNull())
        return;
    QBuffer buffer;
    buffer.setData(arquivo);
    buffer.open(QIODevice::ReadOnly);
    const QImage qt = QImageReader(&buffer, "bmp").read();
    exige(!qt.isNull(), "decodificado aqui, recusado pelo Qt");
    exige(direto.format() == qt.format() && direto.size() == qt.size(), "formato ou tamanho diferente do Qt");
    for (int y = 0; y < qt.height(); ++y) {
        for (int x = 0; x < qt.width(); ++x)
            exige(direto.pixel(x, y) == qt.pixel(x, y), "pixel diferente do Qt");
    }
}

void poe32(QByteArray &b, qsizetype em, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b[em + i] = char((v >> (8 * i)) & 0xff);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    QByteArray arquivo(reinterpret_cast<const char *>(dados), qsizetype(tamanho));
    confere(arquivo);
    if (arquivo.size() >= 54) {
        // "BM", pixels from byte 54, a 40-byte header, one plane of 24 bits,
        // no compression; width and height stay the input's, kept small.
        arquivo[0] = 'B';
        arquivo[1] = 'M';
        poe32(arquivo, 10, 54);
        poe32(arquivo, 14, 40);
        const int largura = 1 + (uchar(arquivo[18]) & 0x3f);
        const int altura = 1 + (uchar(arquivo[22]) & 0x3f);
        poe32(arquivo, 18, quint32(largura));
        poe32(arquivo, 22, quint32(uchar(arquivo[23]) & 1 ? -altura : altura));
        arquivo[26] = 1;
        arquivo[27] = 0;
        arquivo[28] = 24;
        arquivo[29] = 0;
        poe32(arquivo, 30, 0);
        confere(arquivo);
    }
    return 0;
}
