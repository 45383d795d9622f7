// The amount readers on any text: LeValor on what was pasted, and the key
// filter itself fed the text key by key into a box of 12 characters. What is
// read is a finite amount from 0 below LimiteValor, or nothing; what the
// filter lets through is digits and at most one decimal separator, and
// always reads, in fixed notation; both decimal conventions are tried.
#include "apoio_fuzz.h"

#include "app/cofrel_uteis.h"

#include <QLocale>

#include <cmath>
#include <optional>

namespace {

void confere(const QString &texto)
{
    using cofrel::fuzz::exige;
    const std::optional<double> colado = cofrel::LeValor(texto);
    if (colado) {
        exige(std::isfinite(*colado) && *colado >= 0 && *colado < cofrel::LimiteValor, "valor colado fora dos limites");
        exige(!cofrel::FormatValor(*colado).isEmpty(), "FormatValor vazio");
    }

    const QChar separador = cofrel::separadorDecimal();
    QString caixa;
    for (const QChar tecla : texto) {
        const QChar passou = cofrel::FiltroTeclaValor(caixa, tecla);
        if (passou.isNull() || passou.unicode() < 32 || caixa.size() == 12)
            continue; // swallowed, an editing key the box handles itself, or a full box
        exige(passou == tecla, "o filtro trocou a tecla");
        caixa += passou;
    }
    exige(caixa.count(separador) <= 1, "dois separadores");
    for (const QChar c : caixa)
        exige((c >= u'0' && c <= u'9') || c == separador, "caractere indevido na caixa");
    const std::optional<double> digitado = cofrel::LeValor(caixa);
    exige(digitado && std::isfinite(*digitado) && *digitado >= 0, "valor digitado");
    exige(!cofrel::FormatValor(*digitado).contains(u'e'), "valor digitado fora da notação fixa");
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
