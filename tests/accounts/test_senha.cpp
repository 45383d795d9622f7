// Password scrambling: the stored form, its inverse, the wrap-around of the
// codes, the filler and damaged stored texts.
#include "accounts/senha.h"
#include "app/clock.h"

#include <QSet>
#include <QTest>

#include <vector>

using namespace cofrel;

namespace {

// The addend sequence worked out from its recurrence, independently of the
// code under test: k(1) = -29, s(1) = +1, k(p+1) = -(k(p) + s(p)), s(p+1) = -s(p).
std::vector<int> adendos(int quantos)
{
    std::vector<int> k;
    int adendo = -29;
    int sinal = 1;
    for (int p = 0; p < quantos; ++p) {
        k.push_back(adendo);
        adendo = -(adendo + sinal);
        sinal = -sinal;
    }
    return k;
}

int codigo(const QByteArray &texto, qsizetype i)
{
    return static_cast<unsigned char>(texto.at(i));
}

QByteArray bytes(std::initializer_list<int> codigos)
{
    QByteArray texto;
    for (const int c : codigos)
        texto.append(char(c));
    return texto;
}

// A password of \a n bytes cycling through every code from \a primeiro on.
QByteArray senhaDeTeste(int n, int primeiro)
{
    QByteArray senha;
    for (int i = 0; i < n; ++i)
        senha.append(char((primeiro + i * 37) % 256));
    return senha;
}

QDateTime instante(int milissegundos)
{
    return QDateTime(QDate(2024, 3, 15), QTime::fromMSecsSinceStartOfDay(milissegundos));
}

} // namespace

