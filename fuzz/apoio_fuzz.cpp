#include "apoio_fuzz.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace cofrel::fuzz {

void iniciaQt()
{
    static int argc = 1;
    static char nome[] = "cofrel-fuzz";
    static char *argv[] = {nome, nullptr};
    static QCoreApplication app(argc, argv);
}

void exige(bool condicao, const char *oque)
{
    if (condicao)
        return;
    std::fprintf(stderr, "falhou: %s\n", oque);
    std::abort();
}

QString comoUtf8(const uint8_t *dados, size_t tamanho)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(dados), qsizetype(tamanho));
}

QString comoUtf16(const uint8_t *dados, size_t tamanho)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(dados), qsizetype(tamanho / 2));
}

} // namespace cofrel::fuzz
