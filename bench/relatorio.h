#pragma once

#include <QString>
#include <QStringList>

namespace cofrel::bench {

// Gathers the results of each ledger (one JSON file per size, written by
// "--livro"), prints the table of median, minimum and maximum, each
// figure beside its target and whether the median meets it, and writes
// everything to \a saida. Returns 0 when every target is met, 1 otherwise.
int escreveRelatorio(const QString &saida, const QStringList &partes);

} // namespace cofrel::bench
