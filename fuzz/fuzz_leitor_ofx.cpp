// The OFX reader on any bytes, through the statement's entry point (the
// bytes-level one: the file's size limit is checked apart) and straight,
// so that text the entry point would take for a CSV reaches it too. Seed
// it with the generator's samples: cofrel_extratogen <corpus> --seed S.
#include "confere_extrato.h"

#include "ledger/leitor_ofx.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    using namespace cofrel;
    using namespace Qt::StringLiterals;
    const QByteArrayView bytes(dados, qsizetype(tamanho));
    fuzz::confereLeitura([&] {
        ExtratoBanco extrato = leExtratoBancoBytes(bytes);
        if (extrato.precisaEscolherColunas()) { // no lines until the person chooses: counted as a refusal
            fuzz::exige(extrato.formato == FormatoExtrato::Csv && extrato.linhas.isEmpty(), "colunas a escolher");
            throw Error(u"colunas a escolher"_s);
        }
        return std::move(extrato.linhas);
    });
    const QString texto = decodificaExtrato(bytes);
    fuzz::confereLeitura([&] { return leOfx(texto); });
    return 0;
}
