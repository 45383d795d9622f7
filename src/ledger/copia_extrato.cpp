#include "ledger/copia_extrato.h"

#include "data/query.h"

namespace cofrel {

// Placeholder until the clipboard copy is built.
QString montaRelatorioExtrato(data::Query &, const QString &, const QString &)
{
    return {};
}

void copiaRelatorioParaClipboard(const QString &)
{
}

} // namespace cofrel
