#include "data/schema.h"

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

QString index(const QString &name, const QString &table, const QString &columns, const QString &where = {})
{
    QString statement = u"CREATE INDEX IF NOT EXISTS %1.%2 ON %3 (%4)"_s.arg(u"%1"_s, name, table, columns);
    if (!where.isEmpty())
        statement += u" WHERE "_s + where;
    return statement;
}

} // namespace

const TableSchema &usersSchema()
{
    // The index the program calls "users" is stored as users_nome: an SQL
    // index cannot share its table's name.
    static const TableSchema schema{
        u"users"_s, u"NomeChave, Numero"_s, {index(u"users_nome"_s, u"users"_s, u"NomeChave"_s)},
        u"CREATE TABLE %1.users (Numero INTEGER PRIMARY KEY AUTOINCREMENT, User TEXT, Senha BLOB, "
        u"NomeChave TEXT)"_s};
    return schema;
}

const TableSchema &finSchema()
{
    // fin_data orders the statement; the two covering indexes answer the
    // balance and the chart's sums without reading the rows (the chart
    // counts debits only, so its index holds only those).
    static const TableSchema schema{
        u"fin"_s, u"Data, Transacao"_s,
        {index(u"fin_data"_s, u"fin"_s, u"Data"_s), index(u"fin_data_valor"_s, u"fin"_s, u"Data, Valor"_s),
         index(u"fin_categoria"_s, u"fin"_s, u"Categoria, Data, Valor"_s, u"Valor < 0"_s)},
        u"CREATE TABLE %1.fin (Transacao INTEGER PRIMARY KEY AUTOINCREMENT, Data DATE, Descricao TEXT, "
        u"Categoria INTEGER, Valor REAL)"_s};
    return schema;
}

const TableSchema &dfinSchema()
{
    // "+" keeps the order off the indexes: the due entries' "where
    // data<=:now" finds its few rows through dfin_data and sorts them,
    // rather than walking the whole plan in day order to test every row.
    static const TableSchema schema{
        u"dfin"_s, u"+Dia, +Data, +Transacao"_s,
        {index(u"dfin_dia_data"_s, u"dfin"_s, u"Dia, Data"_s), index(u"dfin_data"_s, u"dfin"_s, u"Data"_s)},
        u"CREATE TABLE %1.dfin (Transacao INTEGER PRIMARY KEY AUTOINCREMENT, Dia INTEGER, Data DATE, "
        u"Categoria INTEGER, Descricao TEXT, Valor REAL)"_s};
    return schema;
}

const TableSchema *schemaOfTable(const QString &table)
{
    for (const TableSchema *s : {&usersSchema(), &finSchema(), &dfinSchema()}) {
        if (s->table.compare(table, Qt::CaseInsensitive) == 0)
            return s;
    }
    return nullptr;
}

QString foldedKey(const QString &name)
{
    // Upper-cased first: the new-user window looks names up upper-cased,
    // and upper-casing expands letters (ß to SS) that folding alone keeps.
    const QString folded = storableText(name).normalized(QString::NormalizationForm_C).toUpper().toCaseFolded();
    QString base;
    base.reserve(folded.size());
    for (const QChar c : folded.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            base.append(c);
    }
    return base + QChar(1) + folded;
}

QString isoDate(const QDate &date)
{
    return date.toString(Qt::ISODate);
}

QDate dateFromIso(const QString &text)
{
    return QDate::fromString(text.trimmed().left(10), Qt::ISODate);
}

QString storableText(const QString &text, int maxLength)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool pair = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        if (maxLength > 0 && result.size() + (pair ? 2 : 1) > maxLength)
            break;
        if (pair)
            result.append(c).append(text.at(++i));
        else if (c.isSurrogate() || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            result.append(QChar(QChar::ReplacementCharacter));
        else
            result.append(c);
    }
    return result;
}

} // namespace cofrel::data
