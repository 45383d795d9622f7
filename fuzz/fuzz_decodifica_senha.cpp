// DecodificaSenha on any stored bytes (a damaged registry may hold anything):
// it never reads past the text, a damaged text reads as no password, and a
// password it gives back survives scrambling and unscrambling again.
#include "apoio_fuzz.h"

#include "accounts/senha.h"

#include <QByteArray>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    cofrel::fuzz::iniciaQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *dados, size_t tamanho)
{
    using cofrel::fuzz::exige;
    // A copy of exactly the input's size, so reading past it trips ASan.
    const QByteArray guardado(reinterpret_cast<const char *>(dados), qsizetype(tamanho));
    bool legivel = false;
    const QByteArray senha = cofrel::DecodificaSenha(guardado, &legivel);
    if (!legivel) {
        exige(senha.isEmpty(), "um texto ilegível deu uma senha");
        return 0;
    }
    const int n = static_cast<unsigned char>(guardado.at(0));
    exige(senha.size() == n && n <= cofrel::TamanhoMaximoSenha, "tamanho da senha");

    bool deNovo = false;
    const QByteArray codificada = cofrel::CodificaSenha(senha);
    exige(codificada.size() == cofrel::TamanhoSenhaCodificada, "forma codificada com 21 caracteres");
    exige(cofrel::DecodificaSenha(codificada, &deNovo) == senha && deNovo, "ida e volta");

    // The filler is never read: other filler, same password.
    QByteArray outroEnchimento = guardado;
    for (qsizetype i = n + 1; i < outroEnchimento.size(); ++i)
        outroEnchimento[i] = char(outroEnchimento.at(i) ^ 0x5a);
    exige(cofrel::DecodificaSenha(outroEnchimento) == senha, "o enchimento não conta");
    return 0;
}
