// The table components over real files: rows by identity, the order of a
// ledger and of a plan, what is stored and read back, the user registry,
// and the data module's components.

#include "support/tabelas.h"

#include "accounts/senha.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/models.h"
#include "data/tables.h"
#include "support/test_folder.h"

#include <QtTest>

#include <algorithm>
#include <memory>
#include <tuple>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

QStringList titulos(const QAbstractItemModel *model)
{
    QStringList out;
    for (int c = 0; c < model->columnCount(); ++c)
        out << model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    return out;
}

} // namespace

class TestTabelas final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_folder = std::make_unique<TestFolder>();
        QVERIFY(m_folder->isValid());
        const int user = m_folder->addUser(u"Teste"_s, u"senha"_s);
        m_fin = u"f%1.db"_s.arg(user);
        m_dfin = u"d%1.db"_s.arg(user);
        m_db = std::make_unique<Database>(m_folder->dataDir());
    }

    void cleanup()
    {
        m_db.reset();
        m_folder.reset();
    }

    void rowsComeInTheTablesOrder_data()
    {
        QTest::addColumn<bool>("plano");
        QTest::newRow("ledger: by date, then number") << false;
        QTest::newRow("plan: by day, then date") << true;
    }

    void rowsComeInTheTablesOrder()
    {
        QFETCH(bool, plano);
        QList<Lancamento> rows{{0, QDate(2024, 3, 10), u"c"_s, 1, -3, 15},
                               {0, QDate(2024, 1, 5), u"a"_s, 1, -1.25, 5},
                               {0, QDate(2024, 3, 10), u"d"_s, 2, -4, 5},
                               {0, QDate(2024, 2, 1), u"b"_s, 6, 2, 31},
                               {0, QDate(2030, 1, 1), u"futuro"_s, 3, -9, 1}};
        if (!plano) {
            for (Lancamento &l : rows)
                l.dia = 0;
        }
        gravaLinhas(plano ? m_dfin : m_fin, rows);
        QList<Lancamento> expected = rows;
        std::sort(expected.begin(), expected.end(), [plano](const Lancamento &a, const Lancamento &b) {
            const auto key = [plano](const Lancamento &l) { return std::tuple(plano ? l.dia : 0, l.data, l.transacao); };
            return key(a) < key(b);
        });

        Table table(*m_db, plano ? Table::Kind::Plan : Table::Kind::Ledger, plano ? m_dfin : m_fin);
        const std::vector<Lancamento> read = table.rows();
        QCOMPARE(QList<Lancamento>(read.cbegin(), read.cend()), expected);
    }

    void rowsByIdentity()
    {
        Table fin(*m_db, Table::Kind::Ledger, m_fin);
        Lancamento row{0, QDate(2024, 7, 1), u"recém-gravado"_s, 4, -12.34};
        row.transacao = fin.insert(row);
        QVERIFY(row.transacao > 0);
        QCOMPARE(fin.find(row.transacao).value_or(Lancamento{}), row);
        QVERIFY(!fin.find(row.transacao + 1000));

        // Stored as another program reads it: the date as ISO text.
        {
            OutraConexao outra(m_folder->dataFile(u"f1.DB"_s));
            QSqlQuery q = outra.query();
            QVERIFY(q.exec(u"SELECT Descricao, Data, typeof(Data) FROM fin WHERE Transacao = %1"_s.arg(row.transacao)));
            QVERIFY(q.next());
            QCOMPARE(q.value(0).toString(), u"recém-gravado"_s);
            QCOMPARE(q.value(1).toString(), u"2024-07-01"_s);
            QCOMPARE(q.value(2).toString(), u"text"_s);
        }

        // An update keeps the identity.
        const Lancamento changed{row.transacao, QDate(2024, 12, 25), u"alterado"_s, 6, 55.5};
        QVERIFY(fin.update(changed));
        QCOMPARE(fin.find(row.transacao).value_or(Lancamento{}), changed);
        QCOMPARE(fin.rows().size(), size_t(1));

        QVERIFY(fin.remove(row.transacao));
        QVERIFY(!fin.find(row.transacao));
        // A row that is gone is neither removed nor updated again.
        QVERIFY(!fin.remove(row.transacao));
        QVERIFY(!fin.update(changed));
        QVERIFY(fin.rows().empty());
        // Nor is its number given again.
        QVERIFY(fin.insert(row) > row.transacao);
    }

    void descriptionReadsBackAsStored_data()
    {
        QTest::addColumn<QString>("escrita");
        QTest::addColumn<QString>("lida");
        const QString emoji = QString::fromUcs4(U"\U0001F4B0");
        const QChar troca(QChar::ReplacementCharacter);
        QTest::newRow("acentos") << u"Café açúcar"_s << u"Café açúcar"_s;
        QTest::newRow("cortada em 100") << QString(150, u'é') << QString(100, u'é');
        QTest::newRow("par inteiro no limite") << QString(98, u'a') + emoji + u"b"_s << QString(98, u'a') + emoji;
        QTest::newRow("par que não cabe") << QString(99, u'a') + emoji << QString(99, u'a');
        // Not text: the engine would read these back as U+FFFD.
        QTest::newRow("não-caractere") << u"a"_s + QChar(0xFFFF) + QChar(0xFFFE) << u"a"_s + troca + troca;
        QTest::newRow("surrogate sozinho") << u"a"_s + QChar(0xD800) + u"b"_s + QChar(0xDC00) << u"a"_s + troca + u"b"_s + troca;
    }

    void descriptionReadsBackAsStored()
    {
        QFETCH(QString, escrita);
        QFETCH(QString, lida);
        const qint64 id = Table(*m_db, Table::Kind::Ledger, m_fin).insert({0, QDate(2024, 1, 1), escrita, 1, -1});
        QCOMPARE(leLinhas(m_folder->dataFile(u"f1.DB"_s)).value(0).descricao, lida);
        QCOMPARE(Table(*m_db, Table::Kind::Ledger, m_fin).find(id)->descricao, lida);
    }

    void namesIgnoreCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("lookedUp");
        QTest::addColumn<bool>("found");
        QTest::newRow("upper-cased with accent") << u"José"_s << u"JOSÉ"_s << true;
        QTest::newRow("lower-cased") << u"ANA PAULA"_s << u"ana paula"_s << true;
        QTest::newRow("sharp s upper-cased") << u"Straße"_s << u"STRASSE"_s << true;
        QTest::newRow("accent differs") << u"José"_s << u"Jose"_s << false;
        QTest::newRow("shorter name") << u"Anabela"_s << u"ANA"_s << false;
        QTest::newRow("noncharacter") << u"Ana"_s + QChar(0xFFFF) << u"ana"_s + QChar(0xFFFF) << true;
    }

    void namesIgnoreCase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, lookedUp);
        QFETCH(bool, found);
        const int number = m_folder->addUser(stored, u"x"_s);
        const std::optional<UserTable::Usuario> user = UserTable(*m_db).find(lookedUp);
        QCOMPARE(user.has_value(), found);
        if (found) {
            // A noncharacter is stored as U+FFFD and still found as typed.
            QCOMPARE(user->nome, QString(stored).replace(QChar(0xFFFF), QChar::ReplacementCharacter));
            QCOMPARE(user->numero, number);
        }
    }

    // Listed in name order, accents aside; passwords kept byte for byte.
    void registry()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b));
        UserTable users(*m_db);
        for (const QString &name : {u"bruno"_s, u"Carlos"_s, u"álvaro"_s, u"ana maria"_s, u"Ana"_s, u"Zé"_s})
            users.insert(name, every);
        QCOMPARE(users.names(),
                 (QStringList{u"álvaro"_s, u"Ana"_s, u"ana maria"_s, u"bruno"_s, u"Carlos"_s, u"Teste"_s, u"Zé"_s}));
        QCOMPARE(users.find(u"zé"_s)->senha, every);
        // The user added by the folder, written as the new-user window writes it.
        bool ok = false;
        QCOMPARE(DecodificaSenha(users.find(u"Teste"_s)->senha, &ok), QByteArray("senha"));
        QVERIFY(ok);
    }

    void dataModuleComponents()
    {
        TDados dados(m_folder->dataDir());
        QCOMPARE(dados.TableFin.tableName(), u"fin.DB"_s);
        QCOMPARE(dados.TableDFin.tableName(), u"dfin.DB"_s);
        QCOMPARE(titulos(dados.DataSource4), (QStringList{u"Data"_s, u"Descricao"_s, u"Valor"_s}));
        QCOMPARE(titulos(dados.DataSource3), (QStringList{u"Dia"_s, u"Descricao"_s, u"Valor"_s}));
        QVERIFY(dados.TableUser.find(u"TESTE"_s));

        // One person after another logs in during one run (more than the
        // engine could hold attached at once): each sees their own files.
        QList<Lancamento> plans{{0, QDate(2024, 5, 10), u"aluguel"_s, 5, -900, 10}};
        gravaLinhas(m_dfin, plans);
        for (int n = 1; n <= 12; ++n) {
            const QString fin = u"f%1.db"_s.arg(n);
            QCOMPARE(n == 1 ? 1 : m_folder->addUser(u"U%1"_s.arg(n), u"x"_s), n);
            QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"de %1"_s.arg(n), 1, -double(n)}};
            gravaLinhas(fin, rows);
            dados.setUserTables(fin, u"d%1.db"_s.arg(n));
            QCOMPARE(dados.TableFin.tableName(), fin);
            QCOMPARE(dados.QuerySaldo.balance(fin, QDate(2024, 12, 31)), -double(n));
            dados.Query.open(fin, {});
            QCOMPARE(dados.DataSource4->index(0, 1).data().toString(), u"de %1"_s.arg(n));
            dados.DataSource3->reload();
            QCOMPARE(dados.DataSource3->rowCount(), n == 1 ? 1 : 0);
        }
        dados.setUserTables(m_fin, m_dfin);
        dados.DataSource3->reload();
        QCOMPARE(dados.DataSource3->index(0, 1).data().toString(), u"aluguel"_s);
        QCOMPARE(dados.DataSource3->rowOf(plans[0].transacao), 0);
        QVERIFY(dados.TableDFin.rows() == std::vector<Lancamento>{plans[0]});
    }

private:
    std::unique_ptr<TestFolder> m_folder;
    std::unique_ptr<Database> m_db;
    QString m_fin;
    QString m_dfin;
};

QTEST_GUILESS_MAIN(TestTabelas)
#include "test_tabelas.moc"
