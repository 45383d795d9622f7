#include "support/tabelas.h"

#include "app/login_context.h"
#include "data/database.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>

#include <algorithm>
#include <stdexcept>

namespace cofrel::test {

using namespace Qt::StringLiterals;

namespace {

bool ehPlano(const QString &arquivo)
{
    return QFileInfo(arquivo).fileName().startsWith(u'd', Qt::CaseInsensitive);
}

} // namespace

void gravaLinhas(const QString &arquivo, QList<Lancamento> &linhas)
{
    data::Database db(loginContext().dataDir());
    data::Table tabela(db, ehPlano(arquivo) ? data::Table::Kind::Plan : data::Table::Kind::Ledger, arquivo);
    data::Transaction transacao(db, {arquivo});
    for (Lancamento &l : linhas)
        l.transacao = tabela.insert(l);
    transacao.commit();
}

QList<Lancamento> leLinhas(const QString &caminho)
{
    const bool plano = ehPlano(caminho);
    const auto falhou = [&](const QString &porque) {
        return std::runtime_error(QString(QFileInfo(caminho).fileName() + u": "_s + porque).toStdString());
    };
    if (!QFileInfo::exists(caminho))
        throw falhou(u"o arquivo não existe"_s);
    OutraConexao conexao(caminho);
    if (!conexao.falha().isEmpty())
        throw falhou(conexao.falha());
    QSqlQuery q = conexao.query();
    if (!q.exec(plano ? u"SELECT Transacao, Data, Descricao, Categoria, Valor, Dia FROM dfin ORDER BY Transacao"_s
                      : u"SELECT Transacao, Data, Descricao, Categoria, Valor, 0 FROM fin ORDER BY Transacao"_s))
        throw falhou(q.lastError().text());
    QList<Lancamento> linhas;
    while (q.next()) {
        linhas.append({q.value(0).toLongLong(), QDate::fromString(q.value(1).toString(), Qt::ISODate),
                       q.value(2).toString(), q.value(3).toInt(), q.value(4).toDouble(), q.value(5).toInt()});
    }
    if (q.lastError().isValid())
        throw falhou(q.lastError().text());
    return linhas;
}

QList<qint64> idsEmOrdemDeData(const QList<Lancamento> &linhas, const std::function<bool(const Lancamento &)> &fica)
{
    QList<Lancamento> ficam;
    std::copy_if(linhas.cbegin(), linhas.cend(), std::back_inserter(ficam), fica);
    std::sort(ficam.begin(), ficam.end(), [](const Lancamento &a, const Lancamento &b) {
        return a.data != b.data ? a.data < b.data : a.transacao < b.transacao;
    });
    QList<qint64> ids;
    for (const Lancamento &l : ficam)
        ids << l.transacao;
    return ids;
}

OutraConexao::OutraConexao(const QString &caminho)
{
    static int contador = 0;
    m_nome = u"outra-%1"_s.arg(++contador);
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, m_nome);
    db.setDatabaseName(caminho);
    db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=3000"_s);
    if (!db.open())
        m_falha = db.lastError().text();
}

OutraConexao::~OutraConexao()
{
    QSqlDatabase::database(m_nome, false).close();
    QSqlDatabase::removeDatabase(m_nome);
}

QSqlQuery OutraConexao::query() const
{
    return QSqlQuery(QSqlDatabase::database(m_nome, false));
}

bool OutraConexao::exec(const QString &sql) const
{
    QSqlQuery q = query();
    return q.exec(sql);
}

} // namespace cofrel::test
