#pragma once

#include <QByteArray>
#include <QDate>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <random>
#include <vector>

class TDados;

namespace cofrel::crashwriter {

class InteracaoDoEscritor;

// The program's own write operations, run the way its windows run them
// (the entry dialog's OK, the new-user window's OK, the login window's
// delete, the due-entry check with its dialog), one after another, each
// announced before it starts and acknowledged once it has returned.
class Escritor final {
public:
    // \a pastaPrograma: AppDir, holding dados/.
    Escritor(const QString &pastaPrograma, quint64 semente);
    ~Escritor();
    Escritor(const Escritor &) = delete;
    Escritor &operator=(const Escritor &) = delete;

    // Chooses and runs one operation; throws cofrel::Error when one fails.
    void umaOperacaoAoAcaso();

    // The first user's first due planned entry, booked with OK; the steps
    // of that save are counted and, with \a morreNoPasso > 0, the process
    // dies before that step. Returns the steps counted.
    int reservaVencidoContando(int morreNoPasso);

    // The bank's statement \a arquivo imported into the first user's book
    // with every line the review ticks, counted and killed the same way.
    int importaExtratoContando(const QString &arquivo, int morreNoPasso);

private:
    struct Usuario {
        QString nome;
        QByteArray senha;
        int numero = 0;
    };
    struct Linha {
        qint64 id = 0;
        int dia = 0;
        QDate data;
        int categoria = 0;
        QString descricao;
        qint64 centavos = 0;
    };

    std::vector<Usuario> leUsuarios();
    void entraComo(const Usuario &usuario);
    std::vector<Linha> leLancamentos();
    std::vector<Linha> lePlano();
    std::vector<Linha> leVencidos(const QDate &hoje);

    void incluiUsuario();
    void apagaUsuario(const Usuario &usuario);
    void incluiLancamento(const Usuario &usuario);
    void alteraLancamento(const Usuario &usuario, const Linha &linha);
    void apagaLancamento(const Usuario &usuario, const Linha &linha);
    void incluiPlanejado(const Usuario &usuario);
    void reservaVencidos(const Usuario &usuario, const std::vector<Linha> &plano);

    void preencheDialogoValor(const QDate &data, int categoria, const QString &descricao, qint64 centavos);
    void confirmaSemErros(const QString &operacao);

    int sorteia(int de, int ate);
    QDate dataAoAcaso();
    qint64 centavosAoAcaso();
    QString descricaoAoAcaso();
    QString nomeAoAcaso();
    QByteArray senhaAoAcaso();

    std::unique_ptr<InteracaoDoEscritor> m_interacao;
    std::mt19937_64 m_sorte;
};

// Writes one protocol line to standard output at once.
void emite(char tipo, const QJsonObject &objeto);
void emiteTexto(const QString &texto);

} // namespace cofrel::crashwriter
