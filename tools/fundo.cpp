#include "fundo.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace cofrel::tools {

namespace {

constexpr int Largura = 500;
constexpr int Altura = 432;
constexpr int AlturaFaixa = 92;

void pintaPapel(QPainter &p)
{
    QLinearGradient papel(0, AlturaFaixa, 0, Altura);
    papel.setColorAt(0.0, QColor(0xF7, 0xF3, 0xE8));
    papel.setColorAt(1.0, QColor(0xEA, 0xE4, 0xD3));
    p.fillRect(0, AlturaFaixa, Largura, Altura - AlturaFaixa, papel);

    // Very faint ledger lines: a hint of an account book, never louder than
    // the labels drawn over them.
    p.setPen(QPen(QColor(0xDD, 0xD6, 0xC2), 1));
    for (int y = AlturaFaixa + 24; y < Altura; y += 24)
        p.drawLine(0, y, Largura, y);
}

void pintaFaixa(QPainter &p)
{
    QLinearGradient faixa(0, 0, Largura, AlturaFaixa);
    faixa.setColorAt(0.0, QColor(0x14, 0x2B, 0x4A));
    faixa.setColorAt(1.0, QColor(0x1F, 0x4E, 0x6B));
    p.fillRect(0, 0, Largura, AlturaFaixa, faixa);
    p.fillRect(0, AlturaFaixa - 3, Largura, 3, QColor(0xC9, 0xA2, 0x3F));
}

void pintaMoeda(QPainter &p, QPointF centro, qreal raio)
{
    QRadialGradient ouro(centro - QPointF(raio / 3, raio / 3), raio * 1.4);
    ouro.setColorAt(0.0, QColor(0xFF, 0xE8, 0x9A));
    ouro.setColorAt(0.6, QColor(0xDB, 0xB1, 0x4A));
    ouro.setColorAt(1.0, QColor(0x9C, 0x74, 0x1C));
    p.setPen(QPen(QColor(0x7A, 0x5A, 0x12), 1.5));
    p.setBrush(ouro);
    p.drawEllipse(centro, raio, raio);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xF8, 0xE3, 0x9B, 180), 1.2));
    p.drawEllipse(centro, raio * 0.78, raio * 0.78);

    QFont cifrao(QStringLiteral("Liberation Serif"));
    cifrao.setPixelSize(int(raio * 1.15));
    cifrao.setBold(true);
    p.setFont(cifrao);
    p.setPen(QColor(0x6B, 0x4C, 0x0C));
    p.drawText(QRectF(centro.x() - raio, centro.y() - raio, 2 * raio, 2 * raio), Qt::AlignCenter,
               QStringLiteral("$"));
}

void pintaNome(QPainter &p)
{
    QFont nome(QStringLiteral("Liberation Serif"));
    nome.setPixelSize(40);
    nome.setBold(true);
    nome.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(nome);
    p.setPen(QColor(0xFB, 0xF7, 0xEC));
    p.drawText(QRect(96, 10, 300, 48), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Cofrel"));

    QFont lema(QStringLiteral("Liberation Sans"));
    lema.setPixelSize(12);
    lema.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    p.setFont(lema);
    p.setPen(QColor(0xC9, 0xD8, 0xE4));
    p.drawText(QRect(98, 56, 380, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Finanças pessoais em ordem"));
}

} // namespace

QImage desenhaFundo()
{
    QImage image(Largura, Altura, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    pintaPapel(p);
    pintaFaixa(p);
    pintaMoeda(p, QPointF(52, 44), 28);
    pintaNome(p);
    p.end();
    return image;
}

} // namespace cofrel::tools
