// Renders the expense chart at its size on the main window in the states
// worth looking at, side by side in one PNG:
//   cofrel_chart_sheet [output.png]
// Run it with QT_QPA_PLATFORM=offscreen where there is no display.

#include "app/montagem_janela.h"
#include "ledger/cores_fatias.h"
#include "ledger/grafico_pizza.h"

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QStringList>
#include <QSvgRenderer>

#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize kChartSize(473, 228);

const QStringList &categorias()
{
    static const QStringList names = {u"Alimentação"_s, u"Educação"_s, u"Lazer"_s,      u"Moradia"_s,
                                      u"Saúde"_s,       u"Trabalho"_s, u"Transporte"_s, u"Outros"_s};
    return names;
}

// Slices as the chart refresh makes them: category number and amount.
void fill(GraficoPizza &chart, const std::vector<std::pair<int, double>> &slices)
{
    chart.clear();
    for (const auto &[category, amount] : slices)
        chart.addSlice(amount, categorias().at(category - 1), CoresFatias.at(category - 1));
}

struct Panel {
    QString caption;
    QImage picture;
};

QImage onScreen(const std::function<void(GraficoPizza &)> &setUp)
{
    GraficoPizza chart;
    chart.resize(kChartSize);
    setUp(chart);
    return chart.toImage();
}

// What a program pasting the chart gets: the vector picture and the bitmap.
std::pair<QImage, QImage> copied(const std::function<void(GraficoPizza &)> &setUp)
{
    GraficoPizza chart;
    chart.resize(kChartSize);
    setUp(chart);
    QImage vector(kChartSize, QImage::Format_RGB32);
    vector.fill(QColor(255, 128, 0)); // shows whatever the picture leaves unpainted
    QImage bitmap;
    chart.copyToClipboard([&](std::unique_ptr<QMimeData> contents) {
        QSvgRenderer svg(contents->data(u"image/svg+xml"_s));
        QPainter painter(&vector);
        svg.render(&painter);
        bitmap = qvariant_cast<QImage>(contents->imageData());
    });
    return {vector, bitmap};
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    cofrel::registraFontes();
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"chart_sheet.png"_s;

    const auto eight = [](GraficoPizza &c) {
        fill(c, {{1, 820.40}, {2, 310}, {3, 145.90}, {4, 1200}, {5, 96.30}, {6, 60}, {7, 233.15}, {8, 74.99}});
    };
    const auto tinyBesideHuge = [](GraficoPizza &c) { fill(c, {{3, 0.01}, {4, 10000}}); };
    const auto tinyNeighbours = [](GraficoPizza &c) {
        fill(c, {{1, 2}, {2, 1}, {3, 3}, {4, 4000}, {5, 1.5}, {6, 2.5}, {7, 1}, {8, 0.5}});
    };

    std::vector<Panel> panels;
    panels.push_back({u"Sem fatias"_s, onScreen([](GraficoPizza &) {})});
    panels.push_back({u"Uma fatia (Moradia)"_s, onScreen([](GraficoPizza &c) { fill(c, {{4, 950}}); })});
    panels.push_back({u"Oito categorias"_s, onScreen(eight)});
    panels.push_back({u"Lazer 0,01 ao lado de Moradia 10.000"_s, onScreen(tinyBesideHuge)});
    panels.push_back({u"Fatias pequenas vizinhas"_s, onScreen(tinyNeighbours)});
    panels.push_back({u"Fatias pequenas vizinhas, embaixo"_s, onScreen([](GraficoPizza &c) {
                          fill(c, {{1, 2000}, {2, 1}, {3, 0.5}, {4, 2}, {5, 1.5}, {6, 2000}});
                      })});
    panels.push_back({u"Vinte fatias"_s, onScreen([](GraficoPizza &c) {
                          for (int i = 0; i < 20; ++i)
                              c.addSlice(1 + i % 3, categorias().at(i % 8), CoresFatias.at(std::size_t(i)));
                      })});
    panels.push_back({u"Duas fatias (Lazer, Outros)"_s, onScreen([](GraficoPizza &c) {
                          fill(c, {{3, 120}, {8, 80}});
                      })});
    const auto [vector, bitmap] = copied(eight);
    panels.push_back({u"Cópia: SVG desenhado de volta"_s, vector});
    panels.push_back({u"Cópia: bitmap"_s, bitmap});
    panels.push_back({u"Cópia: fatias pequenas (SVG)"_s, copied(tinyNeighbours).first});
    panels.push_back({u"Tela depois da cópia"_s, onScreen([&](GraficoPizza &c) {
                          eight(c);
                          c.copyToClipboard([](std::unique_ptr<QMimeData>) {});
                      })});

    constexpr int columns = 2;
    constexpr int pad = 12;
    constexpr int captionHeight = 18;
    const int rows = int(panels.size() + columns - 1) / columns;
    QImage sheet(columns * (kChartSize.width() + pad) + pad,
                 rows * (kChartSize.height() + captionHeight + pad) + pad, QImage::Format_RGB32);
    sheet.fill(QColor(0x70, 0x78, 0x80));
    QPainter painter(&sheet);
    QFont captionFont = cofrel::fonteJanela();
    captionFont.setBold(true);
    painter.setFont(captionFont);
    painter.setPen(Qt::white);
    for (std::size_t i = 0; i < panels.size(); ++i) {
        const int x = pad + int(i % columns) * (kChartSize.width() + pad);
        const int y = pad + int(i / columns) * (kChartSize.height() + captionHeight + pad);
        painter.drawText(QRect(x, y, kChartSize.width(), captionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         panels[i].caption);
        painter.drawImage(x, y + captionHeight, panels[i].picture);
    }
    painter.end();
    if (!sheet.save(output)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(output));
        return 1;
    }
    return 0;
}
