#pragma once

#include "app/clock.h"
#include "support/pessoa.h"
#include "support/scripted_interaction.h"
#include "support/linhas.h"
#include "support/modal.h"
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

} // namespace cofrel::test
