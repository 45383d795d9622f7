#include "amostras.h"

#include <QJsonArray>

#include <algorithm>

#include <time.h>

namespace cofrel::bench {

using namespace Qt::StringLiterals;

namespace {

double medianaDe(std::vector<double> ordenados)
{
    if (ordenados.empty())
        return 0.0;
    std::sort(ordenados.begin(), ordenados.end());
    const size_t meio = ordenados.size() / 2;
    return ordenados.size() % 2 ? ordenados[meio] : (ordenados[meio - 1] + ordenados[meio]) / 2.0;
}

QJsonArray emJson(const std::vector<double> &valores)
{
    QJsonArray todas;
    for (const double v : valores)
        todas.append(v);
    return todas;
}

} // namespace

void Cronometro::start()
{
    m_cpuInicial = tempoDeCpuMs();
    m_relogio.start();
}

double Cronometro::tempoDeCpuMs()
{
    timespec agora{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &agora);
    return double(agora.tv_sec) * 1e3 + double(agora.tv_nsec) / 1e6;
}

double Amostras::mediana() const
{
    return medianaDe(valores);
}

double Amostras::medianaCpu() const
{
    return medianaDe(cpu);
}

double Amostras::minimo() const
{
    return valores.empty() ? 0.0 : *std::min_element(valores.begin(), valores.end());
}

double Amostras::maximo() const
{
    return valores.empty() ? 0.0 : *std::max_element(valores.begin(), valores.end());
}

QJsonObject Amostras::paraJson() const
{
    QJsonObject o{{u"mediana"_s, mediana()}, {u"minimo"_s, minimo()}, {u"maximo"_s, maximo()},
                  {u"amostras"_s, emJson(valores)}};
    if (!cpu.empty()) {
        o.insert(u"cpuMediana"_s, medianaDe(cpu));
        o.insert(u"cpuAmostras"_s, emJson(cpu));
    }
    return o;
}

Amostras Amostras::deJson(const QJsonObject &objeto)
{
    Amostras a;
    const QJsonArray todas = objeto.value(u"amostras"_s).toArray();
    for (const QJsonValue &v : todas)
        a.valores.push_back(v.toDouble());
    for (const QJsonValue &v : objeto.value(u"cpuAmostras"_s).toArray())
        a.cpu.push_back(v.toDouble());
    return a;
}

} // namespace cofrel::bench
