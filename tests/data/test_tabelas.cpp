// Table components: walking in index order, FindKey on each index, posts,
// auto-increment, deletes, the user registry's names and passwords, and
// the data module's set-up.

#include "support/tabelas.h"

#include "accounts/senha.h"
#include "app/errors.h"
#include "data/cofrel_dados.h"
#include "data/database.h"
#include "data/models.h"
#include "data/table.h"
#include "support/test_folder.h"

#include <QtTest>

#include <memory>

using namespace cofrel;
using namespace cofrel::data;
using namespace cofrel::test;
using namespace Qt::StringLiterals;

namespace {

QList<qint64> percorre(Table &table)
{
    QList<qint64> ids;
    for (table.first(); !table.eof(); table.next())
        ids << table.currentId();
    return ids;
}

QStringList nomesDoRegistro(Table &users)
{
    QStringList names;
    for (users.first(); !users.eof(); users.next())
        names << users.fieldByName(u"User"_s).asString();
    return names;
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
    }

    void cleanup()
    {
        m_folder.reset();
    }

    void walkFollowsDateOrder()
    {
        QList<Lancamento> rows{{0, QDate(2024, 3, 10), u"c"_s, 1, -3},
                               {0, QDate(2024, 1, 5), u"a"_s, 1, -1},
                               {0, QDate(2024, 3, 10), u"d"_s, 2, -4},
                               {0, QDate(2024, 2, 1), u"b"_s, 6, 2},
                               {0, QDate(2030, 1, 1), u"futuro"_s, 3, -9}};
        gravaLinhas(m_fin, rows);

        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QVERIFY(fin.bof());
        QVERIFY(!fin.eof());
        QVERIFY(!fin.isEmpty());
        QCOMPARE(fin.recordCount(), rows.size());
        QCOMPARE(percorre(fin), idsEmOrdemDeData(rows, [](const Lancamento &) { return true; }));
        QVERIFY(fin.eof());
        const qint64 last = fin.currentId();
        fin.next(); // at the end nothing moves
        QVERIFY(fin.eof());
        QCOMPARE(fin.currentId(), last);

        // The order of the primary index is the order of writing.
        fin.setIndexFieldNames(u"Transacao"_s);
        QList<qint64> byId;
        for (const Lancamento &l : rows)
            byId << l.transacao;
        QCOMPARE(percorre(fin), byId);
    }

    void emptyTableIsAtBothEnds()
    {
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QVERIFY(fin.bof());
        QVERIFY(fin.eof());
        QVERIFY(fin.isEmpty());
        QCOMPARE(fin.recordCount(), 0);
        QCOMPARE(fin.currentId(), 0);
        QVERIFY(fin.fieldByName(u"Valor"_s).isNull());
        QCOMPARE(fin.fieldByName(u"Valor"_s).asFloat(), 0.0);
        QVERIFY(!fin.findKey(QDate(2024, 1, 1)));
    }

    void findKeyOnEachIndex_data()
    {
        QTest::addColumn<QString>("fields");
        QTest::addColumn<int>("row");       // the row whose key is looked up, -1 for a key nobody has
        QTest::addColumn<QVariant>("absent");

        QTest::newRow("Data") << u"Data"_s << 2 << QVariant(QDate(2023, 7, 7));
        QTest::newRow("Data, first of a day") << u"Data"_s << 0 << QVariant(QDate(1999, 5, 26));
        QTest::newRow("Transacao") << u"Transacao"_s << 3 << QVariant(qint64(987654));
        QTest::newRow("Transacao, a text that is no number") << u"Transacao"_s << 1 << QVariant(u"abc"_s);
    }

