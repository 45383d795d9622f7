#pragma once

#include "data/tables.h"

namespace cofrel::test {

// One stored row as the tests write and compare them: a transaction of a
// user's ledger or, with its day of the month, a planned entry.
using Lancamento = data::Lancamento;

} // namespace cofrel::test
