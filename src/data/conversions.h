#pragma once

#include "data/layouts.h"

#include <QVariant>

// How field values travel between the program and the files: dates are
// stored as ISO text ('2024-01-31'), names and descriptions as text,
// passwords as blobs.
namespace cofrel::data {

// A value read from the engine as the program sees it (a date as QDate,
// an integer as qint64...). Values that cannot be read as their kind read
// as null.
QVariant fromStored(ColumnKind kind, const QVariant &raw);

// A value the program set, as it is written to the engine. \a maxLength
// cuts texts (0: no limit).
QVariant toStored(ColumnKind kind, const QVariant &value, int maxLength = 0);

// A text as the engine hands it back: the engine reads U+FFFE, U+FFFF and
// unpaired surrogates as U+FFFD, so they are replaced before writing and
// what is read equals what was written. \a maxLength cuts the text (0: no
// limit) without splitting a surrogate pair.
QString storableText(const QString &text, int maxLength = 0);

// The date of an ISO text ("2024-01-31", time part ignored); invalid when
// the text is none.
QDate dateFromIso(const QString &text);
QString isoDate(const QDate &date);

} // namespace cofrel::data
