#pragma once

#include <QString>

namespace cofrel::data {

// Prepares the data folder \a dataDir of a program folder: creates it when
// missing (owner only), writes the empty templates fin.DB and dfin.DB anew,
// and writes an empty users.db only when there is none or it holds no user:
// a registry with users is never overwritten. Throws cofrel::Error naming
// the file that could not be written.
void createTemplates(const QString &dataDir);

} // namespace cofrel::data
