// The writer the crash tests kill: the program's own write operations, one
// after another, each reported on standard output once it has returned
// (crashwriter_protocolo.h).
//
//   cofrel_crashwriter aleatorio <pasta do programa> <semente> [operações]
//       random operations (users, ledger, plan, due entries) until killed
//       or, given, after that many;
//   cofrel_crashwriter vencido <pasta do programa> <passo>
//       books the first user's due planned entry with OK through the
//       due-entry check, dying just before disk step <passo> of that save
//       (0: never); prints the steps it took;
//   cofrel_crashwriter memoria <pasta do programa> <passo>
//       the same booking and advance written directly over a connection
//       whose main database is ":memory:", for comparison;
//   cofrel_crashwriter importacao <pasta do programa> <passo>
//       imports the bank's statement <pasta do programa>/extrato.ofx into
//       the first user's book, every line the review ticks, dying the
//       same way.
#include "crashwriter_operacoes.h"
#include "crashwriter_protocolo.h"
#include "crashwriter_vfs.h"

#include "app/errors.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace cofrel::crashwriter;

namespace {

int uso()
{
    std::fputs("uso: cofrel_crashwriter aleatorio|vencido|memoria|importacao <pasta do programa> <semente|passo> "
               "[operações]\n",
               stderr);
    return 2;
}

void executa(QSqlQuery &q, const QString &sql)
{
    if (!q.exec(sql))
        throw cofrel::Error(sql + u": "_s + q.lastError().text());
}

// The booking and the advance of the first planned entry as two writes in
// one transaction over two attached files, the main database in memory.
int memoria(const QString &pasta, int passo)
{
    const QString dados = QDir(pasta).filePath(u"dados"_s);
    int passos = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"controle"_s);
        db.setDatabaseName(u":memory:"_s);
        if (!db.open())
            throw cofrel::Error(db.lastError().text());
        QSqlQuery q(db);
        for (const QString &schema : {u"f1"_s, u"d1"_s}) {
            q.prepare(u"ATTACH DATABASE ? AS "_s + schema);
            q.addBindValue(QDir(dados).filePath(schema + u".DB"_s));
            if (!q.exec())
                throw cofrel::Error(q.lastError().text());
        }
        for (const QString &schema : {u"f1"_s, u"d1"_s}) {
            executa(q, u"PRAGMA %1.journal_mode = DELETE"_s.arg(schema));
            executa(q, u"PRAGMA %1.synchronous = FULL"_s.arg(schema));
        }
        executa(q, u"SELECT Transacao, Dia, Data, Categoria, Descricao, Valor FROM d1.dfin ORDER BY Transacao LIMIT 1"_s);
        if (!q.next())
            throw cofrel::Error(u"Não há entrada planejada."_s);
        const qint64 id = q.value(0).toLongLong();
        const QDate data = QDate::fromString(q.value(2).toString(), u"yyyy-MM-dd"_s);
        const QVariantList reserva{q.value(2), q.value(4), q.value(3), q.value(5)};
        q.finish();

        executa(q, u"BEGIN IMMEDIATE"_s);
        armaContador(passo);
        q.prepare(u"INSERT INTO f1.fin (Data, Descricao, Categoria, Valor) VALUES (?, ?, ?, ?)"_s);
        for (const QVariant &v : reserva)
            q.addBindValue(v);
        if (!q.exec())
            throw cofrel::Error(q.lastError().text());
        q.prepare(u"UPDATE d1.dfin SET Data = ? WHERE Transacao = ?"_s);
        q.addBindValue(data.addMonths(1).toString(u"yyyy-MM-dd"_s));
        q.addBindValue(id);
        if (!q.exec())
            throw cofrel::Error(q.lastError().text());
        executa(q, u"COMMIT"_s);
        passos = desarmaContador();
    }
    QSqlDatabase::removeDatabase(u"controle"_s);
    return passos;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 4)
        return uso();
    const QString modo = args.at(1);
    const QString pasta = args.at(2);
    bool ok = false;
    const quint64 numero = args.at(3).toULongLong(&ok);
    if (!ok)
        return uso();

    try {
        if (modo == u"aleatorio"_s) {
            const qint64 limite = args.size() > 4 ? args.at(4).toLongLong() : -1;
            Escritor escritor(pasta, numero);
            emiteTexto(QString(Pronto));
            for (qint64 feitas = 0; limite < 0 || feitas < limite; ++feitas)
                escritor.umaOperacaoAoAcaso();
            return 0;
        }
        if (modo == u"vencido"_s || modo == u"memoria"_s || modo == u"importacao"_s) {
            instalaVfsContador();
            int passos = 0;
            if (modo == u"memoria"_s) {
                passos = memoria(pasta, int(numero));
            } else if (modo == u"importacao"_s) {
                Escritor escritor(pasta, 1);
                passos = escritor.importaExtratoContando(QDir(pasta).filePath(u"extrato.ofx"_s), int(numero));
            } else {
                Escritor escritor(pasta, 1);
                passos = escritor.reservaVencidoContando(int(numero));
            }
            emiteTexto(QString(Passos) + QString::number(passos));
            return 0;
        }
    } catch (const std::exception &e) {
        emite('E', {{u"erro"_s, QString::fromUtf8(e.what())}});
        return 3;
    }
    return uso();
}
