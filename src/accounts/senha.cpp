#include "accounts/senha.h"

#include "app/clock.h"

#include <QTime>

#include <random>

namespace cofrel {

namespace {

constexpr int PrimeiroAdendo = -29;

// The process-wide generator the encoder reseeds at every call.
std::minstd_rand &gerador()
{
    static std::minstd_rand generator;
    return generator;
}

// Walks the addend sequence: k(1) = -29, s(1) = +1, then
// k(p+1) = -(k(p) + s(p)) and s(p+1) = -s(p).
class Adendos final {
public:
    int atual() const { return m_adendo; }
    void avanca()
    {
        m_adendo = -(m_adendo + m_sinal);
        m_sinal = -m_sinal;
    }

private:
    int m_adendo = PrimeiroAdendo;
    int m_sinal = 1;
};

unsigned char somaModulo(unsigned char code, int addend)
{
    return static_cast<unsigned char>((int(code) + addend + 256 * 4) % 256);
}

} // namespace

QByteArray CodificaSenha(const QByteArray &senha)
{
    const QTime agora = clock::now().time();
    gerador().seed(static_cast<unsigned>(agora.msecsSinceStartOfDay()));

    const QByteArray texto = senha.left(TamanhoMaximoSenha);
    const int n = int(texto.size());
    QByteArray resultado(TamanhoSenhaCodificada, '\0');
    resultado[0] = char(n);
    Adendos k;
    for (int p = 1; p <= n; ++p) {
        resultado[p] = char(somaModulo(static_cast<unsigned char>(texto.at(p - 1)), k.atual()));
        k.avanca();
    }
    std::uniform_int_distribution<int> filler(0, 99);
    for (int j = n + 1; j < TamanhoSenhaCodificada; ++j)
        resultado[j] = char(10 + filler(gerador()));
    return resultado;
}

QByteArray DecodificaSenha(const QByteArray &codificada, bool *ok)
{
    if (ok)
        *ok = false;
    if (codificada.isEmpty())
        return {};
    const int n = static_cast<unsigned char>(codificada.at(0));
    if (n > TamanhoMaximoSenha || codificada.size() < n + 1)
        return {};
    QByteArray senha(n, '\0');
    Adendos k;
    for (int p = 1; p <= n; ++p) {
        senha[p - 1] = char(somaModulo(static_cast<unsigned char>(codificada.at(p)), -k.atual()));
        k.avanca();
    }
    if (ok)
        *ok = true;
    return senha;
}

} // namespace cofrel
