#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// The files of the data folder that belong to one user: copies of the
// templates made when the user is created, removed when the user is deleted.
namespace cofrel {

// The names of the files in \a pasta that match the wildcard \a mascara,
// letter case ignored ("F1.*" finds "f1.DB" but never "f10.DB"), in name
// order.
QStringList arquivosDaMascara(const QString &pasta, const QString &mascara);

// Copies \a origem byte for byte into a new \a destino readable and
// writable by its owner only; a file already there is replaced. Throws
// cofrel::Error naming the file that failed.
void copiaArquivo(const QString &origem, const QString &destino);

// Deletes every file of \a pasta matching \a mascara; a file that cannot
// be deleted is skipped without a word, and nothing is ever thrown.
void apagaArquivosDaMascara(const QString &pasta, const QString &mascara) noexcept;

// A note in the data folder that user N's files are being made or removed
// (".incluindo-N", ".excluindo-N"). It is written before the work starts and
// removed when the object goes, so only a run cut short leaves one behind;
// concluiTrabalhosInterrompidos finishes that work at the next start.
class MarcaDeTrabalho final {
public:
    enum class Tipo { Inclusao, Exclusao };
    // Throws cofrel::Error naming the folder when the note cannot be written.
    MarcaDeTrabalho(const QString &pasta, Tipo tipo, int numero);
    ~MarcaDeTrabalho();
    MarcaDeTrabalho(const MarcaDeTrabalho &) = delete;
    MarcaDeTrabalho &operator=(const MarcaDeTrabalho &) = delete;

private:
    QString m_caminho;
};

// For every note left in \a pasta by a run cut short: a user the registry
// no longer holds (\a registrado false) loses the files that remain (a
// creation never committed, a deletion committed before its files went); a
// user it holds keeps them. The notes go either way. Never throws for the
// files; \a registrado may throw.
void concluiTrabalhosInterrompidos(const QString &pasta, const std::function<bool(int numero)> &registrado);

// Makes user N's tables from the templates: every "fin.*" copied to
// "f" + N and every "dfin.*" to "d" + N, each keeping its extension. Unless
// confirmed, the copies made are removed again when the object goes, so a
// failure half-way leaves nothing behind.
class TabelasDoUsuario final {
public:
    TabelasDoUsuario(QString pasta, int numero);
    ~TabelasDoUsuario();
    TabelasDoUsuario(const TabelasDoUsuario &) = delete;
    TabelasDoUsuario &operator=(const TabelasDoUsuario &) = delete;

    void copiaModelos();
    void confirma() { m_confirmadas = true; }

private:
    void copiaMascara(const QString &mascara, const QString &prefixo);

    QString m_pasta;
    int m_numero;
    std::optional<MarcaDeTrabalho> m_marca; // goes after the copies are removed
    QStringList m_copias;
    bool m_confirmadas = false;
};

} // namespace cofrel
