// The files of the data folder: the templates, names in any letter case,
// files an older version made, files damaged, replaced or deleted while the
// program runs, and writes to two files that stand or fall together.

#include "support/livro.h"
#include "support/tabelas.h"

#include "app/errors.h"
#include "data/database.h"
#include "data/queries.h"
#include "data/tables.h"
#include "data/templates.h"
#include "support/test_folder.h"

#include <QtTest>

#include <QFile>
#include <QRandomGenerator>

#include <memory>
#include <tuple>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

QByteArray conteudo(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void escreve(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The indexes of a table file, as another program lists them.
QStringList indices(const QString &path)
{
    OutraConexao outra(path);
    QSqlQuery q = outra.query();
    q.exec(u"SELECT name FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL ORDER BY name"_s);
    QStringList names;
    while (q.next())
        names << q.value(0).toString();
    return names;
}

} // namespace

class TestArquivos final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        QCOMPARE(m_folder->addUser(u"Um"_s, u"x"_s), 1);
        m_db = std::make_unique<Database>(m_folder->dataDir());
    }

    void cleanup()
    {
        m_db.reset();
        m_folder.reset();
    }

    void templatesNeverOverwriteUsers()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"no modelo"_s, 1, -1}};
        gravaLinhas(u"fin.DB"_s, rows);
        createTemplates(m_folder->dataDir());
        QCOMPARE(UserTable(*m_db).find(u"um"_s)->numero, 1);
        QVERIFY(Table(*m_db, Table::Kind::Ledger, u"fin.DB"_s).rows().empty()); // templates are written anew

        // An empty registry file is a first run: it becomes a registry.
        m_db.reset();
        escreve(m_folder->dataFile(u"users.db"_s), {});
        createTemplates(m_folder->dataDir());
        m_db = std::make_unique<Database>(m_folder->dataDir());
        QVERIFY(UserTable(*m_db).names().isEmpty());
    }

    void fileNamesMatchWithoutCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("as the program names it") << u"f1.db"_s;
        QTest::newRow("as copied") << u"f1.DB"_s;
        QTest::newRow("upper case") << u"F1.DB"_s;
    }

    void fileNamesMatchWithoutCase()
    {
        QFETCH(QString, name);
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), name, 1, -1}};
        gravaLinhas(name, rows);
        QCOMPARE(Table(*m_db, Table::Kind::Ledger, u"f1.db"_s).rows().front().descricao, name);
        QCOMPARE(SumQuery(*m_db).balance(u"F1.Db"_s, QDate(2024, 1, 1)), -1.0);
        // No second file was made.
        QCOMPARE(QDir(m_folder->dataDir()).entryList({u"f1.*"_s, u"F1.*"_s}, QDir::Files), QStringList{u"f1.DB"_s});
    }

    // User 1's files are not user 10's, nor the other way round.
    void oneIsNotTen()
    {
        for (int i = 2; i <= 10; ++i)
            m_folder->addUser(u"U%1"_s.arg(i), u"x"_s);
        QList<Lancamento> one{{0, QDate(2024, 1, 1), u"do um"_s, 1, -1}};
        QList<Lancamento> ten{{0, QDate(2024, 1, 1), u"do dez"_s, 1, -10}, {0, QDate(2024, 1, 2), u"do dez"_s, 1, -10}};
        gravaLinhas(u"f1.db"_s, one);
        gravaLinhas(u"f10.db"_s, ten);
        StatementQuery q(*m_db);
        for (const auto &[file, rows, sum] :
             {std::tuple{u"f1.db"_s, 1, -1.0}, std::tuple{u"f10.db"_s, 2, -20.0}, std::tuple{u"f2.db"_s, 0, 0.0}}) {
            q.open(file, {});
            QCOMPARE(q.rowCount(), rows);
            QCOMPARE(SumQuery(*m_db).balance(file, QDate(2024, 12, 31)), sum);
        }
    }

    // Opened by this version, a file an older one made gains the indexes
    // and keeps its rows.
    void olderFileGainsIndexes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("create");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ledger") << u"f1.DB"_s
                                << u"CREATE TABLE fin (Transacao INTEGER PRIMARY KEY AUTOINCREMENT, Data DATE, "
                                   u"Descricao TEXT, Categoria INTEGER, Valor REAL)"_s
                                << QStringList{u"fin_categoria"_s, u"fin_data"_s, u"fin_data_valor"_s};
        QTest::newRow("plan") << u"d1.DB"_s
                              << u"CREATE TABLE dfin (Transacao INTEGER PRIMARY KEY AUTOINCREMENT, Dia INTEGER, "
                                 u"Data DATE, Categoria INTEGER, Descricao TEXT, Valor REAL)"_s
                              << QStringList{u"dfin_data"_s, u"dfin_dia_data"_s};
    }

    void olderFileGainsIndexes()
    {
        QFETCH(QString, file);
        QFETCH(QString, create);
        QFETCH(QStringList, expected);
        const bool plano = file.startsWith(u'd');
        QVERIFY(QFile::remove(m_folder->dataFile(file)));
        {
            OutraConexao outra(m_folder->dataFile(file));
            QVERIFY(outra.exec(create));
            QVERIFY(outra.exec(plano ? u"INSERT INTO dfin VALUES (7, 5, '2024-02-05', 1, 'antiga', -3.5)"_s
                                     : u"INSERT INTO fin VALUES (7, '2024-02-05', 'antiga', 1, -3.5)"_s));
        }
        QVERIFY(indices(m_folder->dataFile(file)).isEmpty());
        const std::vector<Lancamento> rows = Table(*m_db, plano ? Table::Kind::Plan : Table::Kind::Ledger, file).rows();
        QCOMPARE(rows.size(), size_t(1));
        QVERIFY(rows.front() == (Lancamento{7, QDate(2024, 2, 5), u"antiga"_s, 1, -3.5, plano ? 5 : 0}));
        QCOMPARE(indices(m_folder->dataFile(file)), expected);
    }

    // Another file copied over the ledger while the program runs: its rows
    // are the ones seen. Deleted: the next use says so.
    void replacedOrDeletedFileIsNoticed()
    {
        QCOMPARE(m_folder->addUser(u"Dois"_s, u"x"_s), 2);
        QList<Lancamento> two{{0, QDate(2024, 1, 1), u"do dois"_s, 1, -2}, {0, QDate(2024, 1, 2), u"do dois"_s, 1, -2}};
        gravaLinhas(u"f2.db"_s, two);
        StatementQuery q(*m_db);
        q.open(u"f1.db"_s, {});
        QCOMPARE(q.rowCount(), 0);

        QVERIFY(QFile::remove(m_folder->dataFile(u"f1.DB"_s)));
        QVERIFY(QFile::copy(m_folder->dataFile(u"f2.DB"_s), m_folder->dataFile(u"f1.DB"_s)));
        q.open(u"f1.db"_s, {});
        QCOMPARE(q.rowCount(), 2);
        QCOMPARE(q.rows(0, 2).back().descricao, u"do dois"_s);
        QCOMPARE(SumQuery(*m_db).balance(u"f1.db"_s, QDate(2024, 12, 31)), -4.0);

        QVERIFY(QFile::remove(m_folder->dataFile(u"f1.DB"_s)));
        try {
            q.rows(0, 2);
            QFAIL("a deleted file was read");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(u"f1.db"_s) && e.message().contains(u"não foi encontrada"_s),
                     qPrintable(e.message()));
        }
    }

    void damagedFileFailsNamingIt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("usedBefore");
        QTest::addColumn<QString>("expected");
        QByteArray garbage(8192, '\0');
        QRandomGenerator generator(19990526);
        for (char &c : garbage)
            c = char(generator.bounded(256));
        QTest::newRow("garbage") << garbage << false << u"danificado"_s;
        QTest::newRow("garbage, used before") << garbage << true << u"danificado"_s;
        QTest::newRow("empty file") << QByteArray() << false << u"não é uma tabela do Cofrel"_s;
        QTest::newRow("empty file, used before") << QByteArray() << true << u"não é uma tabela do Cofrel"_s;
        QTest::newRow("another program's database") << QByteArray("outra") << false << u"não é uma tabela do Cofrel"_s;
    }

    void damagedFileFailsNamingIt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, usedBefore);
        QFETCH(QString, expected);
        const QString path = m_folder->dataFile(u"f1.DB"_s);
        if (usedBefore)
            QCOMPARE(SumQuery(*m_db).balance(u"f1.db"_s, QDate(2024, 1, 1)), 0.0);
        if (bytes == "outra") {
            QFile::remove(path);
            OutraConexao outra(path);
            QVERIFY(outra.exec(u"CREATE TABLE outra (x)"_s));
        } else {
            escreve(path, bytes);
        }
        const QByteArray before = conteudo(path);
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                Table(*m_db, Table::Kind::Ledger, u"f1.db"_s).insert({0, QDate(2024, 1, 1), u"x"_s, 1, -1});
                QFAIL("a damaged file was written");
            } catch (const Error &e) {
                QVERIFY2(e.message().contains(u"f1.db"_s) && e.message().contains(expected), qPrintable(e.message()));
            }
            QVERIFY_THROWS_EXCEPTION(Error, SumQuery(*m_db).balance(u"f1.db"_s, QDate(2024, 1, 1)));
        }
        // Nothing was written into it, not even a journal beside it.
        QCOMPARE(conteudo(path), before);
        QVERIFY(!QFile::exists(path + u"-journal"_s));
    }

    void twoFilesStandOrFallTogether_data()
    {
        QTest::addColumn<bool>("planRefuses"); // the second write fails
        QTest::addColumn<bool>("commit");
        QTest::newRow("committed") << false << true;
        QTest::newRow("not committed") << false << false;
        QTest::newRow("second write fails") << true << true;
    }

    // A due entry booked in the ledger and moved on in the plan.
    void twoFilesStandOrFallTogether()
    {
        QFETCH(bool, planRefuses);
        QFETCH(bool, commit);
        QList<Lancamento> plan{{0, QDate(2024, 3, 10), u"aluguel"_s, 4, -800, 10}};
        gravaLinhas(u"d1.db"_s, plan);
        const QString fin = m_folder->dataFile(u"f1.DB"_s);
        const QString dfin = m_folder->dataFile(u"d1.DB"_s);
        if (planRefuses)
            impedeEscrita(dfin, u"dfin"_s);
        const QList<Lancamento> finBefore = leLinhas(fin);
        const QList<Lancamento> dfinBefore = leLinhas(dfin);

        Table ledger(*m_db, Table::Kind::Ledger, u"f1.db"_s);
        Table plano(*m_db, Table::Kind::Plan, u"d1.db"_s);
        bool failed = false;
        try {
            Transaction transaction(*m_db, {u"f1.db"_s, u"d1.db"_s});
            ledger.insert(plan[0]);
            Lancamento next = plan[0];
            next.data = next.data.addMonths(1);
            plano.update(next);
            if (commit)
                transaction.commit();
        } catch (const Error &e) {
            failed = true;
            QVERIFY2(e.details().contains(u"escrita recusada"_s), qPrintable(e.details()));
        }
        QCOMPARE(failed, planRefuses);
        const bool stored = commit && !planRefuses;
        QCOMPARE(leLinhas(fin).size(), finBefore.size() + (stored ? 1 : 0));
        QCOMPARE(leLinhas(dfin).value(0).data, stored ? QDate(2024, 4, 10) : dfinBefore.value(0).data);
        QCOMPARE(ledger.rows().size(), size_t(stored ? 1 : 0));
        QVERIFY(!m_db->inTransaction());
    }

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Database> m_db;
};

QTEST_GUILESS_MAIN(TestArquivos)
#include "test_arquivos.moc"
