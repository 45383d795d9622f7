#include "support/modal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

namespace cofrel::test {

ModalWatch::ModalWatch(std::function<void(QWidget *)> action, int timeoutMs)
    : m_poll(new QTimer())
    , m_ran(std::make_shared<bool>(false))
{
    auto elapsed = std::make_shared<QElapsedTimer>();
    elapsed->start();
    m_poll->setInterval(5);
    QObject::connect(m_poll, &QTimer::timeout,
                     [poll = m_poll, ran = m_ran, elapsed, timeoutMs, action = std::move(action)] {
                         QWidget *modal = QApplication::activeModalWidget();
                         if (modal && modal->isVisible()) {
                             poll->stop();
                             *ran = true;
                             action(modal);
                         } else if (elapsed->elapsed() > timeoutMs) {
                             poll->stop();
                         }
                     });
    m_poll->start();
}

ModalWatch::~ModalWatch()
{
    m_poll->stop();
    m_poll->deleteLater();
}

std::unique_ptr<ModalWatch> quandoModal(std::function<void(QWidget *)> action, int timeoutMs)
{
    return std::make_unique<ModalWatch>(std::move(action), timeoutMs);
}

CadaModal::CadaModal(std::function<void(QWidget *)> action, QWidget *target)
    : m_action(std::move(action))
    , m_target(target)
{
    arma();
}

void CadaModal::arma()
{
    m_watch = quandoModal(
        [this](QWidget *modal) {
            if (!m_target || modal == m_target) {
                ++m_vezes;
                m_action(modal);
            }
            arma();
        },
        24 * 3600 * 1000);
}

} // namespace cofrel::test
