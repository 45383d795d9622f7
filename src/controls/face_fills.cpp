#include "controls/face_fills.h"

#include <QImage>
#include <QPainter>

#include <cmath>

namespace cofrel {

qint64 MulDivTrunc(qint64 a, qint64 b, qint64 c)
{
    if (c == 0)
        return 0;
    return (a * b) / c; // C++ division truncates toward zero
}

namespace {

int redOf(TColor c) { return int(c & 0xFF); }
int greenOf(TColor c) { return int((c >> 8) & 0xFF); }
int blueOf(TColor c) { return int((c >> 16) & 0xFF); }

int step(int begin, int end, int i, int n)
{
    return int(begin + MulDivTrunc(i, end - begin, n)) & 0xFF;
}

// Fills (left, top, right, bottom), right and bottom exclusive; an inverted
// or empty rectangle covers nothing.
void fillBand(QPainter &canvas, int left, int top, int right, int bottom, const QColor &colour)
{
    if (right <= left || bottom <= top)
        return;
    canvas.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

QColor opaque(QColor colour)
{
    colour.setAlpha(255);
    return colour;
}

QColor bandColour(int i, int n, TColor beginColor, TColor endColor)
{
    return QColor(rawRgb(BandColor(i, n, beginColor, endColor)));
}

QColor fillHorizontal(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    QColor colour;
    for (int i = 0; i <= 255; ++i) {
        colour = bandColour(i, 255, b, e);
        fillBand(canvas, int(MulDivTrunc(i, W, 256)), 0, int(MulDivTrunc(i + 1, W, 256)), H, colour);
    }
    return colour;
}

QColor fillVertical(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    QColor colour;
    for (int i = 0; i <= 255; ++i) {
        colour = bandColour(i, 255, b, e);
        fillBand(canvas, 0, int(MulDivTrunc(i, H, 256)), W, int(MulDivTrunc(i + 1, H, 256)), colour);
    }
    return colour;
}

// Beyond this the squared products overflow 64 bits; no QImage is that big.
constexpr qint64 kLargestExactBox = qint64(1) << 31;

qint64 floorHalf(qint64 a) { return a >= 0 ? a / 2 : -((1 - a) / 2); }
qint64 ceilHalf(qint64 a) { return -floorHalf(-a); }

qint64 isqrt(qint64 n)
{
    auto root = qint64(std::sqrt(double(n)));
    while (root * root > n)
        --root;
    while ((root + 1) * (root + 1) <= n)
        ++root;
    return root;
}

// The ellipse inscribed in (left, top, right, bottom): a pixel is inside
// when its centre is, u²h² + v²w² <= w²h² with u, v the doubled distances
// from the box centre. Exact integer rows, always inside the box, and a
// box one pixel across still fills its pixel.
void fillEllipse(QPainter &canvas, int W, int H, int left, int top, int right, int bottom,
                 const QColor &colour)
{
    const qint64 w = right - left;
    const qint64 h = bottom - top;
    if (w * h > kLargestExactBox) {
        canvas.setBrush(colour);
        canvas.drawEllipse(QRectF(left, top, w, h));
        return;
    }
    const qint64 area2 = w * w * h * h;
    const qint64 centreX2 = qint64(left) + right - 1;
    for (int y = qMax(top, 0); y < qMin(bottom, H); ++y) {
        const qint64 v = 2 * qint64(y) + 1 - (qint64(top) + bottom);
        const qint64 room = area2 - v * v * w * w;
        if (room < 0)
            continue;
        const qint64 uMax = isqrt(room / (h * h));
        const qint64 x0 = qMax<qint64>(ceilHalf(centreX2 - uMax), qMax(left, 0));
        const qint64 x1 = qMin<qint64>(floorHalf(centreX2 + uMax), qMin(right, W) - 1);
        fillBand(canvas, int(x0), y, int(x1) + 1, y + 1, colour);
    }
}

QColor fillElliptic(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    canvas.setPen(Qt::NoPen);
    // The outer box reaches a third beyond every edge so that the first
    // ellipse covers the corners too; on tiny faces the boxes get no
    // margin, and what the first ellipse misses keeps its colour.
    fillBand(canvas, 0, 0, W, H, bandColour(0, 50, b, e));
    const int left0 = W / -3;
    const int top0 = H / -3;
    const int right0 = W + W / 3;
    const int bottom0 = H + H / 3;
    const int spanX = right0 - left0;
    const int spanY = bottom0 - top0;
    QColor colour;
    for (int i = 0; i <= 50; ++i) {
        colour = bandColour(i, 50, b, e);
        const int dx = (spanX * i) / 100;
        const int dy = (spanY * i) / 100;
        const int left = left0 + dx;
        const int top = top0 + dy;
        const int right = right0 - dx;
        const int bottom = bottom0 - dy;
        if (right <= left || bottom <= top)
            continue;
        fillEllipse(canvas, W, H, left, top, right, bottom, colour);
    }
    return colour;
}

QColor fillRectangle(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    canvas.setPen(Qt::NoPen);
    // Only a face 510 or more across leaves pixels outside the first
    // rectangle; they keep the begin colour of the border.
    fillBand(canvas, 0, 0, W, H, bandColour(0, 255, b, e));
    double left = 0;
    double top = 0;
    double right = W + 2;
    double bottom = H + 2;
    const double stepX = W / 2.0 / 255.0;
    const double stepY = H / 2.0 / 255.0;
    QColor colour;
    for (int i = 0; i <= 255; ++i) {
        left += stepX;
        right -= stepX;
        top += stepY;
        bottom -= stepY;
        colour = bandColour(i, 255, b, e);
        fillBand(canvas, int(std::trunc(left)), int(std::trunc(top)), int(std::trunc(right)),
                 int(std::trunc(bottom)), colour);
    }
    return colour;
}

QColor fillVertCenter(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    // Half-size 0 (H = 1): the forward band is empty and the reflected one
    // paints the single row in BandColor(0, 0), the end colour.
    const int half = H / 2;
    QColor colour;
    for (int i = 0; i <= half; ++i) {
        colour = bandColour(i, half, b, e);
        fillBand(canvas, 0, int(MulDivTrunc(i, half, half)), W, int(MulDivTrunc(i + 1, half, half)),
                 colour);
        fillBand(canvas, 0, H - (i + 1), W, H - i, colour);
    }
    return colour;
}

QColor fillHorizCenter(QPainter &canvas, int W, int H, TColor b, TColor e)
{
    const int half = W / 2;
    QColor colour;
    for (int i = 0; i <= half; ++i) {
        colour = bandColour(i, half, b, e);
        fillBand(canvas, int(MulDivTrunc(i, half, half)), 0, int(MulDivTrunc(i + 1, half, half)), H,
                 colour);
        fillBand(canvas, W - (i + 1), 0, W - i, H, colour);
    }
    return colour;
}

} // namespace

TColor BandColor(int i, int n, TColor beginColor, TColor endColor)
{
    if (n == 0)
        return endColor & 0x00FFFFFF;
    return fromRgb(step(redOf(beginColor), redOf(endColor), i, n),
                   step(greenOf(beginColor), greenOf(endColor), i, n),
                   step(blueOf(beginColor), blueOf(endColor), i, n));
}

void FillFace(QPainter &canvas, int W, int H, TGradientStyle style, TColor beginColor,
              TColor endColor)
{
    if (W <= 0 || H <= 0)
        return;
    canvas.setRenderHint(QPainter::Antialiasing, false);
    const QPainter::CompositionMode mode = canvas.compositionMode();
    canvas.setCompositionMode(QPainter::CompositionMode_Source);
    QColor last;
    switch (style) {
    case gsHorizontal:
        last = fillHorizontal(canvas, W, H, beginColor, endColor);
        break;
    case gsVertical:
        last = fillVertical(canvas, W, H, beginColor, endColor);
        break;
    case gsElliptic:
        last = fillElliptic(canvas, W, H, beginColor, endColor);
        break;
    case gsRectangle:
        last = fillRectangle(canvas, W, H, beginColor, endColor);
        break;
    case gsVertCenter:
        last = fillVertCenter(canvas, W, H, beginColor, endColor);
        break;
    case gsHorizCenter:
        last = fillHorizCenter(canvas, W, H, beginColor, endColor);
        break;
    case gsNone:
    default:
        last = opaque(toQColor(beginColor));
        fillBand(canvas, 0, 0, W, H, last);
        break;
    }
    canvas.setCompositionMode(mode);
    canvas.setPen(Qt::SolidLine);
    canvas.setBrush(last);
}

void FillFace(QImage &image, TGradientStyle style, TColor beginColor, TColor endColor)
{
    if (image.isNull())
        return;
    QPainter canvas(&image);
    FillFace(canvas, image.width(), image.height(), style, beginColor, endColor);
}

} // namespace cofrel
