// Writes the program's icon for the desktop's icon theme: an SVG and the
// usual PNG sizes, in <pasta>/hicolor/<tamanho>/apps/cofrel.{svg,png}.
#include "app/icone_cofrel.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <QTextStream>

#include <stdexcept>

namespace {

constexpr int TamanhosPng[] = {16, 22, 24, 32, 48, 64, 128, 256};

QString pastaDoTamanho(const QDir &tema, const QString &tamanho)
{
    const QString pasta = tema.filePath(QStringLiteral("hicolor/%1/apps").arg(tamanho));
    if (!QDir().mkpath(pasta))
        throw std::runtime_error(pasta.toStdString());
    return pasta;
}

void escreveSvg(const QDir &tema)
{
    const QString arquivo = pastaDoTamanho(tema, QStringLiteral("scalable")) + QStringLiteral("/cofrel.svg");
    QSvgGenerator svg;
    svg.setFileName(arquivo);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRectF(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Cofrel"));
    QPainter p;
    if (!p.begin(&svg))
        throw std::runtime_error(arquivo.toStdString());
    cofrel::desenhaIcone(p, QRectF(0, 0, 256, 256));
    p.end();
}

void escrevePng(const QDir &tema, int lado)
{
    const QString arquivo =
        pastaDoTamanho(tema, QStringLiteral("%1x%1").arg(lado)) + QStringLiteral("/cofrel.png");
    QImage imagem(lado, lado, QImage::Format_ARGB32_Premultiplied);
    imagem.fill(Qt::transparent);
    QPainter p(&imagem);
    cofrel::desenhaIcone(p, QRectF(0, 0, lado, lado));
    p.end();
    if (!imagem.save(arquivo, "PNG"))
        throw std::runtime_error(arquivo.toStdString());
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "uso: cofrel_make_icons <pasta do tema de ícones>\n";
        return 2;
    }
    try {
        const QDir tema(args.at(1));
        escreveSvg(tema);
        for (int lado : TamanhosPng)
            escrevePng(tema, lado);
    } catch (const std::exception &e) {
        QTextStream(stderr) << "cofrel_make_icons: falhou: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
