#include "data/tables.h"

#include "app/errors.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/upkeep.h"

#include <QDir>
#include <QFile>
#include <QSqlRecord>

namespace cofrel::data {

using namespace Qt::StringLiterals;

namespace {

constexpr int DescricaoMax = 100;
const QString ReadAction = u"ler a tabela"_s;
const QString WriteAction = u"gravar na tabela"_s;

QString textOf(const QVariant &value)
{
    return value.typeId() == QMetaType::QByteArray ? QString::fromUtf8(value.toByteArray()) : value.toString();
}

QVariantMap bindsOf(const Lancamento &row, bool plan)
{
    QVariantMap binds{{u":data"_s, row.data.isValid() ? QVariant(isoDate(row.data)) : QVariant()},
                      {u":descricao"_s, storableText(row.descricao, DescricaoMax)},
                      {u":categoria"_s, row.categoria},
                      {u":valor"_s, row.valor}};
    if (plan)
        binds.insert(u":dia"_s, row.dia);
    return binds;
}

} // namespace

RowReader::RowReader(const QSqlRecord &record)
    : m_transacao(record.indexOf(u"Transacao"_s))
    , m_data(record.indexOf(u"Data"_s))
    , m_descricao(record.indexOf(u"Descricao"_s))
    , m_categoria(record.indexOf(u"Categoria"_s))
    , m_valor(record.indexOf(u"Valor"_s))
    , m_dia(record.indexOf(u"Dia"_s))
{
}

Lancamento RowReader::read(const QSqlQuery &q) const
{
    Lancamento row;
    row.transacao = q.value(m_transacao).toLongLong();
    row.data = dateFromIso(q.value(m_data).toString());
    row.descricao = textOf(q.value(m_descricao));
    row.categoria = q.value(m_categoria).toInt();
    row.valor = q.value(m_valor).toDouble();
    if (m_dia >= 0)
        row.dia = q.value(m_dia).toInt();
    return row;
}

// ---- users.db ------------------------------------------------------------------

QStringList UserTable::names()
{
    const QString file(FileName);
    const QString schema = m_db.attach(file);
    QSqlQuery q = m_db.run(u"SELECT User FROM %1.users ORDER BY %2"_s.arg(schema, usersSchema().order), {},
                           ReadAction, file);
    QStringList names;
    while (nextRow(q, ReadAction, file))
        names << textOf(q.value(0));
    return names;
}

std::optional<UserTable::Usuario> UserTable::find(const QString &name)
{
    const QString file(FileName);
    const QString schema = m_db.attach(file);
    QSqlQuery q = m_db.run(u"SELECT Numero, User, Senha FROM %1.users WHERE NomeChave = :chave ORDER BY Numero"_s
                               .arg(schema),
                           {{u":chave"_s, foldedKey(name)}}, ReadAction, file);
    if (!nextRow(q, ReadAction, file))
        return std::nullopt;
    const QVariant senha = q.value(2);
    return Usuario{q.value(0).toInt(), textOf(q.value(1)),
                   senha.typeId() == QMetaType::QByteArray ? senha.toByteArray() : senha.toString().toUtf8()};
}

bool UserTable::contains(int numero)
{
    const QString file(FileName);
    const QString schema = m_db.attach(file);
    QSqlQuery q = m_db.run(u"SELECT 1 FROM %1.users WHERE Numero = :numero"_s.arg(schema),
                           {{u":numero"_s, numero}}, ReadAction, file);
    return nextRow(q, ReadAction, file);
}

int UserTable::insert(const QString &name, const QByteArray &senha)
{
    const QString file(FileName);
    const QString schema = m_db.attach(file);
    const QString nome = storableText(name);
    QSqlQuery q = m_db.run(u"INSERT INTO %1.users (User, Senha, NomeChave) VALUES (:nome, :senha, :chave)"_s.arg(schema),
                           {{u":nome"_s, nome}, {u":senha"_s, senha}, {u":chave"_s, foldedKey(nome)}},
                           WriteAction, file);
    return q.lastInsertId().toInt();
}

void UserTable::remove(int numero)
{
    const QString file(FileName);
    const QString schema = m_db.attach(file);
    m_db.run(u"DELETE FROM %1.users WHERE Numero = :numero"_s.arg(schema), {{u":numero"_s, numero}},
             WriteAction, file);
}

// ---- A user's ledger or plan ---------------------------------------------------

Table::Table(Database &db, Kind kind, QString fileName)
    : m_db(db)
    , m_kind(kind)
    , m_fileName(std::move(fileName))
{
}

QString Table::columns() const
{
    return m_kind == Kind::Plan ? u"Dia, Data, Descricao, Categoria, Valor"_s : u"Data, Descricao, Categoria, Valor"_s;
}

std::optional<Lancamento> Table::find(qint64 transacao)
{
    const QString schema = m_db.attach(m_fileName);
    QSqlQuery q = m_db.run(u"SELECT * FROM %1 WHERE Transacao = :transacao"_s.arg(schema),
                           {{u":transacao"_s, transacao}}, ReadAction, m_fileName);
    if (!nextRow(q, ReadAction, m_fileName))
        return std::nullopt;
    return RowReader(q.record()).read(q);
}

std::vector<Lancamento> Table::rows()
{
    const QString schema = m_db.attach(m_fileName);
    const TableSchema &layout = m_kind == Kind::Plan ? dfinSchema() : finSchema();
    QSqlQuery q = m_db.run(u"SELECT * FROM %1 ORDER BY %2"_s.arg(schema, layout.order), {}, ReadAction,
                           m_fileName);
    const RowReader reader(q.record());
    std::vector<Lancamento> rows;
    while (nextRow(q, ReadAction, m_fileName))
        rows.push_back(reader.read(q));
    return rows;
}

qint64 Table::insert(const Lancamento &row)
{
    const QString schema = m_db.attach(m_fileName);
    const bool plan = m_kind == Kind::Plan;
    const QString table = plan ? u"dfin"_s : u"fin"_s;
    const QString values = plan ? u":dia, :data, :descricao, :categoria, :valor"_s
                                : u":data, :descricao, :categoria, :valor"_s;
    QSqlQuery q = m_db.run(u"INSERT INTO %1.%2 (%3) VALUES (%4)"_s.arg(schema, table, columns(), values),
                           bindsOf(row, plan), WriteAction, m_fileName);
    return q.lastInsertId().toLongLong();
}

bool Table::update(const Lancamento &row)
{
    const QString schema = m_db.attach(m_fileName);
    const bool plan = m_kind == Kind::Plan;
    QString sets = u"Data = :data, Descricao = :descricao, Categoria = :categoria, Valor = :valor"_s;
    if (plan)
        sets += u", Dia = :dia"_s;
    QVariantMap binds = bindsOf(row, plan);
    binds.insert(u":transacao"_s, row.transacao);
    QSqlQuery q = m_db.run(u"UPDATE %1.%2 SET %3 WHERE Transacao = :transacao"_s.arg(schema, plan ? u"dfin"_s : u"fin"_s, sets),
                           binds, WriteAction, m_fileName);
    return q.numRowsAffected() > 0;
}

bool Table::remove(qint64 transacao)
{
    const QString schema = m_db.attach(m_fileName);
    QSqlQuery q = m_db.run(u"DELETE FROM %1.%2 WHERE Transacao = :transacao"_s.arg(
                               schema, m_kind == Kind::Plan ? u"dfin"_s : u"fin"_s),
                           {{u":transacao"_s, transacao}}, WriteAction, m_fileName);
    return q.numRowsAffected() > 0;
}

// ---- Imports into a ledger -------------------------------------------------------

namespace {

constexpr int KeptBackups = 5;

bool importsExist(Database &db, const QString &schema, const QString &file)
{
    QSqlQuery q = db.run(u"SELECT 1 FROM %1.sqlite_master WHERE name = 'importados'"_s.arg(schema), {}, ReadAction,
                         file);
    return nextRow(q, ReadAction, file);
}

} // namespace

QSet<QString> Table::importedIdentities()
{
    const QString schema = m_db.attach(m_fileName);
    QSet<QString> identities;
    if (!importsExist(m_db, schema, m_fileName))
        return identities;
    QSqlQuery q = m_db.run(u"SELECT Identidade FROM %1.importados"_s.arg(schema), {}, ReadAction, m_fileName);
    while (nextRow(q, ReadAction, m_fileName))
        identities.insert(q.value(0).toString());
    return identities;
}

std::vector<Lancamento> Table::rowsBetween(const QDate &first, const QDate &last)
{
    const QString schema = m_db.attach(m_fileName);
    QSqlQuery q = m_db.run(u"SELECT * FROM %1 WHERE Data >= :primeiro AND Data <= :ultimo"_s.arg(schema),
                           {{u":primeiro"_s, isoDate(first)}, {u":ultimo"_s, isoDate(last)}}, ReadAction, m_fileName);
    const RowReader reader(q.record());
    std::vector<Lancamento> rows;
    while (nextRow(q, ReadAction, m_fileName))
        rows.push_back(reader.read(q));
    return rows;
}

QHash<QString, int> Table::usualCategories()
{
    const QString schema = m_db.attach(m_fileName);
    QSqlQuery q = m_db.run(u"SELECT Descricao, Categoria, count(*) FROM %1 WHERE Transacao > "
                           u"(SELECT coalesce(max(Transacao), 0) FROM %1) - :janela GROUP BY Descricao, Categoria"_s
                               .arg(schema),
                           {{u":janela"_s, UsualWindow}}, ReadAction, m_fileName);
    QHash<QString, QHash<int, qint64>> counts; // folded description -> category -> rows
    while (nextRow(q, ReadAction, m_fileName))
        counts[textOf(q.value(0)).toCaseFolded()][q.value(1).toInt()] += q.value(2).toLongLong();
    QHash<QString, int> usual;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        int best = 0;
        qint64 most = 0;
        for (auto c = it->cbegin(); c != it->cend(); ++c) {
            if (c.value() > most || (c.value() == most && c.key() < best)) {
                best = c.key();
                most = c.value();
            }
        }
        usual.insert(it.key(), best);
    }
    return usual;
}

