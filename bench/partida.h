#pragma once

#include "amostras.h"

#include <QString>

namespace cofrel::bench {

// Figure (a), measured in fresh processes of this same executable, each
// from its start (as a person starting the program waits: loading of the
// libraries included) to its window shown and drawn:
// "--partida <pasta>" starts as the program does (application, fonts, every
// window created, the login window shown over the registry of <pasta>),
// "--base" shows a bare dialog of the login window's size the same way,
// "--base-texto" the same dialog with one line of text: the first text
// drawn initialises the platform's font system, which any window with
// words pays and the bare dialog does not.
int executaPartida(int argc, char *argv[], const QString &pastaDoPrograma);
int executaBase(int argc, char *argv[], bool comTexto);

// Runs the three \a vezes times, in turn, after one run of each that is
// not counted (it warms the system's file cache).
void medePartida(const QString &pastaDoPrograma, int vezes, Amostras &partida, Amostras &base,
                 Amostras &baseComTexto);

} // namespace cofrel::bench
