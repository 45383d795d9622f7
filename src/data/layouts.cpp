#include "data/layouts.h"

#include "data/conversions.h"

namespace cofrel::data {

using namespace Qt::StringLiterals;

QStringList IndexLayout::orderColumns() const
{
    if (foldCase && !keyColumn.isEmpty())
        return {keyColumn};
    return fields;
}

QString foldedKey(const QString &name)
{
    // Upper-cased first: the new-user window looks names up upper-cased, and
    // upper-casing expands letters (ß to SS) that folding alone keeps.
    const QString folded = storableText(name).normalized(QString::NormalizationForm_C).toUpper().toCaseFolded();
    QString base;
    base.reserve(folded.size());
    for (const QChar c : folded.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            base.append(c);
    }
    return base % QChar(1) % folded;
}

const ColumnLayout *TableLayout::column(const QString &name) const
{
    for (const ColumnLayout &c : columns) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return &c;
    }
    return nullptr;
}

namespace {

bool sameFieldList(const QStringList &a, const QStringList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].trimmed().compare(b[i].trimmed(), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// The index statements double as migrations: files made before an index
// existed gain it when attached.
struct SqlIndex {
    QString name;
    QString columns;
    QString where = {}; // a partial index holds only the rows meeting this
};

QStringList indexStatements(const QString &table, const std::vector<SqlIndex> &indexes)
{
    QStringList out;
    for (const SqlIndex &i : indexes) {
        QString statement = u"CREATE INDEX IF NOT EXISTS %1.\"%2\" ON \"%3\" (%4)"_s.arg(u"%1"_s, i.name, table, i.columns);
        if (!i.where.isEmpty())
            statement += u" WHERE "_s % i.where;
        out << statement;
    }
    return out;
}

TableLayout makeUsers()
{
    TableLayout t;
    t.internalName = u"users"_s;
    t.primaryKey = u"Numero"_s;
    t.columns = {{u"User"_s, ColumnKind::Text}, {u"Senha"_s, ColumnKind::Bytes}};
    t.hiddenColumns = {u"NomeChave"_s};
    // The SQL index cannot share the table's name, so the index the program
    // calls "users" is stored as users_nome.
    t.indexes = {{u"users"_s, {u"User"_s}, u"NomeChave"_s, true}};
    t.viewOrder = u"NomeChave, Numero"_s;
    t.migrations = indexStatements(u"users"_s, {{u"users_nome"_s, u"\"NomeChave\""_s}});
    t.ddl = QStringList{u"CREATE TABLE %1.\"users\" (\"Numero\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                        u"\"User\" TEXT, \"Senha\" BLOB, \"NomeChave\" TEXT)"_s}
            + t.migrations;
    return t;
}

TableLayout makeFin()
{
    TableLayout t;
    t.internalName = u"fin"_s;
    t.primaryKey = u"Transacao"_s;
    t.columns = {{u"Data"_s, ColumnKind::Date},
                 {u"Descricao"_s, ColumnKind::Text, 100},
                 {u"Categoria"_s, ColumnKind::Integer},
                 {u"Valor"_s, ColumnKind::Real}};
    t.indexes = {{{}, {u"Data"_s}, u"Data"_s, false},
                 {{}, {u"Transacao"_s}, u"Transacao"_s, false}};
    t.viewOrder = u"Data, Transacao"_s;
    // fin_data orders the statement; the two covering indexes serve the
    // balance and the chart sums without reading the rows (the chart counts
    // debits only, so its index holds only those).
    t.migrations = indexStatements(u"fin"_s, {{u"fin_data"_s, u"\"Data\""_s},
                                              {u"fin_data_valor"_s, u"\"Data\", \"Valor\""_s},
                                              {u"fin_categoria"_s, u"\"Categoria\", \"Data\", \"Valor\""_s, u"\"Valor\" < 0"_s}});
    t.ddl = QStringList{u"CREATE TABLE %1.\"fin\" (\"Transacao\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                        u"\"Data\" DATE, \"Descricao\" TEXT, \"Categoria\" INTEGER, \"Valor\" REAL)"_s}
            + t.migrations;
    return t;
}

TableLayout makeDfin()
{
    TableLayout t;
    t.internalName = u"dfin"_s;
    t.primaryKey = u"Transacao"_s;
    t.columns = {{u"Dia"_s, ColumnKind::Integer},
                 {u"Data"_s, ColumnKind::Date},
                 {u"Categoria"_s, ColumnKind::Integer},
                 {u"Descricao"_s, ColumnKind::Text, 100},
                 {u"Valor"_s, ColumnKind::Real}};
    t.indexes = {{{}, {u"Dia"_s, u"Data"_s}, u"Dia"_s, false},
                 {{}, {u"Transacao"_s}, u"Transacao"_s, false}};
    // The only statement over the view is the due entries' "where
    // data<=:now": with the order kept off the indexes ("+"), SQLite finds
    // the due rows through dfin_data and sorts those few, instead of
    // walking the whole plan in day order to test every row.
    t.viewOrder = u"+Dia, +Data, +Transacao"_s;
    t.migrations = indexStatements(u"dfin"_s, {{u"dfin_dia_data"_s, u"\"Dia\", \"Data\""_s},
                                               {u"dfin_data"_s, u"\"Data\""_s}});
    t.ddl = QStringList{u"CREATE TABLE %1.\"dfin\" (\"Transacao\" INTEGER PRIMARY KEY AUTOINCREMENT, "
                        u"\"Dia\" INTEGER, \"Data\" DATE, \"Categoria\" INTEGER, \"Descricao\" TEXT, "
                        u"\"Valor\" REAL)"_s}
            + t.migrations;
    return t;
}

} // namespace

const IndexLayout *TableLayout::indexByFields(const QString &fieldList) const
{
    const QStringList wanted = fieldList.split(u';', Qt::SkipEmptyParts);
    for (const IndexLayout &i : indexes) {
        if (sameFieldList(i.fields, wanted))
            return &i;
    }
    return nullptr;
}

const IndexLayout *TableLayout::indexByName(const QString &indexName) const
{
    for (const IndexLayout &i : indexes) {
        if (!i.name.isEmpty() && i.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &i;
    }
    return nullptr;
}

const TableLayout &usersLayout()
{
    static const TableLayout layout = makeUsers();
    return layout;
}

const TableLayout &finLayout()
{
    static const TableLayout layout = makeFin();
    return layout;
}

const TableLayout &dfinLayout()
{
    static const TableLayout layout = makeDfin();
    return layout;
}

const TableLayout *layoutByInternalName(const QString &internalName)
{
    for (const TableLayout *l : {&usersLayout(), &finLayout(), &dfinLayout()}) {
        if (l->internalName.compare(internalName, Qt::CaseInsensitive) == 0)
            return l;
    }
    return nullptr;
}

} // namespace cofrel::data