std::vector<qint64> Table::insertImported(const std::vector<Importado> &rows)
{
    const QString schema = m_db.attach(m_fileName);
    m_db.run(u"CREATE TABLE IF NOT EXISTS %1.importados (Identidade TEXT PRIMARY KEY, Transacao INTEGER)"_s.arg(schema),
             {}, WriteAction, m_fileName);
    QSqlQuery row = m_db.prepare(u"INSERT INTO %1.fin (%2) VALUES (:data, :descricao, :categoria, :valor)"_s.arg(
                                     schema, columns()),
                                 WriteAction, m_fileName);
    QSqlQuery identity = m_db.prepare(
        u"INSERT INTO %1.importados (Identidade, Transacao) VALUES (:identidade, :transacao)"_s.arg(schema),
        WriteAction, m_fileName);
    std::vector<qint64> numbers;
    numbers.reserve(rows.size());
    for (const Importado &i : rows) {
        m_db.exec(row, bindsOf(i.row, false), WriteAction, m_fileName);
        numbers.push_back(row.lastInsertId().toLongLong());
        m_db.exec(identity, {{u":identidade"_s, i.identidade}, {u":transacao"_s, numbers.back()}}, WriteAction,
                       m_fileName);
    }
    return numbers;
}

QString Table::backUp(const QDateTime &when)
{
    const QString path = m_db.resolveFile(m_fileName);
    const QString base = tableNameOf(m_fileName);
    const QDir dir(m_db.folder());
    const QString copy = dir.filePath(base + u'.' + when.toString(u"yyyyMMdd-HHmmss"_s) + u".bak"_s);
    // A copy of this very second already holds the state before it.
    if (!QFile::exists(copy)) {
        if (!QFile::copy(path, copy) || !QFile::setPermissions(copy, OwnerOnlyFile)) {
            QFile::remove(copy);
            throw Error(u"Não foi possível fazer a cópia de segurança de %1 em %2."_s.arg(
                m_fileName, QDir::toNativeSeparators(copy)));
        }
    }
    // base.yyyymmdd-hhmmss.bak, spelt out: "?" runs would read as trigraphs.
    const QString pattern = base + u'.' + QString(8, u'?') + u'-' + QString(6, u'?') + u".bak"_s;
    QStringList copies = dir.entryList({pattern}, QDir::Files, QDir::Name);
    while (copies.size() > KeptBackups)
        QFile::remove(dir.filePath(copies.takeFirst()));
    return copy;
}

} // namespace cofrel::data
