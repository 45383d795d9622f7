#pragma once

#include <QByteArray>

// Password scrambling. A password is 0..20 single-byte (Latin-1)
// characters; its scrambled form is always 21 bytes: the length, the
// password shifted by an alternating addend, then random filler 10..109.
namespace cofrel {

inline constexpr int TamanhoMaximoSenha = 20;
inline constexpr int TamanhoSenhaCodificada = 21;

// Reseeds the process's generator from the time of day in milliseconds at
// every call. Only the first 20 bytes of a longer password are kept.
QByteArray CodificaSenha(const QByteArray &senha);

// The password a stored text holds. A damaged text (empty, shorter than
// its length byte says, or a length above 20) gives an empty
// result with \a ok set to false; callers treat that as a wrong password.
QByteArray DecodificaSenha(const QByteArray &codificada, bool *ok = nullptr);

} // namespace cofrel
