// Batches handed from one thread to another: every one, in order, on the
// other thread; a failure on either side ends both, and nobody waits
// forever.
#include "ledger/esteira.h"

#include <QtTest>

#include <numeric>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;
using namespace cofrel;

namespace {

struct Lote {
    std::vector<int> itens;
    void clear() { itens.clear(); }
};

constexpr size_t PorLote = 8;

// Fills batches of PorLote with 0, 1, 2... up to \a itens, handing each
// full one over, and hands over the last.
void enche(Esteira<Lote> &esteira, int itens)
{
    Lote *lote = &esteira.atual();
    for (int i = 0; i < itens; ++i) {
        lote->itens.push_back(i);
        if (lote->itens.size() == PorLote)
            lote = &esteira.entrega();
    }
    esteira.termina();
}

} // namespace

class TestEsteira final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyItemInOrderOnTheOtherThread_data()
    {
        QTest::addColumn<int>("itens");
        QTest::newRow("none") << 0;
        QTest::newRow("part of a batch") << 5;
        QTest::newRow("one batch, then an empty one") << int(PorLote);
        QTest::newRow("more than go round") << int(PorLote) * 4 * 3 + 1;
        QTest::newRow("many") << 100000;
    }
    void everyItemInOrderOnTheOtherThread()
    {
        QFETCH(int, itens);
        std::vector<int> consumidos;
        bool nestaThread = false;
        {
            Esteira<Lote> esteira([&](const Lote &lote) {
                consumidos.insert(consumidos.end(), lote.itens.begin(), lote.itens.end());
                nestaThread = nestaThread || std::this_thread::get_id() == m_principal;
            });
            enche(esteira, itens);
        }
        std::vector<int> esperados(size_t(itens), 0);
        std::iota(esperados.begin(), esperados.end(), 0);
        QCOMPARE(consumidos, esperados);
        QVERIFY(!nestaThread);
    }

    // The consumer fails on batch \a falha: the filler gets that very
    // failure, and no batch after it is consumed.
    void consumerFailureReachesTheFiller_data()
    {
        QTest::addColumn<int>("falha");
        QTest::newRow("first") << 0;
        QTest::newRow("in the middle") << 9;
        QTest::newRow("the last, at the end") << 19;
    }
    void consumerFailureReachesTheFiller()
    {
        QFETCH(int, falha);
        int consumidos = 0;
        QString recebida;
        try {
            Esteira<Lote> esteira([&](const Lote &lote) {
                if (!lote.itens.empty() && lote.itens.front() == falha * int(PorLote))
                    throw std::runtime_error("lote " + std::to_string(falha));
                ++consumidos;
            });
            enche(esteira, 20 * int(PorLote));
        } catch (const std::runtime_error &e) {
            recebida = QString::fromUtf8(e.what());
        }
        QCOMPARE(recebida, u"lote %1"_s.arg(falha));
        QCOMPARE(consumidos, falha);
    }

    // The filler gives up half way: leaving the scope stops the consumer,
    // which consumed a part of what was handed over, in order.
    void fillerGivingUpStopsTheConsumer()
    {
        std::vector<int> consumidos;
        try {
            Esteira<Lote> esteira([&](const Lote &lote) {
                consumidos.insert(consumidos.end(), lote.itens.begin(), lote.itens.end());
            });
            Lote *lote = &esteira.atual();
            for (int i = 0; i < 3 * int(PorLote); ++i) {
                lote->itens.push_back(i);
                if (lote->itens.size() == PorLote)
                    lote = &esteira.entrega();
            }
            throw std::runtime_error("desistiu");
        } catch (const std::runtime_error &) {
        }
        QVERIFY(consumidos.size() <= 3 * PorLote);
        for (size_t i = 0; i < consumidos.size(); ++i)
            QCOMPARE(consumidos[i], int(i));
    }

private:
    const std::thread::id m_principal = std::this_thread::get_id();
};

QTEST_APPLESS_MAIN(TestEsteira)
#include "test_esteira.moc"
