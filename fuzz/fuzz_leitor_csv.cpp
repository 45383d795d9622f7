// The CSV reader on any bytes: the table, the lines by the columns its
// header names, and by a choice of columns taken from the input's first
// bytes, as the person would make in the review. Seed it with the
// generator's samples: cofrel_extratogen <corpus> --seed S.
#include "confere_extrato.h"

#include "ledger/leitor_csv.h"

#include <optional>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    using namespace cofrel;
    const QByteArrayView bytes(dados, qsizetype(tamanho));
    std::optional<TabelaCsv> tabela;
    try {
        tabela = leTabelaCsv(decodificaExtrato(bytes));
    } catch (const Error &e) {
        fuzz::exige(!e.message().isEmpty(), "recusa sem mensagem");
        return 0;
    }
    fuzz::exige(tabela->linhas.size() == tabela->linhasArquivo.size(), "linhas sem número");
    if (tabela->colunas.valida())
        fuzz::confereLeitura([&] { return linhasCsv(*tabela, tabela->colunas); });
    const auto coluna = [&](size_t i) { return tamanho > i ? int(dados[i] % 6) - 1 : -1; };
    const ColunasCsv escolha{coluna(0), coluna(1), coluna(2), coluna(3), coluna(4)};
    fuzz::confereLeitura([&] { return linhasCsv(*tabela, escolha); });
    return 0;
}
