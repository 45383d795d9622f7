// The date readers on any text (typed, or pasted past the mask): LeData
// either refuses or gives a real date that reads back the same, and the
// year repair of the entry dialog keeps the text's shape.
#include "apoio_fuzz.h"

#include "app/cofrel_uteis.h"
#include "app/errors.h"
#include "ledger/cofrel_inclui_valor.h"

#include <QDate>

namespace {

void confere(const QString &texto)
{
    using cofrel::fuzz::exige;
    if (const std::optional<QDate> data = cofrel::LeData(texto)) {
        exige(data->isValid(), "data inválida aceita");
        exige(cofrel::LeData(cofrel::FormatData(*data)) == data, "data não volta igual");
    }
    const QString reparado = TformIncluirValor::reparaAno(texto);
    exige(reparado == texto || reparado.size() == qMin<qsizetype>(texto.size(), 6) + 4, "conserto do ano");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    confere(cofrel::fuzz::comoUtf8(dados, tamanho));
    confere(cofrel::fuzz::comoUtf16(dados, tamanho));
    // Day, month and year straight from the bytes: a date or a refusal.
    if (tamanho >= 6) {
        const int dia = int(qint16(dados[0] | dados[1] << 8));
        const int mes = int(qint16(dados[2] | dados[3] << 8));
        const int ano = int(qint16(dados[4] | dados[5] << 8));
        try {
            const QDate data = cofrel::EncodeDateSeguro(dia, mes, ano);
            cofrel::fuzz::exige(data.isValid() && data.month() == mes && data.year() == ano, "EncodeDateSeguro");
        } catch (const cofrel::Error &) {
        }
    }
    return 0;
}
