#include "apoio_confiabilidade.h"

#include "accounts/senha.h"
#include "support/tabelas.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <stdexcept>

namespace cofrel::test {

using namespace Qt::StringLiterals;

namespace {

std::runtime_error erro(const QString &texto)
{
    return std::runtime_error(texto.toStdString());
}

// Runs \a trabalho with a query on a connection of its own to \a arquivo;
// throws what went wrong.
template <typename Trabalho>
void comArquivo(const QString &arquivo, const Trabalho &trabalho)
{
    if (!QFileInfo::exists(arquivo))
        throw erro(u"o arquivo %1 não existe"_s.arg(arquivo));
    const OutraConexao conexao(arquivo);
    if (!conexao.falha().isEmpty())
        throw erro(conexao.falha());
    QSqlQuery q = conexao.query();
    trabalho(q);
    if (q.lastError().isValid())
        throw erro(q.lastError().text());
}

QString arquivoDe(const QString &pasta, const QString &nome)
{
    const QDir dir(pasta);
    for (const QString &entrada : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (entrada.compare(nome, Qt::CaseInsensitive) == 0)
            return dir.filePath(entrada);
    }
    return dir.filePath(nome);
}

// The rows of \a arquivo by number, amounts rounded to the cent as the
// crash test's model holds them.
QMap<qint64, Lancamento> porNumero(const QString &arquivo)
{
    QMap<qint64, Lancamento> linhas;
    for (Lancamento l : leLinhas(arquivo)) {
        l.valor = double(centavos(l.valor)) / 100.0;
        linhas.insert(l.transacao, l);
    }
    return linhas;
}

} // namespace

Estado leEstado(const QString &pastaDados)
{
    Estado estado;
    try {
        comArquivo(arquivoDe(pastaDados, u"users.db"_s), [&](QSqlQuery &q) {
            if (!q.exec(u"SELECT Numero, User, Senha FROM users"_s))
                return;
            while (q.next()) {
                UsuarioGravado u;
                u.nome = q.value(1).toString();
                bool legivel = false;
                u.senha = DecodificaSenha(q.value(2).toByteArray(), &legivel);
                if (!legivel)
                    throw erro(u"a senha de %1 não se lê"_s.arg(u.nome));
                estado.insert(q.value(0).toInt(), u);
            }
        });
    } catch (const std::runtime_error &e) {
        throw erro(u"users.db: "_s + QString::fromStdString(e.what()));
    }
    for (auto it = estado.begin(); it != estado.end(); ++it) {
        it->lancamentos = porNumero(arquivoDe(pastaDados, u"f%1.DB"_s.arg(it.key())));
        it->plano = porNumero(arquivoDe(pastaDados, u"d%1.DB"_s.arg(it.key())));
    }
    return estado;
}

QStringList descreve(const Estado &estado)
{
    QStringList linhas;
    for (auto it = estado.cbegin(); it != estado.cend(); ++it) {
        const UsuarioGravado &u = it.value();
        linhas << u"usuário %1 \"%2\" senha %3"_s.arg(it.key()).arg(u.nome, QString::fromLatin1(u.senha.toHex()));
        for (auto l = u.lancamentos.cbegin(); l != u.lancamentos.cend(); ++l)
            linhas << u"  f%1 #%2 %3 cat %4 %5 \"%6\""_s.arg(it.key()).arg(l.key()).arg(l->data.toString(Qt::ISODate))
                          .arg(l->categoria).arg(centavos(l->valor)).arg(l->descricao);
        for (auto p = u.plano.cbegin(); p != u.plano.cend(); ++p)
            linhas << u"  d%1 #%2 dia %3 %4 cat %5 %6 \"%7\""_s.arg(it.key()).arg(p.key()).arg(p->dia)
                          .arg(p->data.toString(Qt::ISODate)).arg(p->categoria).arg(centavos(p->valor)).arg(p->descricao);
    }
    return linhas;
}

QString diferenca(const Estado &esperado, const Estado &real)
{
    const QStringList a = descreve(esperado);
    const QStringList b = descreve(real);
    QStringList saida;
    for (const QString &l : a) {
        if (!b.contains(l))
            saida << u"falta:  "_s + l;
    }
    for (const QString &l : b) {
        if (!a.contains(l))
            saida << u"sobra:  "_s + l;
    }
    return saida.mid(0, 12).join(u'\n');
}

QString integridade(const QString &arquivo)
{
    QStringList linhas;
    try {
        comArquivo(arquivo, [&](QSqlQuery &q) {
            if (q.exec(u"PRAGMA integrity_check"_s)) {
                while (q.next())
                    linhas << q.value(0).toString();
            }
        });
    } catch (const std::runtime_error &e) {
        return QString::fromStdString(e.what());
    }
    return linhas.join(u"; "_s);
}
QMap<QString, QByteArray> impressoes(const QString &pasta)
{
    QMap<QString, QByteArray> mapa;
    const QDir dir(pasta);
    for (const QString &nome : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(dir.filePath(nome));
        if (!f.open(QIODevice::ReadOnly)) {
            mapa.insert(nome, QByteArray("ilegível"));
            continue;
        }
        mapa.insert(nome, QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
    }
    return mapa;
}

void copiaPasta(const QString &de, const QString &para)
{
    const QDir origem(de);
    QDir destino(para);
    if (!destino.exists() && !QDir().mkpath(para))
        throw erro(u"não foi possível criar "_s + para);
    const QStringList nomes = origem.entryList(QDir::Files | QDir::Hidden);
    for (const QString &nome : destino.entryList(QDir::Files | QDir::Hidden)) {
        if (!nomes.contains(nome))
            QFile::remove(destino.filePath(nome));
    }
    for (const QString &nome : nomes) {
        QFile::remove(destino.filePath(nome));
        if (!QFile::copy(origem.filePath(nome), destino.filePath(nome)))
            throw erro(u"não foi possível copiar "_s + nome);
        QFile::setPermissions(destino.filePath(nome), QFile::ReadOwner | QFile::WriteOwner);
    }
}

QVariant consultaUm(const QString &arquivo, const QString &sql)
{
    QVariant valor;
    comArquivo(arquivo, [&](QSqlQuery &q) {
        if (q.exec(sql) && q.next())
            valor = q.value(0);
    });
    return valor;
}

} // namespace cofrel::test
