#include "data/tables.h"

#include "data/database.h"
#include "data/schema.h"

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

} // namespace cofrel::data
