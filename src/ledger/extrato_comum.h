#pragma once

#include "ledger/extrato_banco.h"

#include <QString>
#include <QStringView>

#include <optional>

// What the OFX and the CSV readers share: amounts in cents, the
// description's clean-up, balance lines, the fallback identities and the
// messages of a refused file.
namespace cofrel::extrato {

// 10^13 reais, LimiteValor, in cents: every amount read is below it.
inline constexpr qint64 LimiteCentavos = qint64(1'000'000'000'000'000);

// Reads "[sign]digits[<decimal>digits]" into cents, exactly: the thousands
// character (none when null) may appear among the whole digits; decimals
// past the cents must be zeros; 10^13 reais (LimiteValor) or more is no
// amount. Blanks around are allowed; nothing else is.
std::optional<qint64> leCentavos(QStringView texto, QChar decimal, QChar milhar = {});

// A date from its numbers; nullopt when that day does not exist.
std::optional<QDate> dataValida(int ano, int mes, int dia);

// Control characters become blanks, blanks are trimmed and collapsed, and
// the text is cut at TamanhoDescricaoExtrato without splitting a pair of
// surrogates.
QString limpaDescricao(QStringView texto);

// A balance some banks send as a transaction: a description whose first
// word is "SALDO" ("Saldo anterior", "SALDO DO DIA"; not "Saldos e
// Retalhos", a shop).
bool ehLinhaDeSaldo(QStringView descricao);

// Gives the fallback key to every line whose identity is empty, too long
// for a FITID (over 255 characters) or shared with another line.
void completaIdentidades(QList<LinhaExtrato> &linhas);

// A piece of the file quoted in a message, cut short.
QString trecho(QStringView texto);

// Throws the refusal of a file, with its reason.
[[noreturn]] void recusa(const QString &motivo, const QString &detalhe = {});
// Neither an OFX statement nor a CSV table with dates.
[[noreturn]] void recusaNaoExtrato();
// The file ends before the statement does, around \a linha.
[[noreturn]] void recusaCortado(int linha);
// Every line read was a balance, or there was none.
[[noreturn]] void recusaSemTransacao();

} // namespace cofrel::extrato
