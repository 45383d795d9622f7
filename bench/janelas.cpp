#include "janelas.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <QWindow>

namespace cofrel::bench {

using namespace Qt::StringLiterals;

ContaPinturas::ContaPinturas()
{
    qApp->installEventFilter(this);
}

ContaPinturas::~ContaPinturas()
{
    qApp->removeEventFilter(this);
}

bool ContaPinturas::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Paint && watched->isWidgetType()) {
        ++m_total;
        ++m_porJanela[static_cast<QWidget *>(watched)->window()];
    }
    return false;
}

int ContaPinturas::daJanela(const QWidget *janela) const
{
    return m_porJanela.value(janela, 0);
}

void ContaPinturas::zera()
{
    m_total = 0;
    m_porJanela.clear();
}

void esvazia()
{
    // Posted events may post more (an update request after a layout).
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool esperaAte(const std::function<bool()> &pronto, int limiteMs)
{
    const QDeadlineTimer prazo(limiteMs);
    while (!pronto()) {
        if (prazo.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

bool mostraEPinta(QWidget *janela, ContaPinturas &pinturas)
{
    const int antes = pinturas.daJanela(janela);
    janela->show();
    const bool pintada = esperaAte([&] {
        return janela->windowHandle() && janela->windowHandle()->isExposed() && pinturas.daJanela(janela) > antes;
    });
    esvazia();
    return pintada;
}

namespace {

double memoriaMb(QByteArrayView campo)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0.0;
    for (const QByteArray &linha : status.readAll().split('\n')) {
        if (linha.startsWith(campo))
            return linha.mid(campo.size()).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0.0;
}

} // namespace

double picoMemoriaMb()
{
    return memoriaMb("VmHWM:");
}

double memoriaResidenteMb()
{
    return memoriaMb("VmRSS:");
}

bool zeraPicoMemoria()
{
    QFile refs(u"/proc/self/clear_refs"_s);
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

double cargaDoSistema()
{
    QFile carga(u"/proc/loadavg"_s);
    if (!carga.open(QIODevice::ReadOnly))
        return 0.0;
    return carga.readAll().split(' ').value(0).toDouble();
}

} // namespace cofrel::bench
