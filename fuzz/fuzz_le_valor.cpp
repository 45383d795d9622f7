// The amount readers on any text: LeValor on what was pasted past the key
// filter, and the key filter itself fed the text key by key. Nothing read is
// ever infinite or NaN; what the filter lets through is digits and at most
// one decimal separator; both decimal conventions are tried.
#include "apoio_fuzz.h"

#include "app/cofrel_uteis.h"

#include <QLocale>

#include <cmath>

namespace {

void confere(const QString &texto)
{
    using cofrel::fuzz::exige;
    const double colado = cofrel::LeValor(texto);
    exige(std::isfinite(colado), "valor colado não finito");
    exige(!cofrel::FormatValor(colado).isEmpty(), "FormatValor vazio");

    const QChar separador = cofrel::separadorDecimal();
    QString caixa;
    for (const QChar tecla : texto) {
        const QChar passou = cofrel::FiltroTeclaValor(caixa, tecla);
        if (passou.isNull() || passou.unicode() < 32)
            continue; // swallowed, or an editing key the box handles itself
        exige(passou == tecla, "o filtro trocou a tecla");
        caixa += passou;
    }
    exige(caixa.count(separador) <= 1, "dois separadores");
    for (const QChar c : caixa)
        exige((c >= u'0' && c <= u'9') || c == separador, "caractere indevido na caixa");
    const double digitado = cofrel::LeValor(caixa);
    exige(std::isfinite(digitado) && digitado >= 0, "valor digitado");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    QLocale::setDefault(tamanho > 0 && (dados[0] & 1) ? QLocale(QLocale::Portuguese, QLocale::Brazil)
                                                        : QLocale::c());
    confere(cofrel::fuzz::comoUtf8(dados, tamanho));
    confere(cofrel::fuzz::comoUtf16(dados, tamanho));
    return 0;
}
