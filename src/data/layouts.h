#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// The three table layouts of the data folder. Every file holds exactly one
// table, under the layout's internal name ("users", "fin" or "dfin"); the
// per-user copies keep that name whatever their file is called.
namespace cofrel::data {

enum class ColumnKind { Integer, Real, Text, Date, Bytes };

struct ColumnLayout {
    QString name;      // as in the SQL texts: "Data", "Valor", ...
    ColumnKind kind;
    int maxLength = 0; // text cut to this many characters when written; 0: no limit
};

struct IndexLayout {
    QString name;          // index name ("users"), empty when chosen by field list only
    QStringList fields;    // the field list that selects it ("Dia;Data" -> {"Dia","Data"})
    QString keyColumn;     // the stored column FindKey compares with (may be a hidden one)
    bool foldCase = false; // FindKey compares without regard to letter case

    // The stored columns that give the index order (the primary key breaks ties).
    QStringList orderColumns() const;
};

// The stored key of a name in a case-folding index: the name case-folded and
// stripped of accents (so "Álvaro" sorts among the a's), then the folded name
// itself (so "José" and "Jose" stay different names while "JOSÉ" is "josé",
// and "Straße" is "STRASSE").
QString foldedKey(const QString &name);

struct TableLayout {
    QString internalName;             // "users", "fin", "dfin"
    QString primaryKey;               // the auto-increment column
    std::vector<ColumnLayout> columns; // the visible fields, in order
    std::vector<IndexLayout> indexes;
    // The engine's own order for "select *" (an ORDER BY list). A column
    // written "+Dia" orders the same but keeps SQLite from choosing an index
    // for the order over one for the condition.
    QString viewOrder;
    // Statements with "%1" standing for the quoted schema ("main", "f7").
    QStringList ddl;                  // create the table and its indexes
    QStringList migrations;           // idempotent, run when a file is attached
    // Hidden stored columns (not fields): the folded keys of case-folding indexes.
    QStringList hiddenColumns;

    const ColumnLayout *column(const QString &name) const; // case-insensitive
    const IndexLayout *indexByFields(const QString &fieldList) const;
    const IndexLayout *indexByName(const QString &indexName) const;
};

const TableLayout &usersLayout();
const TableLayout &finLayout();
const TableLayout &dfinLayout();
// The layout whose internal name is \a internalName, or nullptr.
const TableLayout *layoutByInternalName(const QString &internalName);

} // namespace cofrel::data
