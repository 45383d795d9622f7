#pragma once

#include <QElapsedTimer>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace cofrel::bench {

// The repeated measurements of one figure on one ledger.
struct Amostras {
    std::vector<double> valores; // as the person waits (wall clock)
    std::vector<double> cpu;     // CPU time of the process meanwhile, when measured

    bool vazia() const { return valores.empty(); }
    double mediana() const;
    double medianaCpu() const;
    double minimo() const;
    double maximo() const;

    QJsonObject paraJson() const;
    static Amostras deJson(const QJsonObject &objeto);
};

// Milliseconds since start(), with the resolution of the monotonic clock,
// and the CPU time the process used meanwhile (which a busy machine
// disturbs much less than the wall clock).
class Cronometro final {
public:
    void start();
    double ms() const { return double(m_relogio.nsecsElapsed()) / 1e6; }
    double cpuMs() const { return tempoDeCpuMs() - m_cpuInicial; }

    static double tempoDeCpuMs();

private:
    QElapsedTimer m_relogio;
    double m_cpuInicial = 0.0;
};

} // namespace cofrel::bench
