#pragma once

#include "ledger/extrato_banco.h"

#include <QByteArray>
#include <QList>

#include <cstdint>

// Bank statements made up from a seed, never real bank data, each with the
// lines a reader must give back: for the sample files of cofrel_extratogen,
// the tests, the fuzzers' first inputs and the benchmark. The same seed
// gives the same bytes.
namespace cofrel::exemplo {

struct ExtratoExemplo {
    QByteArray bytes;
    QList<LinhaExtrato> linhas; // balances left out, fallback keys given
};

// OFX 1.x (SGML) in Windows-1252 as a bank sends it: a header that says
// USASCII, CRLF, accents, entities, DTPOSTED with times and "[-3:BRT]"
// (23:59:59 among them), amounts with a dot and some with a comma.
ExtratoExemplo ofxSgml(std::uint64_t semente, int linhas = 12);
// OFX 2.x (XML) in UTF-8, a credit card's statement.
ExtratoExemplo ofxXml(std::uint64_t semente, int linhas = 12);
// OFX 1.x in UTF-8 with "SALDO" lines among the transactions, FITIDs
// empty, missing and repeated, and two lines alike in everything.
ExtratoExemplo ofxSaldos(std::uint64_t semente);
// CSV with ';', decimal commas and thousands dots, UTF-8 with a BOM, a few
// lines about the account before the header, quoted descriptions.
ExtratoExemplo csvPontoEVirgula(std::uint64_t semente, int linhas = 12);

} // namespace cofrel::exemplo
