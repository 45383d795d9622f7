#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>

// Shared by the fuzz targets: a Qt application object for the whole run, and
// a stop that libFuzzer reports with the input that caused it.
namespace cofrel::fuzz {

void iniciaQt();

// Stops the run when \a condicao is false (libFuzzer then saves the input).
void exige(bool condicao, const char *oque);

// The input as text two ways: its bytes read as UTF-8 (always valid
// Unicode) and as raw UTF-16 code units (lone surrogates and all).
QString comoUtf8(const uint8_t *dados, size_t tamanho);
QString comoUtf16(const uint8_t *dados, size_t tamanho);

} // namespace cofrel::fuzz
