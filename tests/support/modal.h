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

// Runs \a action on every showing of a modal window while it lives, as a
// person who answers each in turn: a quandoModal() armed again after each
// answer. With a \a target, only that window is answered (others are left
// to their own watches).
class CadaModal final {
public:
    explicit CadaModal(std::function<void(QWidget *)> action, QWidget *target = nullptr);
    CadaModal(const CadaModal &) = delete;
    CadaModal &operator=(const CadaModal &) = delete;

    int vezes() const { return m_vezes; }

private:
    void arma();

    std::function<void(QWidget *)> m_action;
    QWidget *m_target;
    std::unique_ptr<ModalWatch> m_watch;
    int m_vezes = 0;
};

} // namespace cofrel::test
