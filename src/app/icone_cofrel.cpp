#include "app/icone_cofrel.h"

#include <QIconEngine>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QRadialGradient>

namespace cofrel {

namespace {

// The drawing's own square; every figure below is in these units.
constexpr qreal Lado = 256;

void pintaPorta(QPainter &p)
{
    QLinearGradient aco(16, 16, 240, 240);
    aco.setColorAt(0.0, QColor(0x26, 0x5C, 0x80));
    aco.setColorAt(1.0, QColor(0x14, 0x2B, 0x4A));
    p.setPen(Qt::NoPen);
    p.setBrush(aco);
    p.drawRoundedRect(QRectF(16, 16, 224, 224), 44, 44);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xC9, 0xA2, 0x3F), 7));
    p.drawRoundedRect(QRectF(38, 38, 180, 180), 28, 28);
}

void pintaMoeda(QPainter &p)
{
    const QPointF centro(128, 128);
    QRadialGradient ouro(centro - QPointF(24, 24), 96);
    ouro.setColorAt(0.0, QColor(0xFF, 0xE8, 0x9A));
    ouro.setColorAt(0.6, QColor(0xDB, 0xB1, 0x4A));
    ouro.setColorAt(1.0, QColor(0x9C, 0x74, 0x1C));
    p.setPen(QPen(QColor(0x7A, 0x5A, 0x12), 5));
    p.setBrush(ouro);
    p.drawEllipse(centro, 66, 66);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xF8, 0xE3, 0x9B), 4));
    p.drawEllipse(centro, 52, 52);
}

void pintaFechadura(QPainter &p)
{
    QPainterPath buraco;
    buraco.addEllipse(QPointF(128, 112), 16, 16);
    QPainterPath haste;
    haste.moveTo(121, 118);
    haste.lineTo(135, 118);
    haste.lineTo(141, 158);
    haste.lineTo(115, 158);
    haste.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x14, 0x2B, 0x4A));
    p.drawPath(buraco.united(haste));
}

// Draws on demand and keeps each size drawn: the desktop asks for a few
// sizes each time a window appears.
class MotorIcone final : public QIconEngine {
public:
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        desenhaIcone(*painter, QRectF(rect));
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        const QString chave = QStringLiteral("cofrel-icone:%1x%2").arg(size.width()).arg(size.height());
        QPixmap pronto;
        if (QPixmapCache::find(chave, &pronto))
            return pronto;
        QImage imagem(size, QImage::Format_ARGB32_Premultiplied);
        imagem.fill(Qt::transparent);
        QPainter p(&imagem);
        desenhaIcone(p, QRectF(QPointF(0, 0), QSizeF(size)));
        p.end();
        pronto = QPixmap::fromImage(std::move(imagem));
        QPixmapCache::insert(chave, pronto);
        return pronto;
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {QSize(16, 16), QSize(32, 32), QSize(48, 48), QSize(64, 64), QSize(128, 128)};
    }

    QIconEngine *clone() const override { return new MotorIcone; }
    QString key() const override { return QStringLiteral("cofrel"); }
};

} // namespace

void desenhaIcone(QPainter &painter, const QRectF &area)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(area.topLeft());
    painter.scale(area.width() / Lado, area.height() / Lado);
    pintaPorta(painter);
    pintaMoeda(painter);
    pintaFechadura(painter);
    painter.restore();
}

QIcon iconeCofrel()
{
    return QIcon(new MotorIcone);
}

} // namespace cofrel