class TestSenha final : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addendSequence()
    {
        // The first addends by hand: -29, then -(-29 + 1) = 28, then -(28 - 1) = -27, ...
        const QByteArray codificada = CodificaSenha(bytes({100, 100, 100, 100}));
        QCOMPARE(codigo(codificada, 1), 100 - 29);
        QCOMPARE(codigo(codificada, 2), 100 + 28);
        QCOMPARE(codigo(codificada, 3), 100 - 27);
        QCOMPARE(codigo(codificada, 4), 100 + 26);
    }

    void encodedLayout_data()
    {
        QTest::addColumn<QByteArray>("senha");
        QTest::newRow("one letter") << QByteArray("A");
        QTest::newRow("word") << QByteArray("segredo");
        QTest::newRow("blanks around") << QByteArray(" a b ");
        QTest::newRow("latin-1 letters") << QStringLiteral("çãoÉü").toLatin1();
        QTest::newRow("nineteen") << senhaDeTeste(19, 3);
        QTest::newRow("twenty") << senhaDeTeste(20, 200);
    }

    void encodedLayout()
    {
        QFETCH(QByteArray, senha);
        const QByteArray codificada = CodificaSenha(senha);
        QCOMPARE(codificada.size(), 21);
        QCOMPARE(codigo(codificada, 0), senha.size());
        const std::vector<int> k = adendos(int(senha.size()));
        for (qsizetype p = 0; p < senha.size(); ++p) {
            const int esperado = ((codigo(senha, p) + k[size_t(p)]) % 256 + 256) % 256;
            QCOMPARE(codigo(codificada, p + 1), esperado);
        }
        for (qsizetype j = senha.size() + 1; j < 21; ++j) {
            QVERIFY2(codigo(codificada, j) >= 10 && codigo(codificada, j) <= 109, qPrintable(QString::number(j)));
        }
        QCOMPARE(DecodificaSenha(codificada), senha);
    }

    void wrapAround_data()
    {
        QTest::addColumn<QByteArray>("senha");
        QTest::addColumn<int>("posicao"); // 1-based position in the stored text
        QTest::addColumn<int>("esperado");
        QTest::newRow("code 0 minus 29 wraps below 0") << bytes({0}) << 1 << 227;
        QTest::newRow("code 28 minus 29 wraps to 255") << bytes({28}) << 1 << 255;
        QTest::newRow("code 29 minus 29 gives 0") << bytes({29}) << 1 << 0;
        QTest::newRow("code 255 minus 29 stays") << bytes({255}) << 1 << 226;
        QTest::newRow("code 255 plus 28 wraps past 255") << bytes({65, 255}) << 2 << 27;
        QTest::newRow("code 228 plus 28 gives 0") << bytes({65, 228}) << 2 << 0;
        QTest::newRow("code 227 plus 28 gives 255") << bytes({65, 227}) << 2 << 255;
        QTest::newRow("code 0 minus 27 wraps below 0") << bytes({65, 65, 0}) << 3 << 229;
    }

    void wrapAround()
    {
        QFETCH(QByteArray, senha);
        QFETCH(int, posicao);
        QFETCH(int, esperado);
        const QByteArray codificada = CodificaSenha(senha);
        QCOMPARE(codificada.size(), 21);
        QCOMPARE(codigo(codificada, posicao), esperado);
        QCOMPARE(DecodificaSenha(codificada), senha);
    }

    void roundTripEveryLength()
    {
        for (int n = 0; n <= 20; ++n) {
            for (const int primeiro : {0, 1, 29, 128, 227, 255}) {
                const QByteArray senha = senhaDeTeste(n, primeiro);
                const QByteArray codificada = CodificaSenha(senha);
                QCOMPARE(codificada.size(), 21);
                QCOMPARE(codigo(codificada, 0), n);
                bool ok = false;
                QCOMPARE(DecodificaSenha(codificada, &ok), senha);
                QVERIFY(ok);
            }
        }
    }

    void roundTripEveryByteAtEveryPosition()
    {
        for (int posicao = 0; posicao < 20; ++posicao) {
            for (int b = 0; b < 256; ++b) {
                QByteArray senha = senhaDeTeste(20, posicao * 11);
                senha[posicao] = char(b);
                const QByteArray codificada = CodificaSenha(senha);
                QVERIFY2(DecodificaSenha(codificada) == senha,
                         qPrintable(QStringLiteral("byte %1 at position %2").arg(b).arg(posicao + 1)));
            }
        }
    }

    void emptyPassword()
    {
        const QByteArray codificada = CodificaSenha(QByteArray());
        QCOMPARE(codificada.size(), 21);
        QCOMPARE(codigo(codificada, 0), 0);
        for (qsizetype j = 1; j < 21; ++j)
            QVERIFY(codigo(codificada, j) >= 10 && codigo(codificada, j) <= 109);
        bool ok = false;
        QCOMPARE(DecodificaSenha(codificada, &ok), QByteArray());
        QVERIFY(ok);
    }

    void fillerRange()
    {
        for (int ms = 0; ms < 86'400'000; ms += 86'399) {
            clock::FixedNow agora(instante(ms));
            const QByteArray codificada = CodificaSenha(QByteArray("ab"));
            for (qsizetype j = 3; j < 21; ++j) {
                const int c = codigo(codificada, j);
                QVERIFY2(c >= 10 && c <= 109, qPrintable(QStringLiteral("%1 at %2 ms").arg(c).arg(ms)));
            }
        }
    }

    void fillerCoversItsWholeRange()
    {
        QSet<int> vistos;
        for (int ms = 0; ms < 2000 && vistos.size() < 100; ++ms) {
            clock::FixedNow agora(instante(ms * 1013));
            const QByteArray codificada = CodificaSenha(QByteArray());
            for (qsizetype j = 1; j < 21; ++j)
                vistos.insert(codigo(codificada, j));
        }
        QCOMPARE(vistos.size(), 100);
        QVERIFY(vistos.contains(10));
        QVERIFY(vistos.contains(109));
    }

    void fillerFollowsTheClock()
    {
        const QByteArray senha("chave");
        QByteArray primeira;
        QByteArray mesmoInstante;
        {
            clock::FixedNow agora(instante(45'000'123));
            primeira = CodificaSenha(senha);
            mesmoInstante = CodificaSenha(senha);
        }
        QCOMPARE(mesmoInstante, primeira); // same millisecond, same seed, same filler

        int diferentes = 0;
        for (int ms = 1; ms <= 20; ++ms) {
            clock::FixedNow agora(instante(45'000'123 + ms));
            const QByteArray outra = CodificaSenha(senha);
            QCOMPARE(outra.left(6), primeira.left(6)); // length and password part never change
            if (outra.mid(6) != primeira.mid(6))
                ++diferentes;
        }
        QVERIFY(diferentes >= 18);
    }

    void reseedsAtEveryCall()
    {
        QByteArray antes;
        {
            clock::FixedNow agora(instante(1000));
            antes = CodificaSenha(QByteArray("x"));
        }
        {
            clock::FixedNow agora(instante(777'777));
            CodificaSenha(QByteArray("x")); // moves the generator on
        }
        clock::FixedNow agora(instante(1000));
        QCOMPARE(CodificaSenha(QByteArray("x")), antes);
    }

    void decodingIgnoresTheFiller()
    {
        const QByteArray senha("abc");
        const QByteArray codificada = CodificaSenha(senha);

        QByteArray outroEnchimento = codificada;
        for (qsizetype j = 4; j < 21; ++j)
            outroEnchimento[j] = char(j * 13);
        QCOMPARE(DecodificaSenha(outroEnchimento), senha);

        QCOMPARE(DecodificaSenha(codificada.left(4)), senha); // only the first n + 1 bytes are read
        QCOMPARE(DecodificaSenha(codificada + QByteArray("resto")), senha);
    }

    void damagedStoredText_data()
    {
        QTest::addColumn<QByteArray>("guardada");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("length byte only, says 5") << bytes({5});
        QTest::newRow("shorter than its length byte") << CodificaSenha(QByteArray("segredo")).left(5);
        QTest::newRow("length 20, one byte short") << CodificaSenha(senhaDeTeste(20, 9)).left(20);
        QTest::newRow("length byte 21") << QByteArray(22, char(21));
        QTest::newRow("length byte 255") << QByteArray(256, char(255));
        QTest::newRow("plain text, not scrambled") << QByteArray("minha senha em claro com muitos bytes");
    }

    void damagedStoredText()
    {
        QFETCH(QByteArray, guardada);
        bool ok = true;
        const QByteArray senha = DecodificaSenha(guardada, &ok);
        QVERIFY(!ok);
        QVERIFY(senha.isEmpty());
    }

    void overlongPasswordStillGivesTwentyOneBytes()
    {
        const QByteArray longa = senhaDeTeste(25, 40);
        const QByteArray codificada = CodificaSenha(longa);
        QCOMPARE(codificada.size(), 21);
        QCOMPARE(codigo(codificada, 0), 20);
        QCOMPARE(DecodificaSenha(codificada), longa.left(20));
    }
};

QTEST_APPLESS_MAIN(TestSenha)
#include "test_senha.moc"
