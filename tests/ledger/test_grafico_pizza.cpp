#include "app/errors.h"
#include "app/montagem_janela.h"
#include "controls/cores.h"
#include "ledger/cores_fatias.h"
#include "ledger/grafico_pizza.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QtTest>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using cofrel::TColor;

namespace {

constexpr QSize kChartSize(473, 228);
constexpr QRgb kMarkYellow = qRgb(255, 255, 128);
constexpr QRgb kUnpainted = qRgb(1, 2, 3); // no colour of the chart

struct SliceSpec {
    double value;
    QString label;
    TColor color;
};
using Slices = std::vector<SliceSpec>;
using Amounts = std::vector<std::pair<int, double>>; // category number, amount

const QStringList &categorias()
{
    static const QStringList names = {u"Alimentação"_s, u"Educação"_s, u"Lazer"_s,      u"Moradia"_s,
                                      u"Saúde"_s,       u"Trabalho"_s, u"Transporte"_s, u"Outros"_s};
    return names;
}

// The slices the chart refresh would make for these category amounts.
Slices porCategoria(const Amounts &amounts)
{
    Slices slices;
    for (const auto &[category, amount] : amounts)
        slices.push_back({amount, categorias().at(category - 1), CoresFatias.at(category - 1)});
    return slices;
}

void fill(GraficoPizza &chart, const Slices &slices)
{
    for (const SliceSpec &slice : slices)
        chart.addSlice(slice.value, slice.label, slice.color);
}

int countPixels(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++count;
        }
    }
    return count;
}

int countPixelsIn(const QImage &image, const QRect &area, QRgb colour)
{
    return countPixels(image.copy(area), colour);
}

QImage renderSvg(const QByteArray &svg, QSize size)
{
    QSvgRenderer renderer(svg);
    QImage image(size, QImage::Format_RGB32);
    image.fill(kUnpainted);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

bool wellFormedXml(const QByteArray &bytes)
{
    QXmlStreamReader reader(bytes);
    while (!reader.atEnd())
        reader.readNext();
    return !reader.hasError();
}

QRgb rgbOf(TColor color)
{
    return cofrel::toQColor(color).rgb();
}

} // namespace

