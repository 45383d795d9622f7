#include "accounts/arquivos_usuario.h"

#include "data/upkeep.h"

#include "app/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <unistd.h>

namespace cofrel {

namespace {

// From the last dot on, letter case as listed ("fin.DB" gives ".DB").
QString extensao(const QString &nome)
{
    const qsizetype ponto = nome.lastIndexOf(u'.');
    return ponto < 0 ? QString() : nome.mid(ponto);
}

Error falhaGravacao(const QFile &arquivo)
{
    return Error(QStringLiteral("Não foi possível gravar o arquivo %1.").arg(arquivo.fileName()), arquivo.errorString());
}

// Makes the folder's entries (new or removed files) durable.
void sincronizaPasta(const QString &pasta)
{
    const int fd = ::open(QFile::encodeName(pasta).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

QString nomeDaMarca(MarcaDeTrabalho::Tipo tipo, int numero)
{
    const QString prefixo = tipo == MarcaDeTrabalho::Tipo::Inclusao ? QStringLiteral(".incluindo-")
                                                                      : QStringLiteral(".excluindo-");
    return prefixo + QString::number(numero);
}

} // namespace

QStringList arquivosDaMascara(const QString &pasta, const QString &mascara)
{
    // Without QDir::CaseSensitive the name filters ignore letter case.
    return QDir(pasta).entryList({mascara}, QDir::Files | QDir::Hidden, QDir::Name);
}

void copiaArquivo(const QString &origem, const QString &destino)
{
    QFile entrada(origem);
    if (!entrada.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("Não foi possível abrir o arquivo %1.").arg(origem), entrada.errorString());

    // Removed first and made anew, so the copy never inherits a wider
    // permission or follows a link left under that name.
    if (QFileInfo::exists(destino) || QFileInfo(destino).isSymLink())
        QFile::remove(destino);
    QFile saida(destino);
    if (!saida.open(QIODevice::WriteOnly | QIODevice::NewOnly, data::OwnerOnlyFile))
        throw Error(QStringLiteral("Não foi possível criar o arquivo %1.").arg(destino), saida.errorString());

    try {
        const qint64 tamanho = entrada.size();
        qint64 copiados = 0;
        while (copiados < tamanho) {
            const QByteArray bloco = entrada.read(qMin<qint64>(64 * 1024, tamanho - copiados));
            if (bloco.isEmpty())
                throw Error(QStringLiteral("Não foi possível ler o arquivo %1.").arg(origem), entrada.errorString());
            if (saida.write(bloco) != bloco.size())
                throw falhaGravacao(saida);
            copiados += bloco.size();
        }
        // On the disk before the registry row that points to it commits.
        if (!saida.flush() || ::fsync(saida.handle()) != 0)
            throw falhaGravacao(saida);
        saida.close();
        if (saida.error() != QFileDevice::NoError)
            throw falhaGravacao(saida);
    } catch (...) {
        // A half-written copy is worse than none.
        saida.close();
        QFile::remove(destino);
        throw;
    }
}

void apagaArquivosDaMascara(const QString &pasta, const QString &mascara) noexcept
{
    try {
        const QDir dir(pasta);
        for (const QString &nome : arquivosDaMascara(pasta, mascara))
            QFile::remove(dir.filePath(nome));
    } catch (...) {
        // Whatever stops the listing ends it quietly: the user is gone
        // from the registry already.
    }
}

MarcaDeTrabalho::MarcaDeTrabalho(const QString &pasta, Tipo tipo, int numero)
    : m_caminho(QDir(pasta).filePath(nomeDaMarca(tipo, numero)))
{
    QFile marca(m_caminho);
    if (!marca.open(QIODevice::WriteOnly | QIODevice::Truncate, data::OwnerOnlyFile) || !marca.flush()
        || ::fsync(marca.handle()) != 0)
        throw Error(QStringLiteral("Não foi possível gravar na pasta de dados %1.").arg(QDir::toNativeSeparators(pasta)),
                    marca.errorString());
    marca.close();
    sincronizaPasta(pasta);
}

MarcaDeTrabalho::~MarcaDeTrabalho()
{
    QFile::remove(m_caminho);
}

void concluiTrabalhosInterrompidos(const QString &pasta, const std::function<bool(int numero)> &registrado)
{
    static const QRegularExpression marca(QStringLiteral("^\\.(incluindo|excluindo)-([1-9][0-9]{0,8})$"));
    const QDir dir(pasta);
    const QStringList notas =
        dir.entryList({QStringLiteral(".incluindo-*"), QStringLiteral(".excluindo-*")}, QDir::Files | QDir::Hidden);
    for (const QString &nota : notas) {
        const QRegularExpressionMatch partes = marca.match(nota);
        if (!partes.hasMatch())
            continue;
        const int numero = partes.captured(2).toInt();
        if (!registrado(numero)) {
            apagaArquivosDaMascara(pasta, QStringLiteral("F%1.*").arg(numero));
            apagaArquivosDaMascara(pasta, QStringLiteral("D%1.*").arg(numero));
            sincronizaPasta(pasta);
        }
        QFile::remove(dir.filePath(nota));
    }
}

TabelasDoUsuario::TabelasDoUsuario(QString pasta, int numero)
    : m_pasta(std::move(pasta)), m_numero(numero)
{
}

TabelasDoUsuario::~TabelasDoUsuario()
{
    if (m_confirmadas)
        return;
    for (const QString &copia : std::as_const(m_copias))
        QFile::remove(copia);
}

void TabelasDoUsuario::copiaModelos()
{
    // Noted first: copies a crash leaves without their registry row are
    // removed at the next start.
    if (!m_marca)
        m_marca.emplace(m_pasta, MarcaDeTrabalho::Tipo::Inclusao, m_numero);
    copiaMascara(QStringLiteral("fin.*"), QStringLiteral("f"));
    copiaMascara(QStringLiteral("dfin.*"), QStringLiteral("d"));
    sincronizaPasta(m_pasta);
}

void TabelasDoUsuario::copiaMascara(const QString &mascara, const QString &prefixo)
{
    const QDir dir(m_pasta);
    for (const QString &modelo : arquivosDaMascara(m_pasta, mascara)) {
        const QString destino = dir.filePath(prefixo + QString::number(m_numero) + extensao(modelo));
        copiaArquivo(dir.filePath(modelo), destino);
        m_copias.append(destino);
    }
}

} // namespace cofrel
