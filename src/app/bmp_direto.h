#pragma once

#include <QByteArrayView>
#include <QImage>

namespace cofrel {

// Decodes the plain kind of BMP, uncompressed with 24 bits per pixel (the
// kind the program's own fundo.bmp is), straight into an RGB32 image, as
// Qt's reader would but in one pass over the bytes. Any other kind, and any
// file whose header or size does not add up, gives a null image: the caller
// then hands the file to Qt's reader, which knows every variant.
QImage decodificaBmp24(QByteArrayView arquivo);

} // namespace cofrel