class TestGraficoPizza final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        cofrel::registraFontes();
    }

    void keepsSlicesInOrder()
    {
        GraficoPizza chart;
        chart.addSlice(30.5, u"Lazer"_s, cofrel::clFuchsia);
        chart.addSlice(1200, u"Moradia"_s, cofrel::clGray);
        chart.addSlice(0.01, u"Outros"_s, cofrel::clOlive);

        QCOMPARE(chart.sliceCount(), 3);
        QCOMPARE(chart.sliceValue(0), 30.5);
        QCOMPARE(chart.sliceValue(1), 1200.0);
        QCOMPARE(chart.sliceValue(2), 0.01);
        QCOMPARE(chart.sliceLabel(0), u"Lazer"_s);
        QCOMPARE(chart.sliceLabel(1), u"Moradia"_s);
        QCOMPARE(chart.sliceLabel(2), u"Outros"_s);
        QCOMPARE(chart.sliceColor(0), cofrel::clFuchsia);
        QCOMPARE(chart.sliceColor(1), cofrel::clGray);
        QCOMPARE(chart.sliceColor(2), cofrel::clOlive);
    }

    void clearRemovesAllSlices()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, porCategoria({{1, 10}, {5, 20}, {8, 30}}));
        QCOMPARE(chart.markRects().size(), 3);

        chart.clear();
        QCOMPARE(chart.sliceCount(), 0);
        QVERIFY(chart.markRects().isEmpty());
        for (TColor color : {cofrel::clAqua, cofrel::clGreen, cofrel::clOlive})
            QCOMPARE(countPixels(chart.toImage(), rgbOf(color)), 0);

        chart.addSlice(5, u"Lazer"_s, cofrel::clFuchsia);
        QCOMPARE(chart.sliceCount(), 1);
        QCOMPARE(chart.sliceLabel(0), u"Lazer"_s);
    }

    void rejectsInvalidValues_data()
    {
        QTest::addColumn<double>("value");
        QTest::newRow("zero") << 0.0;
        QTest::newRow("negative") << -12.5;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN();
        QTest::newRow("infinite") << std::numeric_limits<double>::infinity();
    }

    void rejectsInvalidValues()
    {
        QFETCH(double, value);
        GraficoPizza chart;
        chart.addSlice(10, u"Lazer"_s, cofrel::clFuchsia);
        QVERIFY_THROWS_EXCEPTION(cofrel::Error, chart.addSlice(value, u"Outros"_s, cofrel::clOlive));
        QCOMPARE(chart.sliceCount(), 1);
    }

    void emptyChartShowsBackgroundAndBevels()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        QCOMPARE(chart.backgroundColor(), cofrel::clBtnFace);
        QCOMPARE(chart.bevelInner(), GraficoPizza::Bevel::Raised);
        QCOMPARE(chart.bevelOuter(), GraficoPizza::Bevel::Lowered);

        const QRgb face = rgbOf(cofrel::clBtnFace);
        const QRgb shadow = rgbOf(cofrel::clBtnShadow);
        const QRgb light = rgbOf(cofrel::clBtnHighlight);
        QVERIFY(face != shadow && face != light && shadow != light);

        const QImage image = chart.toImage();
        QCOMPARE(image.size(), kChartSize);
        const int right = kChartSize.width() - 1;
        const int bottom = kChartSize.height() - 1;
        // Lowered outside: dark above and to the left, light below and right.
        QCOMPARE(image.pixel(40, 0), shadow);
        QCOMPARE(image.pixel(0, 40), shadow);
        QCOMPARE(image.pixel(40, bottom), light);
        QCOMPARE(image.pixel(right, 40), light);
        // Raised inside it: the other way round.
        QCOMPARE(image.pixel(40, 1), light);
        QCOMPARE(image.pixel(1, 40), light);
        QCOMPARE(image.pixel(40, bottom - 1), shadow);
        QCOMPARE(image.pixel(right - 1, 40), shadow);
        // Nothing but the background inside the frame.
        const QRect inside = QRect(QPoint(0, 0), kChartSize).adjusted(2, 2, -2, -2);
        QCOMPARE(countPixelsIn(image, inside, face), inside.width() * inside.height());
        QVERIFY(chart.markRects().isEmpty());
    }

    void renderingIsDeterministic()
    {
        const Slices slices = porCategoria({{1, 820.40}, {2, 310}, {3, 145.90}, {4, 1200}, {8, 74.99}});
        GraficoPizza first;
        first.resize(kChartSize);
        fill(first, slices);
        GraficoPizza second;
        second.resize(kChartSize);
        fill(second, slices);

        const QImage image = first.toImage();
        QCOMPARE(first.toImage(), image);
        QCOMPARE(second.toImage(), image);
        QCOMPARE(second.toSvg(), first.toSvg());
        QCOMPARE(second.markRects(), first.markRects());
    }

    void everySliceColourShows_data()
    {
        QTest::addColumn<Amounts>("amounts");
        QTest::newRow("eight categories")
            << Amounts{{1, 820.40}, {2, 310},  {3, 145.90}, {4, 1200},
                                                   {5, 96.30},  {6, 60},   {7, 233.15}, {8, 74.99}};
        QTest::newRow("Lazer and Outros") << Amounts{{3, 120}, {8, 80}};
        QTest::newRow("Trabalho alone") << Amounts{{6, 42}};
        QTest::newRow("equal amounts") << Amounts{{2, 5}, {5, 5}, {7, 5}};
    }

    void everySliceColourShows()
    {
        QFETCH(Amounts, amounts);
        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, porCategoria(amounts));
        const QImage image = chart.toImage();

        std::vector<bool> used(8, false);
        for (const auto &[category, amount] : amounts) {
            used[std::size_t(category - 1)] = true;
            QVERIFY2(countPixels(image, rgbOf(CoresFatias.at(category - 1))) > 20,
                     qPrintable(categorias().at(category - 1)));
        }
        // The pure colours of the categories left out must not appear.
        for (int category : {1, 2, 3, 6}) {
            if (!used[std::size_t(category - 1)])
                QCOMPARE(countPixels(image, rgbOf(CoresFatias.at(category - 1))), 0);
        }
    }

    void sideWallsAreDarkerShades()
    {
        for (TColor color : {cofrel::clAqua, cofrel::clLime, cofrel::clFuchsia}) {
            GraficoPizza chart;
            chart.resize(kChartSize);
            chart.addSlice(1, u"Lazer"_s, color);
            const QImage image = chart.toImage();
            const QColor top = cofrel::toQColor(color);
            int wall = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel(image.pixel(x, y));
                    if (pixel.hsvHue() == top.hsvHue() && pixel.hsvSaturation() > 200 && pixel.value() < top.value() * 3 / 4
                        && pixel.value() > 40)
                        ++wall;
                }
            }
            QVERIFY2(wall > 500, qPrintable(top.name()));
        }
    }

    void slicesRunClockwiseFromTopInOrderAdded()
    {
        // A quarter then three quarters: unsorted, the small slice takes the
        // quarter right of 12 o'clock.
        GraficoPizza chart;
        chart.resize(kChartSize);
        chart.addSlice(1, u"Alimentação"_s, cofrel::clAqua);
        chart.addSlice(3, u"Lazer"_s, cofrel::clFuchsia);
        const QImage image = chart.toImage();

        QRect face;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y) & 0xFFFFFF;
                if (pixel == (rgbOf(cofrel::clAqua) & 0xFFFFFF) || pixel == (rgbOf(cofrel::clFuchsia) & 0xFFFFFF))
                    face |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(face.width() > 100 && face.height() > 60);
        const QPoint centre = face.center();
        const int dx = face.width() / 4;
        const int dy = face.height() / 4;
        QCOMPARE(image.pixel(centre + QPoint(dx, -dy)), rgbOf(cofrel::clAqua));
        QCOMPARE(image.pixel(centre + QPoint(-dx, -dy)), rgbOf(cofrel::clFuchsia));
        QCOMPARE(image.pixel(centre + QPoint(dx, dy)), rgbOf(cofrel::clFuchsia));
        QCOMPARE(image.pixel(centre + QPoint(-dx, dy)), rgbOf(cofrel::clFuchsia));
    }

    void widgetPaintsWhatRenderDraws()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        fill(chart, porCategoria({{1, 10}, {4, 30}, {7, 12}}));
        const QImage shown = chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, chart.toImage());
    }

    void survivesTinySizes()
    {
        for (QSize size : {QSize(0, 0), QSize(1, 1), QSize(30, 12), QSize(120, 40)}) {
            GraficoPizza chart;
            chart.resize(size);
            fill(chart, porCategoria({{1, 10}, {2, 0.01}, {4, 30}}));
            const QImage image = chart.toImage();
            QCOMPARE(image.isNull(), size.isEmpty());
            if (!image.isNull())
                QCOMPARE(image.size(), size);
            QVERIFY(!chart.toSvg().isEmpty());
            QCOMPARE(chart.markRects().size(), 3);
        }
    }

    void marksStayApartAndInside_data()
    {
        QTest::addColumn<Slices>("slices");
        QTest::newRow("one slice") << porCategoria({{4, 950}});
        QTest::newRow("eight categories") << porCategoria(
            {{1, 820.40}, {2, 310}, {3, 145.90}, {4, 1200}, {5, 96.30}, {6, 60}, {7, 233.15}, {8, 74.99}});
        QTest::newRow("tiny neighbours at the top")
            << porCategoria({{1, 2}, {2, 1}, {3, 3}, {4, 4000}, {5, 1.5}, {6, 2.5}, {7, 1}, {8, 0.5}});
        QTest::newRow("tiny neighbours at the bottom")
            << porCategoria({{1, 2000}, {2, 1}, {3, 0.5}, {4, 2}, {5, 1.5}, {6, 2000}});
        QTest::newRow("tiny neighbours at the sides")
            << porCategoria({{1, 1000}, {2, 1}, {3, 2}, {4, 1}, {5, 1000}, {6, 1}, {7, 2}, {8, 1}});
        Slices twenty;
        for (int i = 0; i < 20; ++i)
            twenty.push_back({double(1 + i % 3), categorias().at(i % 8), CoresFatias.at(std::size_t(i))});
        QTest::newRow("twenty slices") << twenty;
    }

    void marksStayApartAndInside()
    {
        QFETCH(Slices, slices);
        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, slices);

        const QList<QRectF> marks = chart.markRects();
        QCOMPARE(marks.size(), qsizetype(slices.size()));
        const QRectF inside = QRectF(chart.rect()).adjusted(2, 2, -2, -2);
        for (qsizetype i = 0; i < marks.size(); ++i) {
            QVERIFY2(inside.contains(marks[i]), qPrintable(slices[std::size_t(i)].label));
            QVERIFY(marks[i].width() > 10 && marks[i].height() > 8);
            for (qsizetype j = i + 1; j < marks.size(); ++j) {
                QVERIFY2(!marks[i].intersects(marks[j]), qPrintable(slices[std::size_t(i)].label + u" / "_s
                                                                    + slices[std::size_t(j)].label));
            }
        }
    }

    void tinySliceStillGetsItsMark_data()
    {
        QTest::addColumn<bool>("tinyFirst");
        QTest::newRow("tiny slice first") << true;
        QTest::newRow("tiny slice last") << false;
    }

    void tinySliceStillGetsItsMark()
    {
        QFETCH(bool, tinyFirst);
        GraficoPizza chart;
        chart.resize(kChartSize);
        if (tinyFirst)
            fill(chart, porCategoria({{3, 0.01}, {4, 10000}}));
        else
            fill(chart, porCategoria({{4, 10000}, {3, 0.01}}));
        const qsizetype tiny = tinyFirst ? 0 : 1;

        const QList<QRectF> marks = chart.markRects();
        QCOMPARE(marks.size(), 2);
        QVERIFY(!marks[0].intersects(marks[1]));
        const QRect box = marks[tiny].toRect();
        QVERIFY(QRect(QPoint(0, 0), kChartSize).contains(box));

        // The box is drawn, pale yellow with a caption in it.
        const QImage image = chart.toImage();
        const int area = box.width() * box.height();
        QVERIFY(countPixelsIn(image, box, kMarkYellow) > area / 2);
        QVERIFY(countPixelsIn(image, box.adjusted(2, 2, -2, -2), qRgb(0, 0, 0)) > 10);
    }

    void svgIsWholeChart()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        const Slices slices = porCategoria({{1, 50}, {3, 20}, {5, 30}, {7, 40}});
        fill(chart, slices);

        const QByteArray svg = chart.toSvg();
        QVERIFY(wellFormedXml(svg));
        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(QPoint(0, 0), kChartSize));

        const QImage picture = renderSvg(svg, kChartSize);
        QCOMPARE(countPixels(picture, kUnpainted), 0); // nothing left unpainted
        for (const SliceSpec &slice : slices) {
            QVERIFY2(svg.contains(cofrel::toQColor(slice.color).name().toLatin1()), qPrintable(slice.label));
            QVERIFY2(countPixels(picture, rgbOf(slice.color)) > 20, qPrintable(slice.label));
        }
        QVERIFY(countPixels(picture, kMarkYellow) > 100);
        QCOMPARE(picture.pixel(0, 0), rgbOf(cofrel::clBtnShadow));
    }

    void copyPutsSvgAndBitmapOnWhite()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        const Slices slices = porCategoria({{2, 15}, {4, 60}, {6, 25}});
        fill(chart, slices);
        chart.copyToClipboard();

        const QMimeData *contents = QGuiApplication::clipboard()->mimeData();
        QVERIFY(contents);
        QVERIFY(contents->hasFormat(u"image/svg+xml"_s));
        QVERIFY(contents->hasImage());

        const QByteArray svg = contents->data(u"image/svg+xml"_s);
        QVERIFY(wellFormedXml(svg));
        QVERIFY(QSvgRenderer(svg).isValid());
        QVERIFY(svg.contains("#ffffff"));
        const QImage picture = renderSvg(svg, kChartSize);
        const QImage bitmap = qvariant_cast<QImage>(contents->imageData()).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(bitmap.size(), kChartSize);
        const QRgb white = qRgb(255, 255, 255);
        for (const QImage &image : {picture, bitmap}) {
            // White to the very edge: no bevels.
            const int w = kChartSize.width();
            const int h = kChartSize.height();
            for (const QRect &edge : {QRect(0, 0, w, 2), QRect(0, h - 2, w, 2), QRect(0, 0, 2, h), QRect(w - 2, 0, 2, h)})
                QCOMPARE(countPixelsIn(image, edge, white), edge.width() * edge.height());
            QVERIFY(countPixels(image, white) > w * h / 3);
            for (const SliceSpec &slice : slices)
                QVERIFY2(countPixels(image, rgbOf(slice.color)) > 20, qPrintable(slice.label));
        }
    }

    void copyReplacesWholeClipboard()
    {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->setText(u"Extrato: 01 mês"_s);
        QVERIFY(clipboard->mimeData()->hasText());

        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, porCategoria({{3, 10}}));
        chart.copyToClipboard();
        QVERIFY(!clipboard->mimeData()->hasText());
        QVERIFY(clipboard->mimeData()->hasImage());

        // A second copy replaces the first picture.
        chart.clear();
        fill(chart, porCategoria({{5, 10}}));
        chart.copyToClipboard();
        const QImage bitmap = qvariant_cast<QImage>(clipboard->mimeData()->imageData());
        QVERIFY(countPixels(bitmap.convertToFormat(QImage::Format_RGB32), rgbOf(cofrel::clGreen)) > 20);
        QCOMPARE(countPixels(bitmap.convertToFormat(QImage::Format_RGB32), rgbOf(cofrel::clFuchsia)), 0);
    }

    void copyRestoresLookOnScreen()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, porCategoria({{1, 10}, {8, 3}}));
        const QImage before = chart.toImage();

        TColor backgroundDuringCopy = 0;
        GraficoPizza::Bevel innerDuringCopy = GraficoPizza::Bevel::Raised;
        GraficoPizza::Bevel outerDuringCopy = GraficoPizza::Bevel::Lowered;
        bool received = false;
        chart.copyToClipboard([&](std::unique_ptr<QMimeData> contents) {
            received = contents && contents->hasImage() && contents->hasFormat(u"image/svg+xml"_s);
            backgroundDuringCopy = chart.backgroundColor();
            innerDuringCopy = chart.bevelInner();
            outerDuringCopy = chart.bevelOuter();
        });
        QVERIFY(received);
        QCOMPARE(backgroundDuringCopy, cofrel::clWhite);
        QCOMPARE(innerDuringCopy, GraficoPizza::Bevel::None);
        QCOMPARE(outerDuringCopy, GraficoPizza::Bevel::None);

        QCOMPARE(chart.backgroundColor(), cofrel::clBtnFace);
        QCOMPARE(chart.bevelInner(), GraficoPizza::Bevel::Raised);
        QCOMPARE(chart.bevelOuter(), GraficoPizza::Bevel::Lowered);
        QCOMPARE(chart.toImage(), before);

        chart.copyToClipboard();
        QCOMPARE(chart.toImage(), before);
    }

    void failedCopyRestoresLookOnScreen()
    {
        GraficoPizza chart;
        chart.resize(kChartSize);
        fill(chart, porCategoria({{2, 10}, {6, 3}}));
        const QImage before = chart.toImage();

        QVERIFY_THROWS_EXCEPTION(cofrel::Error, chart.copyToClipboard([](std::unique_ptr<QMimeData>) {
            throw cofrel::Error(u"Não foi possível abrir a área de transferência."_s);
        }));
        QCOMPARE(chart.backgroundColor(), cofrel::clBtnFace);
        QCOMPARE(chart.bevelInner(), GraficoPizza::Bevel::Raised);
        QCOMPARE(chart.bevelOuter(), GraficoPizza::Bevel::Lowered);
        QCOMPARE(chart.toImage(), before);
    }
};

QTEST_MAIN(TestGraficoPizza)
#include "test_grafico_pizza.moc"
