// The files of the data folder: templates, per-user files, names in any
// letter case, files locked by another program or damaged, files deleted
// or replaced while the program runs, transactions.

#include "support/tabelas.h"

#include "app/errors.h"
#include "data/database.h"
#include "data/query.h"
#include "data/table.h"
#include "data/templates.h"
#include "support/test_folder.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <memory>

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

constexpr QFile::Permissions Others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther
                                      | QFile::WriteOther | QFile::ExeOther;

QString mensagemDeAbrir(Table &table)
{
    try {
        table.open();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

int contaLinhas(const QString &fileName)
{
    Query q(alias());
    QueryCloser closer(q);
    q.setSql(Sql::statement(fileName.left(fileName.size() - 3)));
    q.open();
    int n = 0;
    for (q.first(); !q.eof(); q.next())
        ++n;
    return n;
}

} // namespace

class TestArquivos final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
    }

    void cleanup()
    {
        m_folder.reset();
    }

    void templatesAreEmptyAndOwnerOnly()
    {
        for (const QString &name : {u"users.db"_s, u"fin.DB"_s, u"dfin.DB"_s}) {
            const QString path = m_folder->dataFile(name);
            QVERIFY2(QFile::exists(path), qPrintable(path));
            QCOMPARE(QFile::permissions(path) & Others, QFile::Permissions());
            Table table(alias(), name);
            table.open();
            QVERIFY(table.isEmpty());
        }
        // Plain SQLite files another program can read.
        OutraConexao outra(m_folder->dataFile(u"fin.DB"_s));
        QSqlQuery q = outra.query();
        QVERIFY(q.exec(u"SELECT name FROM sqlite_master WHERE type = 'index' ORDER BY name"_s));
        QStringList indexes;
        while (q.next())
            indexes << q.value(0).toString();
        QVERIFY2(indexes.contains(u"fin_data"_s), qPrintable(indexes.join(u' ')));

        // A folder made anew is the owner's alone.
        QTemporaryDir parent;
        const QString fresh = parent.path() + u"/programa/dados"_s;
        createTemplates(fresh);
        QCOMPARE(QFile::permissions(fresh) & Others, QFile::Permissions());
        QVERIFY(QFile::exists(fresh + u"/users.db"_s));
    }

    void templatesNeverOverwriteUsers()
    {
        const int number = m_folder->addUser(u"Fica"_s, u"x"_s);
        {
            QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"no modelo"_s, 1, -1}};
            gravaLinhas(u"fin.DB"_s, rows);
        }
        Database::closeAll();
        createTemplates(m_folder->dataDir());
        Table users(alias(), u"users.db"_s);
        users.setIndexName(u"users"_s);
        users.open();
        QVERIFY(users.findKey(u"fica"_s));
        QCOMPARE(users.fieldByName(u"Numero"_s).asInteger(), number);
        QCOMPARE(contaLinhas(u"fin.db"_s), 0); // templates are written anew

        // An empty registry file is a first run: it becomes a registry.
        users.close();
        Database::closeAll();
        escreve(m_folder->dataFile(u"users.db"_s), {});
        createTemplates(m_folder->dataDir());
        users.open();
        QVERIFY(users.isEmpty());
    }

    void usersOneAndTenKeepSeparateFiles()
    {
        int last = 0;
        for (int i = 1; i <= 10; ++i)
            last = m_folder->addUser(u"Usuário %1"_s.arg(i), u"x"_s);
        QCOMPARE(last, 10);
        for (const QString &name : {u"f1.DB"_s, u"d1.DB"_s, u"f10.DB"_s, u"d10.DB"_s})
            QVERIFY2(QFile::exists(m_folder->dataFile(name)), qPrintable(name));

        QList<Lancamento> one{{0, QDate(2024, 1, 1), u"do um"_s, 1, -1}};
        QList<Lancamento> ten{{0, QDate(2024, 1, 1), u"do dez"_s, 1, -10}, {0, QDate(2024, 1, 2), u"do dez"_s, 1, -10}};
        gravaLinhas(u"f1.db"_s, one);
        gravaLinhas(u"f10.db"_s, ten);

        Query q(alias());
        for (const auto &[table, rows, sum] : {std::tuple{u"f1"_s, 1, -1.0}, std::tuple{u"f10"_s, 2, -20.0}}) {
            QCOMPARE(contaLinhas(table + u".db"_s), rows);
            q.setSql(Sql::balance(table));
            q.bindDate(u"now"_s, QDate(2024, 12, 31));
            q.open();
            QCOMPARE(q.singleValueAsFloat(), sum);
            q.close();
        }
        QCOMPARE(contaLinhas(u"f2.db"_s), 0);
    }

    void fileNamesMatchWithoutCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("as the program names it") << u"f1.db"_s;
        QTest::newRow("as copied") << u"f1.DB"_s;
        QTest::newRow("upper case") << u"F1.DB"_s;
        QTest::newRow("mixed") << u"F1.Db"_s;
    }

    void fileNamesMatchWithoutCase()
    {
        QFETCH(QString, name);
        m_folder->addUser(u"Um"_s, u"x"_s);
        QVERIFY(QFile::exists(m_folder->dataFile(u"f1.DB"_s)));
        QVERIFY(!QFile::exists(m_folder->dataFile(u"f1.db"_s)));
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), name, 1, -1}};
        gravaLinhas(name, rows);
        QCOMPARE(contaLinhas(u"f1.db"_s), 1);
        Query q(alias());
        QueryCloser closer(q);
        q.setSql(Sql::statement(u"F1"_s));
        q.open();
        QCOMPARE(q.fieldByName(u"Descricao"_s).asString(), name);
        // No second file was made.
        QCOMPARE(QDir(m_folder->dataDir()).entryList({u"f1.*"_s, u"F1.*"_s}, QDir::Files).size(), 1);
    }

    void missingFileIsNamed()
    {
        Table table(alias(), u"f99.db"_s);
        const QString message = mensagemDeAbrir(table);
        QVERIFY2(message.contains(u"f99.db"_s), qPrintable(message));
        QVERIFY2(message.contains(u"não foi encontrada"_s), qPrintable(message));
        QVERIFY(!table.isOpen());
        QVERIFY(!QFile::exists(m_folder->dataFile(u"f99.db"_s)));
    }

    void lockedFileFailsNamingIt_data()
    {
        QTest::addColumn<QString>("lock");
        QTest::addColumn<bool>("attachedBefore");
        QTest::newRow("exclusive, first use") << u"EXCLUSIVE"_s << false;
        QTest::newRow("exclusive, used before") << u"EXCLUSIVE"_s << true;
        QTest::newRow("writer, first use") << u"IMMEDIATE"_s << false;
        QTest::newRow("writer, used before") << u"IMMEDIATE"_s << true;
    }

    void lockedFileFailsNamingIt()
    {
        QFETCH(QString, lock);
        QFETCH(bool, attachedBefore);
        m_folder->addUser(u"Um"_s, u"x"_s);
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"antes"_s, 1, -1}};
        gravaLinhas(u"f1.db"_s, rows);
        if (!attachedBefore)
            Database::closeAll();
        const QString path = m_folder->dataFile(u"f1.DB"_s);
        const QByteArray before = conteudo(path);

        Table fin(alias(), u"f1.db"_s);
        fin.setIndexFieldNames(u"Data"_s);
        {
            OutraConexao outra(path);
            QVERIFY(outra.exec(u"BEGIN "_s + lock));
            QElapsedTimer timer;
            timer.start();
            QString message;
            try {
                TableCloser closer(fin);
                fin.open();
                QCOMPARE(lock, u"IMMEDIATE"_s); // a writer still lets others read
                QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), u"antes"_s);
                gravaLinha(fin, {0, QDate(2024, 2, 2), u"não entra"_s, 1, -2});
            } catch (const Error &e) {
                message = e.message();
            }
            QVERIFY2(message.contains(u"f1.db"_s), qPrintable(message));
            QVERIFY2(message.contains(u"bloqueada"_s), qPrintable(message));
            // It waited a little for the other program, not forever.
            QVERIFY2(timer.elapsed() >= 1000 && timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
            QVERIFY(!fin.isOpen());
            QVERIFY(outra.exec(u"ROLLBACK"_s));
        }
        QCOMPARE(conteudo(path), before);
        // Once the other program lets go, the table works again.
        QCOMPARE(contaLinhas(u"f1.db"_s), 1);
        fin.open();
        gravaLinha(fin, {0, QDate(2024, 2, 2), u"agora entra"_s, 1, -2});
        QCOMPARE(fin.recordCount(), 2);
    }

    void damagedFileFailsNamingIt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("attachedBefore");
        QTest::addColumn<QString>("expected");

        QByteArray garbage(8192, '\0');
        QRandomGenerator generator(19990526);
        for (char &c : garbage)
            c = char(generator.bounded(256));
        QTest::newRow("garbage") << garbage << false << u"danificado"_s;
        QTest::newRow("garbage, used before") << garbage << true << u"danificado"_s;
        QTest::newRow("text") << QByteArray("Transacao;Data;Descricao\n1;2024-01-01;x\n") << false << u"danificado"_s;
        QTest::newRow("empty file") << QByteArray() << false << u"não é uma tabela do Cofrel"_s;
        QTest::newRow("empty file, used before") << QByteArray() << true << u"não é uma tabela do Cofrel"_s;
        QTest::newRow("another program's database") << QByteArray("outra") << false << u"não é uma tabela do Cofrel"_s;
    }

    void damagedFileFailsNamingIt()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, attachedBefore);
        QFETCH(QString, expected);
        m_folder->addUser(u"Um"_s, u"x"_s);
        const QString path = m_folder->dataFile(u"f1.DB"_s);
        if (attachedBefore)
            QCOMPARE(contaLinhas(u"f1.db"_s), 0);
        if (bytes == "outra") {
            QFile::remove(path);
            OutraConexao outra(path);
            QVERIFY(outra.exec(u"CREATE TABLE outra (x)"_s));
            QVERIFY(outra.exec(u"INSERT INTO outra VALUES (1)"_s));
        } else {
            escreve(path, bytes);
        }
        const QByteArray before = conteudo(path);

        Table fin(alias(), u"f1.db"_s);
        const QString message = mensagemDeAbrir(fin);
        QVERIFY2(message.contains(u"f1.db"_s), qPrintable(message));
        QVERIFY2(message.contains(expected), qPrintable(message));
        QVERIFY(!fin.isOpen());

        Query q(alias());
        q.setSql(Sql::balance(u"f1"_s));
        q.bindDate(u"now"_s, QDate(2024, 1, 1));
        QVERIFY_THROWS_EXCEPTION(Error, q.open());
        QVERIFY(!q.isOpen());

        // Nothing was written into it, not even a journal beside it.
        QCOMPARE(conteudo(path), before);
        QVERIFY(!QFile::exists(path + u"-journal"_s));
    }

    void deletedOrReplacedFileIsNoticed()
    {
        m_folder->addUser(u"Um"_s, u"x"_s);
        m_folder->addUser(u"Dois"_s, u"x"_s);
        QList<Lancamento> two{{0, QDate(2024, 1, 1), u"do dois"_s, 1, -2}, {0, QDate(2024, 1, 2), u"do dois"_s, 1, -2}};
        gravaLinhas(u"f2.db"_s, two);
        QCOMPARE(contaLinhas(u"f1.db"_s), 0);

        // Replaced by a copy of another file: its rows are the ones seen.
        QVERIFY(QFile::remove(m_folder->dataFile(u"f1.DB"_s)));
        QVERIFY(QFile::copy(m_folder->dataFile(u"f2.DB"_s), m_folder->dataFile(u"f1.DB"_s)));
        QCOMPARE(contaLinhas(u"f1.db"_s), 2);

        // Deleted: the next use says so.
        QVERIFY(QFile::remove(m_folder->dataFile(u"f1.DB"_s)));
        Table fin(alias(), u"f1.db"_s);
        const QString message = mensagemDeAbrir(fin);
        QVERIFY2(message.contains(u"f1.db"_s) && message.contains(u"não foi encontrada"_s), qPrintable(message));
    }

    void manyFilesStayWithinTheEngineLimit()
    {
        const int users = 14;
        for (int i = 1; i <= users; ++i)
            m_folder->addUser(u"U%1"_s.arg(i), u"x"_s);
        Database &db = Database::forAlias(alias());
        for (int round = 0; round < 2; ++round) {
            for (int i = 1; i <= users; ++i) {
                QList<Lancamento> rows{{0, QDate(2024, 1, i), u"linha"_s, 1, -1}};
                gravaLinhas(u"f%1.db"_s.arg(i), rows);
                QCOMPARE(contaLinhas(u"f%1.db"_s.arg(i)), round + 1);
                QVERIFY2(db.attachedSchemas().size() <= 8, qPrintable(db.attachedSchemas().join(u' ')));
            }
        }
        // Many open at once are fine too, within SQLite's limit.
        std::vector<std::unique_ptr<Table>> open;
        for (int i = 1; i <= 8; ++i) {
            open.push_back(std::make_unique<Table>(alias(), u"d%1.db"_s.arg(i)));
            open.back()->open();
        }
        QVERIFY(Database::forAlias(alias()).attachedSchemas().size() <= 10);
    }

    void transactionCommitsOrRollsBack()
    {
        m_folder->addUser(u"Um"_s, u"x"_s);
        Database &db = Database::forAlias(alias());
        Table fin(alias(), u"f1.db"_s);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        {
            Transaction transaction(db);
            gravaLinha(fin, {0, QDate(2024, 1, 1), u"desfeito"_s, 1, -1});
            QVERIFY(db.inTransaction());
        }
        QVERIFY(!db.inTransaction());
        QCOMPARE(fin.recordCount(), 0);
        {
            Transaction transaction(db);
            gravaLinha(fin, {0, QDate(2024, 1, 1), u"confirmado"_s, 1, -1});
            transaction.commit();
        }
        QCOMPARE(fin.recordCount(), 1);
        const QList<Lancamento> gravadas = leLinhas(m_folder->dataFile(u"f1.DB"_s));
        QCOMPARE(gravadas.size(), 1);
        QCOMPARE(gravadas.first().descricao, u"confirmado"_s);
    }

private:
    std::unique_ptr<TestFolder> m_folder;
};

QTEST_GUILESS_MAIN(TestArquivos)
#include "test_arquivos.moc"
