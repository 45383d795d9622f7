#include "apoio_confiabilidade.h"

#include "accounts/senha.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <stdexcept>

namespace cofrel::test {

using namespace Qt::StringLiterals;

namespace {

// Runs \a work on a connection of its own to \a arquivo; its error text,
// empty when it went well.
QString comArquivo(const QString &arquivo, const std::function<QString(QSqlDatabase &)> &work)
{
    static int contador = 0;
    const QString nome = u"confiabilidade-%1"_s.arg(++contador);
    QString falha;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, nome);
        db.setDatabaseName(arquivo);
        db.setConnectOptions(u"QSQLITE_BUSY_TIMEOUT=3000;QSQLITE_OPEN_URI"_s);
        if (!QFileInfo::exists(arquivo))
            falha = u"o arquivo %1 não existe"_s.arg(arquivo);
        else if (!db.open())
            falha = db.lastError().text();
        else
            falha = work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(nome);
    return falha;
}

std::runtime_error erro(const QString &texto)
{
    return std::runtime_error(texto.toStdString());
}

qint64 centavos(const QVariant &valor)
{
    return std::llround(valor.toDouble() * 100.0);
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

} // namespace

Estado leEstado(const QString &pastaDados)
{
    Estado estado;
    QString falha = comArquivo(arquivoDe(pastaDados, u"users.db"_s), [&](QSqlDatabase &db) -> QString {
        QSqlQuery q(db);
        if (!q.exec(u"SELECT Numero, User, Senha FROM users"_s))
            return q.lastError().text();
        while (q.next()) {
            UsuarioGravado u;
            u.nome = q.value(1).toString();
            bool legivel = false;
            u.senha = DecodificaSenha(q.value(2).toByteArray(), &legivel);
            if (!legivel)
                return u"a senha de %1 não se lê"_s.arg(u.nome);
            estado.insert(q.value(0).toInt(), u);
        }
        return q.lastError().isValid() ? q.lastError().text() : QString();
    });
    if (!falha.isEmpty())
        throw erro(u"users.db: "_s + falha);

    for (auto it = estado.begin(); it != estado.end(); ++it) {
        const int n = it.key();
        UsuarioGravado &u = it.value();
        falha = comArquivo(arquivoDe(pastaDados, u"f%1.DB"_s.arg(n)), [&](QSqlDatabase &db) -> QString {
            QSqlQuery q(db);
            if (!q.exec(u"SELECT Transacao, Data, Descricao, Categoria, Valor FROM fin"_s))
                return q.lastError().text();
            while (q.next())
                u.lancamentos.insert(q.value(0).toLongLong(), {q.value(1).toString(), q.value(2).toString(),
                                                               q.value(3).toInt(), centavos(q.value(4))});
            return q.lastError().isValid() ? q.lastError().text() : QString();
        });
        if (!falha.isEmpty())
            throw erro(u"f%1.DB: "_s.arg(n) + falha);
        falha = comArquivo(arquivoDe(pastaDados, u"d%1.DB"_s.arg(n)), [&](QSqlDatabase &db) -> QString {
            QSqlQuery q(db);
            if (!q.exec(u"SELECT Transacao, Dia, Data, Categoria, Descricao, Valor FROM dfin"_s))
                return q.lastError().text();
            while (q.next())
                u.plano.insert(q.value(0).toLongLong(), {q.value(1).toInt(), q.value(2).toString(), q.value(4).toString(),
                                                         q.value(3).toInt(), centavos(q.value(5))});
            return q.lastError().isValid() ? q.lastError().text() : QString();
        });
        if (!falha.isEmpty())
            throw erro(u"d%1.DB: "_s.arg(n) + falha);
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
            linhas << u"  f%1 #%2 %3 cat %4 %5 \"%6\""_s.arg(it.key()).arg(l.key()).arg(l->data).arg(l->categoria)
                          .arg(l->centavos).arg(l->descricao);
        for (auto p = u.plano.cbegin(); p != u.plano.cend(); ++p)
            linhas << u"  d%1 #%2 dia %3 %4 cat %5 %6 \"%7\""_s.arg(it.key()).arg(p.key()).arg(p->dia).arg(p->data)
                          .arg(p->categoria).arg(p->centavos).arg(p->descricao);
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
    QString resultado;
    const QString falha = comArquivo(arquivo, [&](QSqlDatabase &db) -> QString {
        QSqlQuery q(db);
        if (!q.exec(u"PRAGMA integrity_check"_s))
            return q.lastError().text();
        QStringList linhas;
        while (q.next())
            linhas << q.value(0).toString();
        resultado = linhas.join(u"; "_s);
        return {};
    });
    return falha.isEmpty() ? resultado : falha;
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
    const QString falha = comArquivo(arquivo, [&](QSqlDatabase &db) -> QString {
        QSqlQuery q(db);
        if (!q.exec(sql))
            return q.lastError().text();
        if (q.next())
            valor = q.value(0);
        return {};
    });
    if (!falha.isEmpty())
        throw erro(falha);
    return valor;
}

} // namespace cofrel::test
