// The seven face fills, pixel by pixel on images of button sizes.

#include "controls/cores.h"
#include "controls/face_fills.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QSet>
#include <QTest>

using namespace cofrel;

Q_DECLARE_METATYPE(TGradientStyle)

namespace {

// A colour no fill of these tests produces: left over where nothing painted.
constexpr QRgb kSentinel = 0xFFFF00FF;

QImage face(int w, int h, TGradientStyle style, TColor beginColor, TColor endColor)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(kSentinel);
    FillFace(image, style, beginColor, endColor);
    return image;
}

QRgb rgbOf(TColor colour) { return rawRgb(colour) | 0xFF000000u; }
QRgb band(int i, int n, TColor b, TColor e) { return rgbOf(BandColor(i, n, b, e)); }

int red(QRgb pixel) { return qRed(pixel); }

// The stripe i of 256 that covers column (or row) x of a face `size` wide:
// the largest i with i·size/256 ≤ x, i.e. ceil((x + 1)·256 / size) − 1.
int stripeOf(int x, int size) { return ((x + 1) * 256 + size - 1) / size - 1; }

} // namespace

class TestFaceFills final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mulDivTruncates_data()
    {
        QTest::addColumn<qint64>("a");
        QTest::addColumn<qint64>("b");
        QTest::addColumn<qint64>("c");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("not rounded up") << qint64(1) << qint64(75) << qint64(256) << qint64(0);
        QTest::newRow("74 not 75") << qint64(255) << qint64(75) << qint64(256) << qint64(74);
        QTest::newRow("stripe 3 ends at 1") << qint64(4) << qint64(75) << qint64(256) << qint64(1);
        QTest::newRow("negative toward zero") << qint64(1) << qint64(-255) << qint64(50) << qint64(-5);
        QTest::newRow("-7 / 2") << qint64(-7) << qint64(1) << qint64(2) << qint64(-3);
        QTest::newRow("negative divisor") << qint64(7) << qint64(1) << qint64(-2) << qint64(-3);
        QTest::newRow("product beyond 32 bits") << qint64(100000) << qint64(100000) << qint64(1000)
                                                << qint64(10000000);
        QTest::newRow("zero divisor does not fail") << qint64(5) << qint64(7) << qint64(0) << qint64(0);
    }

    void mulDivTruncates()
    {
        QFETCH(qint64, a);
        QFETCH(qint64, b);
        QFETCH(qint64, c);
        QFETCH(qint64, expected);
        QCOMPARE(MulDivTrunc(a, b, c), expected);
    }

    void bandColorEnds_data()
    {
        QTest::addColumn<TColor>("beginColor");
        QTest::addColumn<TColor>("endColor");
        QTest::addColumn<int>("steps");
        QTest::newRow("navy to aqua, 255") << clNavy << clAqua << 255;
        QTest::newRow("yellow to red, 50") << clYellow << clRed << 50;
        QTest::newRow("pale yellow to navy, 11") << CorBotao << clNavy << 11;
        QTest::newRow("white to black, 1") << clWhite << clBlack << 1;
        QTest::newRow("odd bytes, 7") << TColor(0x00123456) << TColor(0x00FEDCBA) << 7;
    }

    void bandColorEnds()
    {
        QFETCH(TColor, beginColor);
        QFETCH(TColor, endColor);
        QFETCH(int, steps);
        QCOMPARE(BandColor(0, steps, beginColor, endColor), beginColor);
        QCOMPARE(BandColor(steps, steps, beginColor, endColor), endColor);
    }

    void bandColorStaysBetween()
    {
        const TColor b = 0x0010F080;
        const TColor e = 0x00F01080;
        for (int i = 0; i <= 50; ++i) {
            const QRgb c = band(i, 50, b, e);
            QCOMPARE(qRed(c), 0x80);
            QVERIFY(qGreen(c) >= 0x10 && qGreen(c) <= 0xF0);
            QVERIFY(qBlue(c) >= 0x10 && qBlue(c) <= 0xF0);
        }
        // Truncation toward zero on a falling delta: 255 + (−255 ÷ 50) = 250.
        QCOMPARE(qRed(band(1, 50, clRed, clBlack)), 250);
        // And on a rising one: 0 + 255 ÷ 50 = 5.
        QCOMPARE(qRed(band(1, 50, clBlack, clRed)), 5);
    }

    void fallingComponentsStepOneByOne()
    {
        // 256 rows: every stripe of gsVertical covers exactly one row.
        const QImage image = face(3, 256, gsVertical, clRed, clBlack);
        for (int y = 0; y < 256; ++y) {
            QCOMPARE(red(image.pixel(1, y)), 255 - y);
            QCOMPARE(qGreen(image.pixel(1, y)), 0);
        }
    }

    void horizontalCoversEveryColumnOnce()
    {
        // Red rises by one per stripe, so a column's red names its stripe.
        const QImage image = face(75, 25, gsHorizontal, clBlack, clRed);
        for (int x = 0; x < 75; ++x) {
            const int stripe = stripeOf(x, 75);
            for (int y = 0; y < 25; ++y)
                QCOMPARE(red(image.pixel(x, y)), stripe);
        }
        QCOMPARE(red(image.pixel(0, 0)), 3);    // stripes 0 to 2 cover nothing
        QCOMPARE(red(image.pixel(74, 24)), 255); // the last stripe, end colour
        QVERIFY(red(image.pixel(1, 0)) > 3);
    }

    void verticalCoversEveryRowOnce()
    {
        const QImage image = face(40, 23, gsVertical, clBlack, clRed);
        for (int y = 0; y < 23; ++y) {
            const int stripe = stripeOf(y, 23);
            for (int x = 0; x < 40; ++x)
                QCOMPARE(red(image.pixel(x, y)), stripe);
        }
        QCOMPARE(red(image.pixel(0, 22)), 255);
    }

    void vertCenterRowsOn23()
    {
        const TColor b = clYellow;
        const TColor e = clNavy;
        const QImage image = face(75, 23, gsVertCenter, b, e);
        QCOMPARE(image.pixel(5, 0), rgbOf(b));
        QCOMPARE(image.pixel(5, 22), rgbOf(b));
        QCOMPARE(image.pixel(5, 11), rgbOf(e));
        for (int i = 0; i <= 11; ++i) {
            for (int x : {0, 37, 74}) {
                QCOMPARE(image.pixel(x, i), band(i, 11, b, e));
                QCOMPARE(image.pixel(x, 22 - i), band(i, 11, b, e));
            }
        }
    }

    void vertCenterEvenHeightEndsOnBothMiddleRows()
    {
        const QImage image = face(10, 24, gsVertCenter, clWhite, clGreen);
        QCOMPARE(image.pixel(3, 11), rgbOf(clGreen));
        QCOMPARE(image.pixel(3, 12), rgbOf(clGreen));
        QCOMPARE(image.pixel(3, 10), band(10, 12, clWhite, clGreen));
        QCOMPARE(image.pixel(3, 13), band(10, 12, clWhite, clGreen));
        QCOMPARE(image.pixel(3, 0), rgbOf(clWhite));
        QCOMPARE(image.pixel(3, 23), rgbOf(clWhite));
    }

    void horizCenterColumns()
    {
        const TColor b = clBlack;
        const TColor e = clLime;
        const QImage image = face(75, 25, gsHorizCenter, b, e);
        for (int i = 0; i <= 37; ++i) {
            QCOMPARE(image.pixel(i, 12), band(i, 37, b, e));
            QCOMPARE(image.pixel(74 - i, 3), band(i, 37, b, e));
        }
        QCOMPARE(image.pixel(0, 0), rgbOf(b));
        QCOMPARE(image.pixel(74, 24), rgbOf(b));
        QCOMPARE(image.pixel(37, 24), rgbOf(e));
    }

    void rectangleInnermostAndBorder()
    {
        const TColor b = clBlack;
        const TColor e = clWhite;
        const QImage image = face(75, 25, gsRectangle, b, e);
        // The innermost rectangle (37, 12, 39, 14) in the end colour.
        for (int x : {37, 38})
            for (int y : {12, 13})
                QCOMPARE(image.pixel(x, y), rgbOf(e));
        QVERIFY(image.pixel(36, 12) != rgbOf(e));
        QVERIFY(image.pixel(39, 12) != rgbOf(e));
        QVERIFY(image.pixel(37, 11) != rgbOf(e));
        QVERIFY(image.pixel(37, 14) != rgbOf(e));
        // Rectangle i spans trunc((i + 1)·75/510) to trunc(77 − (i + 1)·75/510)
        // across and trunc((i + 1)·25/510) to trunc(27 − (i + 1)·25/510) down:
        // column 0 is covered up to step 5, column 74 up to step 12, row 0 up
        // to step 19 and row 24 up to step 39.
        QCOMPARE(image.pixel(0, 0), band(5, 255, b, e));
        QCOMPARE(image.pixel(0, 12), band(5, 255, b, e));
        QCOMPARE(image.pixel(74, 24), band(12, 255, b, e));
        QCOMPARE(image.pixel(37, 0), band(19, 255, b, e));
        QCOMPARE(image.pixel(37, 24), band(39, 255, b, e));
        // Rings grow brighter inward along the middle row.
        for (int x = 1; x <= 37; ++x)
            QVERIFY(red(image.pixel(x, 12)) >= red(image.pixel(x - 1, 12)));
    }

    void ellipticCoversCornersAndEndsAtCentre()
    {
        const TColor b = clRed;
        const TColor e = clBlue;
        const QImage image = face(75, 25, gsElliptic, b, e);
        // The last ellipse whose box (−25 + dx, −8 + dy, 100 − dx, 33 − dy)
        // holds the pixel's centre gives its colour.
        auto lastEllipseHolding = [](double px, double py) {
            int last = -1;
            for (int i = 0; i <= 50; ++i) {
                const int dx = 125 * i / 100;
                const int dy = 41 * i / 100;
                const double a = (125 - 2 * dx) / 2.0;
                const double c = (41 - 2 * dy) / 2.0;
                const double u = (px - 37.5) / a;
                const double v = (py - 12.5) / c;
                if (u * u + v * v <= 1.0)
                    last = i;
            }
            return last;
        };
        for (const QPoint corner : {QPoint(0, 0), QPoint(74, 0), QPoint(0, 24), QPoint(74, 24)}) {
            const int ellipse = lastEllipseHolding(corner.x() + 0.5, corner.y() + 0.5);
            QVERIFY(ellipse > 0 && ellipse < 50);
            QCOMPARE(image.pixel(corner), band(ellipse, 50, b, e));
        }
        QCOMPARE(image.pixel(5, 12), band(lastEllipseHolding(5.5, 12.5), 50, b, e));
        // Box of the last ellipse: (−25 + 62, −8 + 20, 100 − 62, 33 − 20).
        QCOMPARE(image.pixel(37, 12), rgbOf(e));
        // No pixel left unpainted.
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 75; ++x)
                QVERIFY(image.pixel(x, y) != kSentinel);
    }

    void endColourReachedInEveryStyle_data()
    {
        QTest::addColumn<TGradientStyle>("style");
        QTest::addColumn<QPoint>("endPixel");
        QTest::newRow("gsHorizontal, last column") << gsHorizontal << QPoint(74, 10);
        QTest::newRow("gsVertical, last row") << gsVertical << QPoint(10, 24);
        QTest::newRow("gsElliptic, centre") << gsElliptic << QPoint(37, 12);
        QTest::newRow("gsRectangle, innermost") << gsRectangle << QPoint(38, 13);
        QTest::newRow("gsVertCenter, middle row") << gsVertCenter << QPoint(0, 12);
        QTest::newRow("gsHorizCenter, middle column") << gsHorizCenter << QPoint(37, 0);
    }

    void endColourReachedInEveryStyle()
    {
        QFETCH(TGradientStyle, style);
        QFETCH(QPoint, endPixel);
        for (const auto &[b, e] : {std::pair{clNavy, clAqua}, std::pair{CorBotao, clNavy},
                                   std::pair{TColor(0x00123456), TColor(0x00ABCDEF)}}) {
            const QImage image = face(75, 25, style, b, e);
            QCOMPARE(image.pixel(endPixel), rgbOf(e));
        }
    }

    void equalColoursGiveUniformFace_data()
    {
        QTest::addColumn<TGradientStyle>("style");
        for (int s = gsHorizontal; s <= gsNone; ++s)
            QTest::newRow(qPrintable(QString::number(s))) << TGradientStyle(s);
    }

    void equalColoursGiveUniformFace()
    {
        QFETCH(TGradientStyle, style);
        const QImage image = face(75, 25, style, CorBotao, CorBotao);
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 75; ++x)
                QCOMPARE(image.pixel(x, y), rgbOf(CorBotao));
    }

    void onlyBandColoursNoBlending_data()
    {
        QTest::addColumn<TGradientStyle>("style");
        QTest::addColumn<int>("steps");
        QTest::addColumn<QSize>("size");
        QTest::newRow("gsHorizontal") << gsHorizontal << 255 << QSize(75, 25);
        QTest::newRow("gsVertical") << gsVertical << 255 << QSize(75, 25);
        QTest::newRow("gsElliptic") << gsElliptic << 50 << QSize(75, 25);
        QTest::newRow("gsElliptic large") << gsElliptic << 50 << QSize(301, 157);
        QTest::newRow("gsRectangle") << gsRectangle << 255 << QSize(75, 25);
        QTest::newRow("gsVertCenter") << gsVertCenter << 12 << QSize(75, 25);
        QTest::newRow("gsHorizCenter") << gsHorizCenter << 37 << QSize(75, 25);
    }

    void onlyBandColoursNoBlending()
    {
        QFETCH(TGradientStyle, style);
        QFETCH(int, steps);
        QFETCH(QSize, size);
        const TColor b = 0x00102030;
        const TColor e = 0x00F0E0D0;
        QSet<QRgb> bands;
        for (int i = 0; i <= steps; ++i)
            bands.insert(band(i, steps, b, e));
        const QImage image = face(size.width(), size.height(), style, b, e);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(bands.contains(image.pixel(x, y)),
                         qPrintable(QStringLiteral("pixel (%1, %2) is %3").arg(x).arg(y).arg(image.pixel(x, y), 0, 16)));
    }

    void systemColourRawBytesAgainstNone()
    {
        QPalette palette = QApplication::palette();
        const QColor highlight(1, 99, 201);
        palette.setColor(QPalette::Light, highlight);
        QApplication::setPalette(palette);

        // Raw bytes of 0x80000014: red 20, green 0, blue 0.
        const QImage gradient = face(75, 25, gsVertical, clBtnHighlight, clBtnHighlight);
        QCOMPARE(gradient.pixel(30, 10), qRgb(20, 0, 0));
        const QImage toWhite = face(75, 25, gsVertCenter, clBtnHighlight, clWhite);
        QCOMPARE(toWhite.pixel(0, 0), qRgb(20, 0, 0));
        QCOMPARE(toWhite.pixel(0, 12), qRgb(255, 255, 255));
        QCOMPARE(toWhite.pixel(0, 1), band(1, 12, clBtnHighlight, clWhite));
        QCOMPARE(qRed(toWhite.pixel(0, 1)), 20 + 235 / 12);
        QCOMPARE(qGreen(toWhite.pixel(0, 1)), 255 / 12);
        // gsNone resolves the system colour.
        const QImage none = face(75, 25, gsNone, clBtnHighlight, clWhite);
        QCOMPARE(none.pixel(30, 10), highlight.rgb());
        QCOMPARE(none.pixel(74, 24), highlight.rgb());
        // EndColor plays no part in gsNone.
        QCOMPARE(face(10, 10, gsNone, clRed, clBlue).pixel(9, 9), rgbOf(clRed));
    }

    void halfSizeZeroPaintsEndColour_data()
    {
        QTest::addColumn<TGradientStyle>("style");
        QTest::addColumn<QSize>("size");
        QTest::newRow("gsVertCenter one row") << gsVertCenter << QSize(40, 1);
        QTest::newRow("gsHorizCenter one column") << gsHorizCenter << QSize(1, 25);
        QTest::newRow("gsVertCenter one pixel") << gsVertCenter << QSize(1, 1);
    }

    void halfSizeZeroPaintsEndColour()
    {
        QFETCH(TGradientStyle, style);
        QFETCH(QSize, size);
        QCOMPARE(BandColor(0, 0, clWhite, clNavy), clNavy);
        const QImage image = face(size.width(), size.height(), style, clWhite, clNavy);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                QCOMPARE(image.pixel(x, y), rgbOf(clNavy));
    }

    void wideRectangleLeavesNoPixelUnpainted_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("510 wide") << QSize(510, 25);
        QTest::newRow("600 x 30") << QSize(600, 30);
        QTest::newRow("40 x 700") << QSize(40, 700);
        QTest::newRow("1100 x 1100") << QSize(1100, 1100);
    }

    void wideRectangleLeavesNoPixelUnpainted()
    {
        QFETCH(QSize, size);
        const QImage image = face(size.width(), size.height(), gsRectangle, clYellow, clRed);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(image.pixel(x, y) != kSentinel);
        // The outer column(s) or row(s) the rectangles miss show the begin colour.
        QCOMPARE(image.pixel(0, 0), rgbOf(clYellow));
        if (size.width() >= 510)
            QCOMPARE(image.pixel(0, image.height() / 2), rgbOf(clYellow));
        else
            QVERIFY(image.pixel(0, image.height() / 2) != rgbOf(clYellow));
        if (size.height() >= 510)
            QCOMPARE(image.pixel(image.width() / 2, 0), rgbOf(clYellow));
        else
            QVERIFY(image.pixel(image.width() / 2, 0) != rgbOf(clYellow));
    }

    void degenerateSizesDoNotFail()
    {
        for (int s = gsHorizontal; s <= gsNone; ++s) {
            for (const QSize size : {QSize(1, 1), QSize(2, 1), QSize(1, 2), QSize(3, 3)}) {
                const QImage image = face(size.width(), size.height(), TGradientStyle(s), clRed, clBlue);
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x)
                        QVERIFY(image.pixel(x, y) != kSentinel);
            }
            QImage empty;
            FillFace(empty, TGradientStyle(s), clRed, clBlue); // a null image paints nothing
            QImage image(4, 4, QImage::Format_RGB32);
            image.fill(kSentinel);
            QPainter canvas(&image);
            FillFace(canvas, 0, 4, TGradientStyle(s), clRed, clBlue);
            FillFace(canvas, 4, 0, TGradientStyle(s), clRed, clBlue);
            FillFace(canvas, -3, -3, TGradientStyle(s), clRed, clBlue);
            canvas.end();
            QCOMPARE(image.pixel(0, 0), kSentinel);
        }
    }

    void leavesSolidPenAndLastBrush()
    {
        QImage image(75, 25, QImage::Format_RGB32);
        QPainter canvas(&image);
        canvas.setPen(Qt::DashLine);
        FillFace(canvas, 75, 25, gsElliptic, clRed, clBlue);
        QCOMPARE(canvas.pen().style(), Qt::SolidLine);
        QCOMPARE(canvas.brush().color().rgb(), rgbOf(clBlue));
        FillFace(canvas, 75, 25, gsVertCenter, clRed, clLime);
        QCOMPARE(canvas.brush().color().rgb(), rgbOf(clLime));
    }
};

QTEST_MAIN(TestFaceFills)
#include "test_face_fills.moc"
