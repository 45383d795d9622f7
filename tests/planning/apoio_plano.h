#pragma once

#include <QDate>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

#include "support/scripted_interaction.h"
#include "support/test_folder.h"

class TDados;
class TformIncluiMes;
class TformIncluirValor;
class TformPlanejamento;

// Helpers shared by the planning tests: answering modal dialogs as a
// person would, and reading or seeding the plan and the ledger through
// components of their own (never through the windows under test).
namespace cofrel::test {

// Answers the window named \a objectName each time it is shown: \a action
// runs on it from the event loop once it is up (inside its exec() when it
// is modal). By default only the first showing is answered.
class RespostaModal final : public QObject {
    Q_OBJECT
public:
    explicit RespostaModal(QString objectName, std::function<void(QWidget *)> action);
    ~RespostaModal() override;
    bool executou() const { return m_runs > 0; }
    int vezes() const { return m_runs; }
    int mostrada() const { return m_shown; }
    // Keep answering every showing, not only the first one.
    void repetir(bool repeat) { m_repeat = repeat; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<void(QWidget *)> m_action;
    QString m_objectName;
    int m_runs = 0;
    int m_shown = 0;
    bool m_repeat = false;
};

// A program folder with one logged-in user, the data module and the
// planning windows (and the entry dialog) registered in forms(), and the
// scripted interaction installed. Everything goes again on destruction.
class AmbientePlano final {
public:
    AmbientePlano();
    ~AmbientePlano();
    AmbientePlano(const AmbientePlano &) = delete;
    AmbientePlano &operator=(const AmbientePlano &) = delete;

    TestFolder folder;
    ScriptedInteraction interacao;
    TDados *dados = nullptr;
    TformIncluirValor *incluirValor = nullptr;
    TformPlanejamento *planejamento = nullptr;
    TformIncluiMes *incluiMes = nullptr;
    int usuario = 0;

    QString arquivoPlano() const;   // path of the user's plan file
    QString arquivoExtrato() const; // path of the user's ledger file
};

struct LinhaPlano {
    qint64 transacao = 0;
    int dia = 0;
    QDate data;
    int categoria = 0;
    QString descricao;
    double valor = 0.0;
};

struct LinhaExtrato {
    qint64 transacao = 0;
    QDate data;
    int categoria = 0;
    QString descricao;
    double valor = 0.0;
};

// The logged-in user's plan, in order of identity.
QList<LinhaPlano> lePlano();
qint64 incluiNoPlano(int dia, const QDate &data, int categoria, const QString &descricao, double valor);
// The logged-in user's ledger, in order of identity.
QList<LinhaExtrato> leExtrato();
qint64 incluiNoExtrato(const QDate &data, int categoria, const QString &descricao, double valor);

// Makes every write to the internal table \a internalTable of the file
// \a path fail with an engine error (a trigger in the file itself), until
// liberaEscrita() removes it.
void impedeEscrita(const QString &path, const QString &internalTable);
void liberaEscrita(const QString &path, const QString &internalTable);

} // namespace cofrel::test
