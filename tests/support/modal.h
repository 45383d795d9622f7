#pragma once

#include <functional>
#include <memory>

class QTimer;
class QWidget;

namespace cofrel::test {

// Runs \a action once on the next modal widget to appear (polling, so it
// works whether the modal loop has started yet or not). Watching stops when
// the watch is destroyed or the timeout passes.
class ModalWatch final {
public:
    ModalWatch(std::function<void(QWidget *)> action, int timeoutMs);
    ~ModalWatch();
    ModalWatch(const ModalWatch &) = delete;
    ModalWatch &operator=(const ModalWatch &) = delete;

    bool ran() const { return *m_ran; }

private:
    QTimer *m_poll;
    std::shared_ptr<bool> m_ran;
};
std::unique_ptr<ModalWatch> quandoModal(std::function<void(QWidget *)> action, int timeoutMs = 10000);

} // namespace cofrel::test
