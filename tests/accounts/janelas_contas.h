#pragma once

#include "support/pessoa.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QByteArray>
#include <QMap>
#include <QString>

#include <functional>

class QWidget;
class TformCofrelInclui;
class TformCofrelLogin;

namespace cofrel::test {

// The data module and the two user windows over a fresh program folder,
// registered in forms() as start-up does, with every message answered.
class JanelasDeContas final {
public:
    JanelasDeContas();
    ~JanelasDeContas();
    JanelasDeContas(const JanelasDeContas &) = delete;
    JanelasDeContas &operator=(const JanelasDeContas &) = delete;

    TestFolder pasta;
    ScriptedInteraction interacao;
    TformCofrelInclui *inclui = nullptr;
    TformCofrelLogin *login = nullptr;
};

struct UsuarioGuardado {
    int numero = 0;
    QByteArray senha; // the stored, scrambled form
};

// The registry as stored, by name.
QMap<QString, UsuarioGuardado> registro();
// Replaces the stored password of \a nome by \a guardada.
void gravaSenhaGuardada(const QString &nome, const QByteArray &guardada);
// Removes \a nome from the registry behind the windows' back.
void apagaDoRegistro(const QString &nome);

// The data folder's file names, sorted.
QStringList arquivosDaPasta(const TestFolder &pasta);

// Runs \a acao as soon as \a janela is the active modal window. When that
// does not happen within a few seconds every modal window is closed, so
// the test ends instead of hanging, and \a falhou is set.
void quandoModal(QWidget *janela, std::function<void()> acao, bool *falhou = nullptr);

// Types into the new-user window's boxes as a person does and clicks OK.
void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha,
                       const QString &confirmacao);
void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha);

} // namespace cofrel::test
