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

} // namespace cofrel::test
