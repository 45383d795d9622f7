// The balance to date kept from one session to the next: used while the
// ledger file is as it was, never once the file changed in any way.
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/kept_sums.h"
#include "data/query.h"
#include "ledger/cofrel_main_extrato.h"
#include "support/tabelas.h"
#include "support/test_folder.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTest>

#include <functional>

using namespace cofrel;
using namespace Qt::StringLiterals;

namespace {

const QDate Hoje(2026, 12, 9);
// What the test adds to every kept sum: a balance off by it was read from
// the kept sum, one without it was summed from the rows.
constexpr double Marca = 1000000.0;

// Runs \a statements on \a file as another program would.
void executa(const QString &file, const QStringList &statements)
{
    test::OutraConexao outra(file);
    QVERIFY2(outra.falha().isEmpty(), qPrintable(outra.falha()));
    for (const QString &sql : statements)
        QVERIFY2(outra.exec(sql), qPrintable(sql));
}

bool poeHora(const QString &file, const QDateTime &hora)
{
    QFile f(file);
    return f.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)
        && f.setFileTime(hora, QFileDevice::FileModificationTime);
}

QString diaSql(int dias)
{
    return Hoje.addDays(dias).toString(Qt::ISODate);
}

// One session: the data folder opened afresh, the balance asked once.
double saldoNumaSessao(const QDate &hoje)
{
    data::Database::closeAll();
    data::Query query(QString(data::AliasCofrel));
    extrato::SaldoAteHoje saldo;
    return saldo.valor(query, u"f1.DB"_s, hoje);
}

} // namespace

class TestSaldoGuardado final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void entreSessoes_data()
    {
        QTest::addColumn<QStringList>("entreAsSessoes"); // SQL on the ledger file
        QTest::addColumn<int>("diasDepois");              // the second session's today
        QTest::addColumn<double>("saldo");
        QTest::addColumn<bool>("usaGuardado");
        QTest::addColumn<bool>("devolveAHora"); // the file's time put back, as a copy tool does

        QTest::newRow("nada; no mesmo dia") << QStringList() << 0 << 110.0 << true << false;
        QTest::newRow("nada; dois dias depois") << QStringList() << 2 << 111.0 << true << false;
        QTest::newRow("relógio voltou") << QStringList() << -5 << 100.0 << false << false;
        QTest::newRow("outro programa inclui")
            << QStringList{u"insert into fin values (null, '%1', 'x', 1, 5)"_s.arg(diaSql(-1))} << 0 << 115.0 << false << false;
        QTest::newRow("outro programa apaga") << QStringList{u"delete from fin where valor = 100"_s} << 0 << 10.0
                                              << false << false;
        QTest::newRow("outro programa altera, mesmo tamanho")
            << QStringList{u"update fin set valor = 200 where valor = 100"_s} << 0 << 210.0 << false << false;
        QTest::newRow("outro programa altera e devolve a hora")
            << QStringList{u"update fin set valor = 200 where valor = 100"_s} << 0 << 210.0 << false << true;
    }

    void entreSessoes()
    {
        QFETCH(QStringList, entreAsSessoes);
        QFETCH(int, diasDepois);
        QFETCH(double, saldo);
        QFETCH(bool, usaGuardado);
        QFETCH(bool, devolveAHora);
        test::TestFolder folder;
        folder.addUser(u"Ana"_s, u"segredo"_s);
        const QString fin = folder.dataFile(u"f1.DB"_s);
        executa(fin, {u"insert into fin values (null, '%1', 'a', 1, 100)"_s.arg(diaSql(-10)),
                      u"insert into fin values (null, '%1', 'b', 1, 10)"_s.arg(diaSql(0)),
                      u"insert into fin values (null, '%1', 'c', 1, 1)"_s.arg(diaSql(1)),
                      u"insert into fin values (null, '%1', 'd', 1, 1000)"_s.arg(diaSql(3))});
        QCOMPARE(saldoNumaSessao(Hoje), 110.0);
        data::Database::closeAll();
        data::Database &db = data::Database::forAlias(QString(data::AliasCofrel));
        data::keepSum(db, u"f1.DB"_s, db.stamp(u"f1.DB"_s).value(), {Hoje, 110 + Marca});
        // A booking and its plan advance still commit together, durably.
        QSqlQuery sincronia = db.newQuery();
        QVERIFY(sincronia.exec(u"PRAGMA main.synchronous"_s) && sincronia.next());
        QCOMPARE(sincronia.value(0).toInt(), 2);
        sincronia.finish();
        data::Database::closeAll();
        const QDateTime hora = QFileInfo(fin).lastModified();
        executa(fin, entreAsSessoes);
        if (devolveAHora)
            QVERIFY(poeHora(fin, hora));
        QCOMPARE(saldoNumaSessao(Hoje.addDays(diasDepois)), saldo + (usaGuardado ? Marca : 0.0));
    }

    // A kept row damaged on disk (the machine lost power while it was
    // written, without waiting for the disk) is not used.
    void linhaDanificadaNaoServe()
    {
        test::TestFolder folder;
        folder.addUser(u"Ana"_s, u"segredo"_s);
        executa(folder.dataFile(u"f1.DB"_s), {u"insert into fin values (null, '%1', 'a', 1, 100)"_s.arg(diaSql(-1))});
        QCOMPARE(saldoNumaSessao(Hoje), 100.0);
        data::Database::closeAll();
        executa(folder.dataFile(QString(data::Database::MainFileName)), {u"update somas_guardadas set soma = 5"_s});
        QCOMPARE(saldoNumaSessao(Hoje), 100.0);
    }

    // A copy of another state of the ledger put in its place may bear the
    // same change counter: it is summed, not taken for the one kept.
    void copiaComOMesmoContador()
    {
        test::TestFolder folder;
        folder.addUser(u"Ana"_s, u"segredo"_s);
        const QString fin = folder.dataFile(u"f1.DB"_s);
        const QString outra = folder.dataFile(u"outra-copia"_s);
        QVERIFY(QFile::copy(fin, outra));
        executa(fin, {u"insert into fin values (null, '%1', 'a', 1, 100)"_s.arg(diaSql(-1))});
        executa(outra, {u"insert into fin values (null, '%1', 'a', 1, 7)"_s.arg(diaSql(-1))});
        QCOMPARE(saldoNumaSessao(Hoje), 100.0);
        data::Database::closeAll();

        QVERIFY(poeHora(outra, QFileInfo(fin).lastModified().addSecs(5)));
        QVERIFY(QFile::remove(fin));
        QVERIFY(QFile::rename(outra, fin));
        QCOMPARE(saldoNumaSessao(Hoje), 7.0);
    }
};

QTEST_GUILESS_MAIN(TestSaldoGuardado)
#include "test_saldo_guardado.moc"
