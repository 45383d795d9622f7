#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The three tables of the data folder. Every file holds one of them under
// its own name ("users", "fin" or "dfin"), whatever the file is called: a
// user's f7.DB is a copy of the template fin.DB.
namespace cofrel::data {

struct TableSchema {
    QString table;     // "fin"
    QString order; // the engine's own order of the rows, an ORDER BY list
    // Statements with "%1" standing for the schema ("main", "f7"): the
    // indexes, also run on older files when they are attached.
    QStringList indexes;
    QString create; // the table itself, "%1" as above
};

const TableSchema &usersSchema();
const TableSchema &finSchema();
const TableSchema &dfinSchema();
// The schema whose table is \a table, or nullptr.
const TableSchema *schemaOfTable(const QString &table);

// The key under which users.db finds a name without regard to letter case:
// the name upper-cased and case-folded, stripped of accents (so "Álvaro"
// sorts among the a's), then the folded name itself (so "José" and "Jose"
// stay two names while "JOSÉ" is "josé").
QString foldedKey(const QString &name);

// Dates are stored as ISO text ('2024-01-31').
QString isoDate(const QDate &date);
QDate dateFromIso(const QString &text); // time part ignored; invalid when none

// A text as the engine gives it back: U+FFFE, U+FFFF and unpaired
// surrogates read back as U+FFFD, so they are replaced before writing.
// \a maxLength cuts the text (0: no limit) without splitting a pair.
QString storableText(const QString &text, int maxLength = 0);

} // namespace cofrel::data
