#pragma once

#include <array>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace cofrel {

// Hands batches of work, in order, from the thread that fills them to a
// second thread that consumes them, so that filling and consuming overlap.
// A few batches go round: the filler fills one while the consumer works
// through those handed over before it, and waits only when all are full.
// A failure of the consumer reaches the filler at its next hand-over or at
// termina(); leaving the scope any other way stops the consumer, which
// drops what it has not consumed, and waits for it.
//
// \a Lote is default-constructible and has clear().
template <class Lote, int Lotes = 4>
class Esteira final {
public:
    explicit Esteira(std::function<void(const Lote &)> consome)
        : m_consome(std::move(consome))
        , m_consumidor([this] { consomeLotes(); })
    {
    }
    ~Esteira() { para(); }
    Esteira(const Esteira &) = delete;
    Esteira &operator=(const Esteira &) = delete;

    // The batch to fill now.
    Lote &atual() { return m_lotes[m_entregues % Lotes]; }

    // Hands the batch filled over and gives the next one, empty.
    Lote &entrega()
    {
        {
            std::unique_lock lock(m_mutex);
            ++m_entregues;
            m_mudou.notify_all();
            m_mudou.wait(lock, [&] { return m_entregues - m_consumidos < std::uint64_t(Lotes) || m_falha; });
            if (m_falha)
                std::rethrow_exception(m_falha);
        }
        Lote &proximo = atual();
        proximo.clear();
        return proximo;
    }

    // Hands the last batch over and returns once every batch is consumed;
    // throws what the consumer threw.
    void termina()
    {
        {
            std::unique_lock lock(m_mutex);
            ++m_entregues;
            m_fim = true;
            m_mudou.notify_all();
        }
        m_consumidor.join();
        if (m_falha)
            std::rethrow_exception(m_falha);
    }

private:
    void consomeLotes()
    {
        for (;;) {
            const Lote *lote = nullptr;
            {
                std::unique_lock lock(m_mutex);
                m_mudou.wait(lock, [&] { return m_consumidos < m_entregues || m_fim || m_parar; });
                if (m_parar || m_consumidos == m_entregues)
                    return;
                lote = &m_lotes[m_consumidos % Lotes];
            }
            try {
                m_consome(*lote);
            } catch (...) {
                const std::lock_guard lock(m_mutex);
                m_falha = std::current_exception();
                m_mudou.notify_all();
                return;
            }
            const std::lock_guard lock(m_mutex);
            ++m_consumidos;
            m_mudou.notify_all();
        }
    }

    void para() noexcept
    {
        {
            const std::lock_guard lock(m_mutex);
            m_parar = true;
            m_mudou.notify_all();
        }
        if (m_consumidor.joinable())
            m_consumidor.join();
    }

    std::function<void(const Lote &)> m_consome;
    std::array<Lote, Lotes> m_lotes;
    std::mutex m_mutex;
    std::condition_variable m_mudou;
    std::uint64_t m_entregues = 0; // batches handed over
    std::uint64_t m_consumidos = 0;
    bool m_fim = false;   // no batch comes after the last handed over
    bool m_parar = false; // the filler gave up: drop the rest
    std::exception_ptr m_falha;
    std::thread m_consumidor; // last: starts once the rest is in place
};

} // namespace cofrel
