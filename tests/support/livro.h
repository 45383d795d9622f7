#pragma once

#include "app/clock.h"
#include "support/linhas.h"
#include "support/locale_scope.h"
#include "support/modal.h"
#include "support/pessoa.h"
#include "support/scripted_interaction.h"
#include "support/test_folder.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLineEdit;
class QWidget;
class TDados;
class TformCofrelInclui;
class TformCofrelLogin;
class TformCofrelMain;
class TformIncluiMes;
class TformIncluirValor;
class TformPlanejamento;

namespace cofrel::test {

// A fresh program folder with the data module and the entry dialog made in
// start-up order and recorded in forms(), every question answered by the
// scripted interaction, and the windows a test asks for. Everything goes
// again on destruction.
class Livro final {
public:
    enum Janelas {
        SoDialogo = 0,
        Principal = 1,    // the main window
        Planejamento = 2, // the planning window and its dialog
        Contas = 4,       // the new-user and login windows
    };
    // \a hoje is fixed for the fixture's lifetime (the machine's clock when
    // null); \a usuario is logged in (nobody when empty).
    explicit Livro(const QDate &hoje = {}, int janelas = SoDialogo, const QString &usuario = QStringLiteral("Ana"));
    ~Livro();
    Livro(const Livro &) = delete;
    Livro &operator=(const Livro &) = delete;

    std::optional<clock::FixedNow> relogio;
    TestFolder pasta;
    ScriptedInteraction interacao;
    TformCofrelMain *janela = nullptr;
    TDados *dados = nullptr;
    TformIncluirValor *dialogo = nullptr;
    TformPlanejamento *planejamento = nullptr;
    TformIncluiMes *incluiMes = nullptr;
    TformCofrelInclui *inclui = nullptr;
    TformCofrelLogin *login = nullptr;
    int usuario = 0;

    // Straight into the user's ledger or plan through components of their
    // own, as another session would have left them; a list goes in one
    // transaction.
    qint64 insere(const Lancamento &linha);
    void insere(const QList<Lancamento> &linhas);
    qint64 planeja(const Lancamento &linha);
    qint64 insere(const QDate &data, const QString &descricao, int categoria, double valor)
    {
        return insere(Lancamento{0, data, descricao, categoria, valor});
    }
    qint64 planeja(int dia, const QDate &data, const QString &descricao, int categoria, double valor)
    {
        return planeja(Lancamento{0, data, descricao, categoria, valor, dia});
    }
    // The user's ledger and plan, in order of identity.
    QList<Lancamento> lancamentos() const;
    QList<Lancamento> plano() const;

    QString arquivoFin() const;   // path of the user's ledger file
    QString arquivoPlano() const; // path of the user's plan file
};

// Two transactions in the statement (08 and 09/03/2025) and a planned
// entry due on 20/03/2025, written behind the windows' back: something to
// show in every window of a book fixed on 10/03/2025, nothing due.
void insereLinhasDeAmostra(const Livro &livro);

// Picks item \a index of a combo with the arrow keys, as a person does.
void escolhe(QComboBox *combo, int index);
// Replaces the text of \a edit as a person does: select all, delete, type.
void reescreve(QLineEdit *edit, const QString &text);

// Makes every write to the internal table \a internalTable of the file
// \a path fail with an engine error (a trigger in the file itself), until
// liberaEscrita() removes it.
void impedeEscrita(const QString &path, const QString &internalTable);
void liberaEscrita(const QString &path, const QString &internalTable);

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

// Types into the new-user window's boxes as a person does and clicks OK.
void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha,
                       const QString &confirmacao);
inline void preencheEConfirma(TformCofrelInclui *janela, const QString &nome, const QString &senha)
{
    preencheEConfirma(janela, nome, senha, senha);
}

} // namespace cofrel::test
