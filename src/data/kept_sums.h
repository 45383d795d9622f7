#pragma once

#include "data/database.h"

#include <QDate>
#include <QString>

#include <optional>

namespace cofrel::data {

// A sum of the amounts of a table file dated up to a day, kept in the
// connection's main file from one session to the next. It stands only while
// the file is exactly as it was when summed, so a large ledger is not read
// whole again at every log-in. Keeping is only a saving of time: where the
// main file cannot be written, nothing is kept and nothing fails.
struct KeptSum {
    QDate upTo;
    double sum = 0;
};

// The sum kept for \a fileName, when the file still is as \a stamp saw it.
std::optional<KeptSum> keptSum(const Database &db, const QString &fileName, const Database::Stamp &stamp);
// Keeps \a kept for \a fileName as \a stamp saw it. Keeping writes through
// the connection, not to the file; the stamp returned stands for the same
// state of the file from now on (\a stamp itself when the file changed).
Database::Stamp keepSum(Database &db, const QString &fileName, const Database::Stamp &stamp, const KeptSum &kept);

} // namespace cofrel::data
