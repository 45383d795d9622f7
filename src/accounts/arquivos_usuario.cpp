#include "accounts/arquivos_usuario.h"

#include "app/errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace cofrel {

namespace {

constexpr QFileDevice::Permissions SoDoDono = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// From the last dot on, letter case as listed ("fin.DB" gives ".DB").
QString extensao(const QString &nome)
{
    const qsizetype ponto = nome.lastIndexOf(u'.');
    return ponto < 0 ? QString() : nome.mid(ponto);
}

QString falhaGravacao(const QFile &arquivo)
{
    return QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(arquivo.fileName(), arquivo.errorString());
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
        throw Error(QStringLiteral("Não foi possível abrir o arquivo %1: %2").arg(origem, entrada.errorString()));

    // Removed first and made anew, so the copy never inherits a wider
    // permission or follows a link left under that name.
    if (QFileInfo::exists(destino) || QFileInfo(destino).isSymLink())
        QFile::remove(destino);
    QFile saida(destino);
    if (!saida.open(QIODevice::WriteOnly | QIODevice::NewOnly, SoDoDono))
        throw Error(QStringLiteral("Não foi possível criar o arquivo %1: %2").arg(destino, saida.errorString()));

    try {
        const qint64 tamanho = entrada.size();
        qint64 copiados = 0;
        while (copiados < tamanho) {
            const QByteArray bloco = entrada.read(qMin<qint64>(64 * 1024, tamanho - copiados));
            if (bloco.isEmpty())
                throw Error(QStringLiteral("Não foi possível ler o arquivo %1: %2").arg(origem, entrada.errorString()));
            if (saida.write(bloco) != bloco.size())
                throw Error(falhaGravacao(saida));
            copiados += bloco.size();
        }
        if (!saida.flush())
            throw Error(falhaGravacao(saida));
        saida.close();
        if (saida.error() != QFileDevice::NoError)
            throw Error(falhaGravacao(saida));
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
    copiaMascara(QStringLiteral("fin.*"), QStringLiteral("f"));
    copiaMascara(QStringLiteral("dfin.*"), QStringLiteral("d"));
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
