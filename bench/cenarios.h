#pragma once

#include <QDate>
#include <QJsonObject>
#include <QString>

namespace cofrel::bench {

struct OpcoesLivro {
    QString pastaDoPrograma; // AppDir: fundo.bmp and dados/ with the ledger
    QString usuario;
    QString senha;
    qint64 transacoes = 0;   // as generated, for the report
    int repeticoes = 15;     // figures (b) to (f)
    int repeticoesCopia = 5; // figure (g)
    int repeticoesPartida = 7;
    QDate hoje;              // the clock fixed to this day (the ledger's own), when valid
    bool colagem = false;    // only (i), on a real display
};

// Every figure on one ledger, in this process (a QApplication must exist):
// (a) in fresh processes, then (b) log-in with (h) the peak memory after
// the first one, (c) period change, (d) chart refresh, (e) a transaction
// added end to end, (f) the due-entry check, (g) the statement copy of
// "Completo" (with whether the pointer was an hourglass meanwhile), (j)
// Ctrl+End and (k) the scrollbar dragged to the middle of "Completo", and
// last (l) the review of a bank statement of 10,000 lines shown and (m)
// those lines booked, which adds them to the book.
//
// With opcoes.colagem, only (i), on a real display (X): after the log-in,
// each copy of "Completo" is pasted by another program (xclip), and the
// figure is the program's peak memory while it serves the paste above what
// it held before the copy, beside the report's size and the copy's time.
QJsonObject medeLivro(const OpcoesLivro &opcoes);

} // namespace cofrel::bench
