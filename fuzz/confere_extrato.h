#pragma once

// What both statement fuzzers hold the readers to: a file is read, or
// refused with a message, and what is read keeps LinhaExtrato's promises.
#include "apoio_fuzz.h"

#include "app/errors.h"
#include "ledger/extrato_banco.h"
#include "ledger/extrato_comum.h"

#include <QSet>

#include <functional>

namespace cofrel::fuzz {

inline void confereLinhas(const QList<LinhaExtrato> &linhas)
{
    exige(!linhas.isEmpty(), "extrato lido sem linhas");
    QSet<QString> identidades;
    for (const LinhaExtrato &l : linhas) {
        exige(l.data.isValid(), "data inválida");
        exige(l.centavos > -extrato::LimiteCentavos && l.centavos < extrato::LimiteCentavos, "valor fora do limite");
        exige(l.descricao.size() <= TamanhoDescricaoExtrato, "descrição longa demais");
        exige(l.descricao == l.descricao.simplified(), "descrição com brancos sobrando");
        exige(l.descricao.isEmpty() || !l.descricao.back().isHighSurrogate(), "par de surrogates partido");
        for (const QChar c : l.descricao)
            exige(c.category() != QChar::Other_Control, "caractere de controle na descrição");
        exige(!extrato::ehLinhaDeSaldo(l.descricao), "linha de saldo importada");
        exige(!l.identidade.isEmpty(), "identidade vazia");
        identidades.insert(l.identidade);
    }
    exige(identidades.size() == linhas.size(), "identidade repetida");
}

// Runs \a leitura twice: it either throws cofrel::Error with a message
// both times, or gives the same lines both times, which are checked.
inline void confereLeitura(const std::function<QList<LinhaExtrato>()> &leitura)
{
    QList<LinhaExtrato> primeira;
    QString recusa;
    try {
        primeira = leitura();
    } catch (const Error &e) {
        recusa = e.message();
        exige(!recusa.isEmpty(), "recusa sem mensagem");
    }
    try {
        exige(leitura() == primeira && recusa.isEmpty(), "segunda leitura diferente");
    } catch (const Error &e) {
        exige(e.message() == recusa, "segunda recusa diferente");
        return;
    }
    confereLinhas(primeira);
}

} // namespace cofrel::fuzz
