#pragma once

#include "app/clock.h"
#include "support/pessoa.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QTimer;
class QWidget;
class TDados;
class TformCofrelMain;
class TformIncluirValor;

namespace cofrel::test {

// One stored transaction as the tests compare them.
struct Lancamento {
    qint64 transacao = 0;
    QDate data;
    QString descricao;
    int categoria = 0;
    double valor = 0;
};

// A logged-in user "Ana" in a fresh program folder with a fixed today, the
// data module, the entry dialog and (on request) the main window created
// as start-up creates them and recorded in forms(). Questions are answered
// and messages recorded by the scripted interaction.
class LedgerFixture final {
public:
    explicit LedgerFixture(const QDate &today, bool withMainWindow = true);
    ~LedgerFixture();
    LedgerFixture(const LedgerFixture &) = delete;
    LedgerFixture &operator=(const LedgerFixture &) = delete;

    TestFolder folder;
    ScriptedInteraction scripted;
    TDados *dados = nullptr;
    TformIncluirValor *dialogo = nullptr;
    TformCofrelMain *janela = nullptr;
    int usuario = 0;

    // Straight into the user's table, as another session would have left it.
    qint64 insere(const QDate &data, const QString &descricao, int categoria, double valor);
    QList<Lancamento> lancamentos();
    QString arquivoFin() const; // path of the user's f<N> table file

private:
    clock::FixedNow m_today;
};

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