    void findKeyOnEachIndex()
    {
        QFETCH(QString, fields);
        QFETCH(int, row);
        QFETCH(QVariant, absent);

        QList<Lancamento> rows{{0, QDate(2024, 1, 10), u"primeiro do dia"_s, 1, -1},
                               {0, QDate(2024, 1, 10), u"segundo do dia"_s, 2, -2},
                               {0, QDate(2024, 2, 15), u"fevereiro"_s, 3, -3},
                               {0, QDate(2023, 12, 31), u"dezembro"_s, 6, 30}};
        gravaLinhas(m_fin, rows);

        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(fields);
        fin.open();
        const Lancamento &wanted = rows[row];
        const QVariant key = fields == u"Data"_s ? QVariant(wanted.data) : QVariant(wanted.transacao);
        QVERIFY(fin.findKey(key));
        QCOMPARE(fin.currentId(), wanted.transacao);
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), wanted.descricao);
        QCOMPARE(fin.fieldByName(u"Data"_s).asDate(), wanted.data);
        QCOMPARE(fin.fieldByName(u"Valor"_s).asFloat(), wanted.valor);
        QCOMPARE(fin.fieldByName(u"Categoria"_s).asInteger(), wanted.categoria);
        QVERIFY(!fin.findKey(absent));
    }

    void findKeyAfterSwitchingBack()
    {
        QList<Lancamento> rows{{0, QDate(2024, 5, 1), u"maio"_s, 1, -1},
                               {0, QDate(2024, 4, 1), u"abril"_s, 1, -2},
                               {0, QDate(2024, 6, 1), u"junho"_s, 1, -3}};
        gravaLinhas(m_fin, rows);

        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        {
            IndexSwitch byId(fin, u"Transacao"_s);
            QCOMPARE(fin.indexFieldNames(), u"Transacao"_s);
            QVERIFY(fin.findKey(rows[2].transacao));
            QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), u"junho"_s);
        }
        QCOMPARE(fin.indexFieldNames(), u"Data"_s);
        // The switch kept the row: walking on goes by date from it.
        QCOMPARE(fin.currentId(), rows[2].transacao);
        QVERIFY(fin.findKey(QDate(2024, 4, 1)));
        QCOMPARE(fin.currentId(), rows[1].transacao);
        fin.next();
        QCOMPARE(fin.currentId(), rows[0].transacao);
        // An integer key on the date index finds nothing rather than a row.
        QVERIFY(!fin.findKey(rows[0].transacao));
    }

    void planWalksByDayThenDate()
    {
        QList<Lancamento> rows{{0, QDate(2024, 3, 15), u"b"_s, 1, -2, 15},
                               {0, QDate(2024, 4, 5), u"a2"_s, 1, -1, 5},
                               {0, QDate(2024, 3, 5), u"a1"_s, 1, -1, 5},
                               {0, QDate(2024, 2, 29), u"c"_s, 6, 100, 31}};
        gravaLinhas(m_dfin, rows);

        Table dfin(alias(), m_dfin);
        dfin.setIndexFieldNames(u"Dia;Data"_s);
        dfin.open();
        QCOMPARE(percorre(dfin), (QList<qint64>{rows[2].transacao, rows[1].transacao, rows[0].transacao, rows[3].transacao}));
        QVERIFY(dfin.findKey(5));
        QCOMPARE(dfin.currentId(), rows[2].transacao); // the first of day 5 by date
        QVERIFY(!dfin.findKey(6));
        {
            IndexSwitch byId(dfin, u"Transacao"_s);
            QVERIFY(dfin.findKey(rows[3].transacao));
            QCOMPARE(dfin.fieldByName(u"Dia"_s).asInteger(), 31);
            QCOMPARE(dfin.fieldByName(u"Data"_s).asDate(), QDate(2024, 2, 29));
        }
        QCOMPARE(dfin.indexFieldNames(), u"Dia;Data"_s);
    }

    void postedRowIsFoundAtOnce()
    {
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        const qint64 id = gravaLinha(fin, {0, QDate(2024, 7, 1), u"recém-gravado"_s, 4, -12.34});
        QVERIFY(id > 0);
        QCOMPARE(fin.state(), Table::State::Browse);
        // The table stands on the new row.
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), u"recém-gravado"_s);
        QCOMPARE(fin.fieldByName(u"Transacao"_s).asInteger(), id);
        {
            IndexSwitch byId(fin, u"Transacao"_s);
            QVERIFY(fin.findKey(id));
            QCOMPARE(fin.fieldByName(u"Valor"_s).asFloat(), -12.34);
        }

        // Written to the file: another program reading it sees the row.
        OutraConexao outra(m_folder->dataFile(u"f1.DB"_s));
        QSqlQuery q = outra.query();
        QVERIFY(q.exec(u"SELECT Descricao, Data, typeof(Data) FROM fin WHERE Transacao = %1"_s.arg(id)));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), u"recém-gravado"_s);
        QCOMPARE(q.value(1).toString(), u"2024-07-01"_s);
        QCOMPARE(q.value(2).toString(), u"text"_s);
    }

    void autoIncrementIsNeverReused()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"um"_s, 1, -1},
                               {0, QDate(2024, 1, 2), u"dois"_s, 1, -2},
                               {0, QDate(2024, 1, 3), u"três"_s, 1, -3}};
        gravaLinhas(m_fin, rows);
        const qint64 highest = rows[2].transacao;
        {
            Table fin(alias(), m_fin);
            fin.setIndexFieldNames(u"Transacao"_s);
            fin.open();
            QVERIFY(fin.findKey(highest));
            fin.deleteRow();
        }
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        const qint64 next = gravaLinha(fin, {0, QDate(2024, 1, 4), u"quatro"_s, 1, -4});
        QVERIFY2(next > highest, qPrintable(u"%1 after %2"_s.arg(next).arg(highest)));

        // Users too: a deleted user's number is never given again.
        const int second = m_folder->addUser(u"Segundo"_s, u"x"_s);
        {
            Table users(alias(), u"users.db"_s);
            users.setIndexName(u"users"_s);
            users.open();
            QVERIFY(users.findKey(u"Segundo"_s));
            users.deleteRow();
        }
        const int third = m_folder->addUser(u"Terceiro"_s, u"x"_s);
        QVERIFY(third > second);
    }

    void editKeepsIdentityAndMovesRow()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"a"_s, 1, -1},
                               {0, QDate(2024, 2, 1), u"b"_s, 1, -2},
                               {0, QDate(2024, 3, 1), u"c"_s, 1, -3}};
        gravaLinhas(m_fin, rows);

        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QCOMPARE(fin.currentId(), rows[0].transacao);
        fin.edit();
        fin.fieldByName(u"Data"_s).setDate(QDate(2024, 12, 25));
        fin.fieldByName(u"Valor"_s).setFloat(55.5);
        fin.post();
        QCOMPARE(fin.currentId(), rows[0].transacao);
        QCOMPARE(fin.fieldByName(u"Data"_s).asDate(), QDate(2024, 12, 25));
        QCOMPARE(percorre(fin), (QList<qint64>{rows[1].transacao, rows[2].transacao, rows[0].transacao}));
        QCOMPARE(fin.recordCount(), 3);

        // A cancelled edit leaves the row as stored.
        QVERIFY(fin.findKey(QDate(2024, 2, 1)));
        fin.edit();
        fin.fieldByName(u"Descricao"_s).setString(u"não fica"_s);
        fin.cancel();
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), u"b"_s);
    }

    void deleteStandsOnNextRow()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"a"_s, 1, -1},
                               {0, QDate(2024, 2, 1), u"b"_s, 1, -2},
                               {0, QDate(2024, 3, 1), u"c"_s, 1, -3}};
        gravaLinhas(m_fin, rows);

        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        fin.next();
        QCOMPARE(fin.currentId(), rows[1].transacao);
        fin.deleteRow();
        QCOMPARE(fin.currentId(), rows[2].transacao);
        fin.deleteRow(); // the last one: the table stands on the new last row
        QCOMPARE(fin.currentId(), rows[0].transacao);
        QVERIFY(!fin.isEmpty());
        fin.deleteRow();
        QVERIFY(fin.isEmpty());
        QVERIFY(fin.eof());
        QVERIFY(fin.bof());
        QVERIFY_THROWS_EXCEPTION(Error, fin.deleteRow());
    }

    void closeDiscardsPendingChanges()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"guardado"_s, 1, -1}};
        gravaLinhas(m_fin, rows);
        {
            Table fin(alias(), m_fin);
            fin.setIndexFieldNames(u"Data"_s);
            fin.open();
            fin.insert();
            fin.fieldByName(u"Descricao"_s).setString(u"pendente"_s);
            fin.close();
            QVERIFY(!fin.isOpen());
            fin.open();
            fin.edit();
            fin.fieldByName(u"Descricao"_s).setString(u"alterado"_s);
            fin.close();
        }
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QCOMPARE(fin.recordCount(), 1);
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), u"guardado"_s);
    }

    void tableNameChangesOnlyWhileClosed()
    {
        Table fin(alias(), u"fin.DB"_s);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QVERIFY_THROWS_EXCEPTION(Error, fin.setTableName(m_fin));
        QVERIFY(fin.isOpen());
        QCOMPARE(fin.tableName(), u"fin.DB"_s);
        fin.close();
        fin.setTableName(m_fin);
        QCOMPARE(fin.tableName(), m_fin);
        fin.open();
        gravaLinha(fin, {0, QDate(2024, 1, 1), u"no arquivo do usuário"_s, 1, -1});
        fin.close();

        // The template kept no row.
        Table modelo(alias(), u"fin.DB"_s);
        modelo.open();
        QVERIFY(modelo.isEmpty());
    }

    void fieldsAreWrittenOnlyInInsertOrEdit()
    {
        QList<Lancamento> rows{{0, QDate(2024, 1, 1), u"a"_s, 1, -1}};
        gravaLinhas(m_fin, rows);
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        QVERIFY_THROWS_EXCEPTION(Error, fin.fieldByName(u"Data"_s)); // closed
        fin.open();
        QVERIFY_THROWS_EXCEPTION(Error, fin.fieldByName(u"Descricao"_s).setString(u"x"_s));
        fin.insert();
        // The identity is the engine's to give.
        QVERIFY_THROWS_EXCEPTION(Error, fin.fieldByName(u"Transacao"_s).setInteger(99));
        fin.cancel();
        QCOMPARE(fin.currentId(), rows[0].transacao);
        QCOMPARE(fin.recordCount(), 1);
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
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        gravaLinha(fin, {0, QDate(2024, 1, 1), escrita, 1, -1});
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), lida);
        // Read again from the file, not from the row just posted.
        fin.close();
        fin.open();
        fin.first();
        QCOMPARE(fin.fieldByName(u"Descricao"_s).asString(), lida);
    }

    void unknownIndexOrFieldFails()
    {
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Descricao"_s);
        QVERIFY_THROWS_EXCEPTION(Error, fin.open());
        QVERIFY(!fin.isOpen());
        fin.setIndexFieldNames(u"Data"_s);
        fin.open();
        QVERIFY_THROWS_EXCEPTION(Error, fin.setIndexFieldNames(u"Valor"_s));
        QCOMPARE(fin.indexFieldNames(), u"Data"_s);
        QVERIFY_THROWS_EXCEPTION(Error, fin.setIndexName(u"users"_s));
        QCOMPARE(fin.indexFieldNames(), u"Data"_s);
        QVERIFY_THROWS_EXCEPTION(Error, fin.fieldByName(u"Nada"_s));
        // Field names are matched without regard to case.
        QVERIFY(fin.fieldByName(u"valor"_s).isNull());
    }

    void indexSwitchRestoresOnFailure()
    {
        Table fin(alias(), m_fin);
        fin.setIndexFieldNames(u"Data"_s);
        bool failed = false;
        try {
            IndexSwitch byId(fin, u"Transacao"_s);
            TableCloser closer(fin);
            fin.open();
            fin.insert();
            fin.fieldByName(u"Transacao"_s).setInteger(1); // refused
        } catch (const Error &) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY(!fin.isOpen());
        QCOMPARE(fin.indexFieldNames(), u"Data"_s);
    }

    void passwordBytesRoundTrip()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b));
        const QByteArray scrambled = CodificaSenha("segredo");
        QCOMPARE(scrambled.size(), TamanhoSenhaCodificada);
        {
            Table users(alias(), u"users.db"_s);
            users.setIndexName(u"users"_s);
            users.open();
            users.insert();
            users.fieldByName(u"User"_s).setString(u"Todos os bytes"_s);
            users.fieldByName(u"Senha"_s).setBytes(every);
            users.post();
            users.insert();
            users.fieldByName(u"User"_s).setString(u"Zero à esquerda"_s);
            users.fieldByName(u"Senha"_s).setBytes(QByteArray("\0\0abc\0", 6));
            users.post();
            users.insert();
            users.fieldByName(u"User"_s).setString(u"Embaralhada"_s);
            users.fieldByName(u"Senha"_s).setBytes(scrambled);
            users.post();
        }
        Table users(alias(), u"users.db"_s);
        users.setIndexName(u"users"_s);
        users.open();
        QVERIFY(users.findKey(u"Todos os bytes"_s));
        QCOMPARE(users.fieldByName(u"Senha"_s).asBytes(), every);
        QVERIFY(users.findKey(u"Zero à esquerda"_s));
        QCOMPARE(users.fieldByName(u"Senha"_s).asBytes(), QByteArray("\0\0abc\0", 6));
        QVERIFY(users.findKey(u"Embaralhada"_s));
        bool ok = false;
        QCOMPARE(DecodificaSenha(users.fieldByName(u"Senha"_s).asBytes(), &ok), QByteArray("segredo"));
        QVERIFY(ok);
        // The user added by the folder: written as the new-user window writes it.
        QVERIFY(users.findKey(u"Teste"_s));
        QCOMPARE(DecodificaSenha(users.fieldByName(u"Senha"_s).asBytes(), &ok), QByteArray("senha"));
        QVERIFY(ok);
    }

    void namesIgnoreCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("lookedUp");
        QTest::addColumn<bool>("found");

        QTest::newRow("as typed") << u"José"_s << u"José"_s << true;
        QTest::newRow("upper-cased with accent") << u"José"_s << u"José"_s.toUpper() << true;
        QTest::newRow("lower-cased") << u"JOÃO"_s << u"joão"_s << true;
        QTest::newRow("two words") << u"Ana Paula"_s << u"ANA PAULA"_s << true;
        QTest::newRow("sharp s upper-cased") << u"Straße"_s << u"Straße"_s.toUpper() << true;
        QTest::newRow("accent differs") << u"José"_s << u"Jose"_s << false;
        QTest::newRow("longer name") << u"Ana"_s << u"Anabela"_s << false;
        QTest::newRow("shorter name") << u"Anabela"_s << u"ANA"_s << false;
        QTest::newRow("noncharacter") << u"Ana"_s + QChar(0xFFFF) << u"ana"_s + QChar(0xFFFF) << true;
    }

    void namesIgnoreCase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, lookedUp);
        QFETCH(bool, found);

        const int number = m_folder->addUser(stored, u"x"_s);
        Table users(alias(), u"users.db"_s);
        users.setIndexName(u"users"_s);
        users.open();
        QCOMPARE(users.findKey(lookedUp), found);
        if (found) {
            // A noncharacter is stored as U+FFFD and still found as typed.
            QCOMPARE(users.fieldByName(u"User"_s).asString(), QString(stored).replace(QChar(0xFFFF), QChar::ReplacementCharacter));
            QCOMPARE(users.fieldByName(u"Numero"_s).asInteger(), number);
        }
    }

    void usersAreListedInNameOrder()
    {
        for (const QString &name : {u"bruno"_s, u"Carlos"_s, u"álvaro"_s, u"ana maria"_s, u"Ana"_s, u"Zé"_s})
            m_folder->addUser(name, u"x"_s);
        Table users(alias(), u"users.db"_s);
        users.setIndexName(u"users"_s);
        users.open();
        QCOMPARE(nomesDoRegistro(users),
                 (QStringList{u"álvaro"_s, u"Ana"_s, u"ana maria"_s, u"bruno"_s, u"Carlos"_s, u"Teste"_s, u"Zé"_s}));
    }

    void dataModuleSetUp()
    {
        TDados dados;
        QCOMPARE(dados.TableUser.alias(), u"Cofrel"_s);
        QCOMPARE(dados.TableUser.tableName(), u"users.db"_s);
        QCOMPARE(dados.TableUser.indexName(), u"users"_s);
        QCOMPARE(dados.TableFin.tableName(), u"fin.DB"_s);
        QCOMPARE(dados.TableFin.indexFieldNames(), u"Data"_s);
        QCOMPARE(dados.TableDFin.tableName(), u"dfin.DB"_s);
        QCOMPARE(dados.TableDFin.indexFieldNames(), u"Dia;Data"_s);
        for (Query *q : {&dados.Query, &dados.QuerySaldo, &dados.QueryD}) {
            QCOMPARE(q->sql(), u"select * from fin"_s);
            QVERIFY(!q->isOpen());
        }
        const auto titles = [](QAbstractItemModel *m) {
            QStringList out;
            for (int c = 0; c < m->columnCount(); ++c)
                out << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
            return out;
        };
        QCOMPARE(titles(dados.DataSource4), (QStringList{u"Data"_s, u"Descricao"_s, u"Valor"_s}));
        QCOMPARE(titles(dados.DataSource3), (QStringList{u"Dia"_s, u"Descricao"_s, u"Valor"_s}));

        dados.setUserTables(m_fin, m_dfin);
        QCOMPARE(dados.TableFin.tableName(), m_fin);
        QCOMPARE(dados.TableDFin.tableName(), m_dfin);
        dados.TableUser.open();
        QVERIFY(dados.TableUser.findKey(u"TESTE"_s));
        dados.TableUser.close();

        // The plan grid's model follows the table.
        QList<Lancamento> plans{{0, QDate(2024, 5, 10), u"aluguel"_s, 5, -900, 10}};
        gravaLinhas(m_dfin, plans);
        dados.TableDFin.open();
        QCOMPARE(dados.DataSource3->rowCount(), 1);
        QCOMPARE(dados.DataSource3->index(0, 1).data().toString(), u"aluguel"_s);
        QCOMPARE(dados.DataSource3->currentRow(), 0);
        QVERIFY_THROWS_EXCEPTION(Error, dados.setUserTables(u"f2.db"_s, u"d2.db"_s));
        dados.TableDFin.close();
        QCOMPARE(dados.DataSource3->rowCount(), 0);
    }

private:
    std::unique_ptr<TestFolder> m_folder;
    QString m_fin;
    QString m_dfin;
};

QTEST_GUILESS_MAIN(TestTabelas)
#include "test_tabelas.moc"
