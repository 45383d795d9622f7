#include "ledger/grafico_pizza.h"

#include "app/errors.h"
#include "app/montagem_janela.h"

#include <QBuffer>
#include <QClipboard>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace Qt::StringLiterals;
using namespace cofrel;

namespace {

// The pie is modelled with unit radius, its top face at z = 0 and its
// bottom at z = -kDepth, seen from kElevation above the horizon by an eye
// kEyeDistance radii away: the far edge comes out a little narrower than
// the near one, which is what makes the tilt read as perspective.
constexpr double kPi = std::numbers::pi;
constexpr double kTurn = 2 * kPi;
constexpr double kElevation = kPi / 4;
constexpr double kDepth = 0.30;
constexpr double kEyeDistance = 9.0;
constexpr int kStepsPerTurn = 240;

constexpr TColor CorMarca = 0x0080FFFF; // pale yellow of the mark boxes
constexpr double kMarkLine = 8;         // from the slice's edge to its mark
constexpr double kMarkGap = 3;          // kept between marks, and off the pie
constexpr double kFrameMargin = 3;      // kept between marks and the frame
constexpr double kBoxPadX = 3;
constexpr double kBoxPadY = 1;

QPointF project(double x, double y, double z)
{
    const double c = std::cos(kElevation);
    const double s = std::sin(kElevation);
    const double k = kEyeDistance / (kEyeDistance - y * c - z * s);
    return {x * k, (y * s - z * c) * k};
}

// Angles run clockwise as seen from above, from 12 o'clock (the far side).
QPointF unitRim(double phi, double z)
{
    return project(std::sin(phi), -std::cos(phi), z);
}

// The outer wall faces the eye, under perspective, only on this open
// interval around the near side.
double wallFrom()
{
    return std::acos(-1 / (kEyeDistance * std::cos(kElevation)));
}
double wallTo()
{
    return kTurn - wallFrom();
}
bool wallVisible(double phi)
{
    return phi > wallFrom() && phi < wallTo();
}

int stepsFor(double span)
{
    return std::max(2, int(std::ceil(span / (kTurn / kStepsPerTurn))));
}

// Where the unit pie lands on screen.
struct Placement {
    QPointF origin; // the centre of the top face
    double scale = 1;

    QPointF rim(double phi, bool bottom) const
    {
        return origin + unitRim(phi, bottom ? -kDepth : 0) * scale;
    }
    QPointF axis(bool bottom) const
    {
        return origin + project(0, 0, bottom ? -kDepth : 0) * scale;
    }
    void addArc(QPolygonF &polygon, double from, double to, bool bottom) const
    {
        const int steps = stepsFor(std::abs(to - from));
        for (int i = 0; i <= steps; ++i)
            polygon << rim(from + (to - from) * i / steps, bottom);
    }
    // The outline of the whole pie, top face and near wall together.
    QPolygonF silhouette() const
    {
        QPolygonF outline;
        addArc(outline, wallFrom(), wallTo(), true);
        addArc(outline, wallTo(), kTurn + wallFrom(), false);
        return outline;
    }
};

QRectF unitBounds()
{
    Placement unit;
    return unit.silhouette().boundingRect();
}

struct Mark {
    QPointF anchor; // on the slice's outer edge
    QPointF end;    // kMarkLine further out
    QRectF ideal;   // the box touching the end of the line
    QRectF box;     // where the box went after making room
    bool right = true;

    // Where the line meets the box: the end of its stub, or, for a box that
    // had to move, the point of the box nearest to that end.
    QPointF link() const
    {
        return {std::clamp(end.x(), box.left(), box.right()), std::clamp(end.y(), box.top(), box.bottom())};
    }
};

struct Layout {
    Placement pie;
    QList<double> bounds; // slice i spans bounds[i] to bounds[i + 1]
    QList<Mark> marks;
};

// The box of size \a size beyond \a end in direction \a dir, touching it.
QRectF boxBeyond(QPointF end, QPointF dir, QSizeF size)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    const double tx = std::abs(dir.x()) > 1e-9 ? size.width() / 2 / std::abs(dir.x()) : inf;
    const double ty = std::abs(dir.y()) > 1e-9 ? size.height() / 2 / std::abs(dir.y()) : inf;
    const QPointF centre = end + dir * std::min(tx, ty);
    return {centre - QPointF(size.width() / 2, size.height() / 2), size};
}

// The pie's outermost x (right) or innermost x (left) over the band of
// heights [top, bottom]; NaN when the pie does not reach the band.
double pieExtent(const QPolygonF &outline, double top, double bottom, bool right)
{
    double extent = std::numeric_limits<double>::quiet_NaN();
    const auto take = [&](double x) {
        if (std::isnan(extent) || (right ? x > extent : x < extent))
            extent = x;
    };
    for (qsizetype i = 0; i < outline.size(); ++i) {
        const QPointF a = outline.at(i);
        const QPointF b = outline.at((i + 1) % outline.size());
        if (a.y() >= top && a.y() <= bottom)
            take(a.x());
        for (double y : {top, bottom}) {
            if ((a.y() - y) * (b.y() - y) < 0)
                take(a.x() + (b.x() - a.x()) * (y - a.y()) / (b.y() - a.y()));
        }
    }
    return extent;
}

QRectF grown(const QRectF &r, double by)
{
    return r.adjusted(-by, -by, by, by);
}

void keepInside(QRectF &box, const QRectF &area)
{
    box.moveLeft(std::clamp(box.left(), area.left(), std::max(area.left(), area.right() - box.width())));
    box.moveTop(std::clamp(box.top(), area.top(), std::max(area.top(), area.bottom() - box.height())));
}

// Moves a box that covers the pie sideways, away from it.
void keepOffPie(Mark &mark, const QPolygonF &outline)
{
    if (!outline.intersects(QPolygonF(grown(mark.box, kMarkGap))))
        return;
    const double x = pieExtent(outline, mark.box.top() - kMarkGap, mark.box.bottom() + kMarkGap, mark.right);
    if (std::isnan(x))
        return;
    if (mark.right)
        mark.box.moveLeft(x + kMarkGap);
    else
        mark.box.moveRight(x - kMarkGap);
}

// Whether mark a belongs above mark b on the same side: by the height
// the slices want, and for slices at the same height by the way the pie
// turns (clockwise: downwards on the right, upwards on the left).
bool belongsAbove(const Mark &a, qsizetype ia, const Mark &b, qsizetype ib)
{
    const double ya = a.ideal.center().y();
    const double yb = b.ideal.center().y();
    if (std::abs(ya - yb) > 1e-6)
        return ya < yb;
    return a.right ? ia < ib : ia > ib;
}

// Pushes overlapping marks apart: up and down on the same side of the pie,
// outwards when they sit on opposite sides (above or below it).
void separate(QList<Mark> &marks, const QRectF &area, const QPolygonF &outline)
{
    for (int round = 0; round < 200; ++round) {
        bool moved = false;
        for (qsizetype i = 0; i < marks.size(); ++i) {
            for (qsizetype j = i + 1; j < marks.size(); ++j) {
                Mark &a = marks[i];
                Mark &b = marks[j];
                if (!grown(a.box, kMarkGap / 2).intersects(grown(b.box, kMarkGap / 2)))
                    continue;
                moved = true;
                if (a.right == b.right) {
                    const bool aAbove = belongsAbove(a, i, b, j);
                    QRectF &upper = aAbove ? a.box : b.box;
                    QRectF &lower = aAbove ? b.box : a.box;
                    const double push = (upper.bottom() + kMarkGap - lower.top()) / 2 + 0.01;
                    upper.translate(0, -push);
                    lower.translate(0, push);
                } else {
                    QRectF &left = a.right ? b.box : a.box;
                    QRectF &right = a.right ? a.box : b.box;
                    const double push = (left.right() + kMarkGap - right.left()) / 2 + 0.01;
                    left.translate(-push, 0);
                    right.translate(push, 0);
                }
            }
        }
        for (Mark &mark : marks) {
            keepInside(mark.box, area);
            keepOffPie(mark, outline);
            keepInside(mark.box, area);
        }
        if (!moved)
            return;
    }
}

// How far a layout falls short: marks on each other or on the pie.
int faults(const QList<Mark> &marks, const QPolygonF &outline)
{
    int count = 0;
    for (qsizetype i = 0; i < marks.size(); ++i) {
        if (outline.intersects(QPolygonF(marks[i].box)))
            ++count;
        for (qsizetype j = i + 1; j < marks.size(); ++j) {
            if (marks[i].box.intersects(marks[j].box))
                ++count;
        }
    }
    return count;
}

QList<Mark> placeMarks(const Placement &pie, const QList<double> &bounds, const QList<QSizeF> &sizes,
                       const QRectF &area)
{
    QList<Mark> marks;
    for (qsizetype i = 0; i < sizes.size(); ++i) {
        const double mid = (bounds[i] + bounds[i + 1]) / 2;
        // On the near side the mark hangs from the wall's lower edge, so
        // that its line does not run down over the wall.
        const bool bottom = wallVisible(mid);
        Mark mark;
        mark.anchor = pie.rim(mid, bottom);
        QPointF dir = mark.anchor - pie.axis(bottom);
        const double length = std::hypot(dir.x(), dir.y());
        dir = length > 1e-9 ? dir / length : QPointF(0, 1);
        mark.end = mark.anchor + dir * kMarkLine;
        mark.ideal = boxBeyond(mark.end, dir, sizes[i]);
        mark.box = mark.ideal;
        mark.right = dir.x() >= 0;
        marks << mark;
    }
    separate(marks, area, pie.silhouette());
    return marks;
}

Layout layoutChart(const QRectF &area, const QList<double> &values, const QList<QSizeF> &sizes)
{
    Layout layout;
    // Shares taken against the largest value, so that huge sums cannot
    // overflow.
    const double largest = values.isEmpty() ? 1 : *std::max_element(values.begin(), values.end());
    double total = 0;
    for (double value : values)
        total += value / largest;
    double angle = 0;
    layout.bounds << angle;
    for (double value : values) {
        angle += kTurn * (value / largest) / total;
        layout.bounds << angle;
    }
    if (!values.isEmpty())
        layout.bounds.back() = kTurn; // no sliver left by rounding

    // Room for the widest mark on either side and a mark above and below.
    double markWidth = 0;
    double markHeight = 0;
    for (const QSizeF &size : sizes) {
        markWidth = std::max(markWidth, size.width());
        markHeight = std::max(markHeight, size.height());
    }
    const double side = sizes.isEmpty() ? 0 : markWidth + kMarkLine + kMarkGap;
    const double cap = sizes.isEmpty() ? 0 : markHeight + kMarkLine + kMarkGap;
    const QRectF pieArea = area.adjusted(side, cap, -side, -cap);
    const QRectF unit = unitBounds();
    const double fitted = std::max(1.0, std::min(pieArea.width() / unit.width(), pieArea.height() / unit.height()));

    // Shrinks the pie while its marks cannot find room around it.
    int best = std::numeric_limits<int>::max();
    for (int attempt = 0; attempt < 8; ++attempt) {
        Placement pie;
        pie.scale = std::max(1.0, fitted * std::pow(0.9, attempt));
        pie.origin = area.center() - unit.center() * pie.scale;
        QList<Mark> marks = placeMarks(pie, layout.bounds, sizes, area);
        const int count = faults(marks, pie.silhouette());
        if (count < best) {
            best = count;
            layout.pie = pie;
            layout.marks = marks;
        }
        if (count == 0)
            break;
    }
    return layout;
}

QRect snapped(const QRectF &r)
{
    return QRect(int(std::lround(r.left())), int(std::lround(r.top())), int(std::lround(r.width())),
                 int(std::lround(r.height())));
}

void drawBevel(QPainter &painter, const QRect &r, GraficoPizza::Bevel bevel)
{
    const QColor light = toQColor(clBtnHighlight);
    const QColor dark = toQColor(clBtnShadow);
    const QColor &topLeft = bevel == GraficoPizza::Bevel::Raised ? light : dark;
    const QColor &bottomRight = bevel == GraficoPizza::Bevel::Raised ? dark : light;
    painter.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

int bevelWidth(GraficoPizza::Bevel bevel)
{
    return bevel == GraficoPizza::Bevel::None ? 0 : 1;
}

// The layout of \a chart at its size, inside its frame, with its marks'
// captions in \a labelFont.
Layout layoutOf(const GraficoPizza &chart, const QFont &labelFont)
{
    const int frame = bevelWidth(chart.bevelOuter()) + bevelWidth(chart.bevelInner());
    const double inset = frame + kFrameMargin;
    const QRectF area = QRectF(chart.rect()).adjusted(inset, inset, -inset, -inset);
    const QFontMetricsF metrics(labelFont);
    QList<double> values;
    QList<QSizeF> sizes;
    for (qsizetype i = 0; i < chart.sliceCount(); ++i) {
        values << chart.sliceValue(i);
        sizes << QSizeF(std::ceil(metrics.horizontalAdvance(chart.sliceLabel(i))) + 2 * kBoxPadX,
                        std::ceil(metrics.height()) + 2 * kBoxPadY);
    }
    return layoutChart(area, values, sizes);
}

// The window font has no outlines; the picture's captions take a
// scalable sans serif of the same size.
QFont outlineFont()
{
    QFont font;
    font.setFamilies({u"Liberation Sans"_s, u"DejaVu Sans"_s, u"Arial"_s});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    return font;
}

QColor outlineColor()
{
    return QColor(0, 0, 0, 150);
}

} // namespace

GraficoPizza::GraficoPizza(QWidget *parent)
    : QWidget(parent)
{
    setFont(fonteJanela());
}

GraficoPizza::~GraficoPizza() = default;

void GraficoPizza::clear()
{
    m_slices.clear();
    update();
}

void GraficoPizza::addSlice(double value, const QString &label, TColor color)
{
    if (!std::isfinite(value) || value <= 0)
        throw Error(u"Valor inválido para uma fatia do gráfico: %1."_s.arg(value));
    m_slices.append({value, label, color});
    update();
}

void GraficoPizza::setBackgroundColor(TColor color)
{
    m_background = color;
    update();
}

void GraficoPizza::setBevelInner(Bevel bevel)
{
    m_bevelInner = bevel;
    update();
}

void GraficoPizza::setBevelOuter(Bevel bevel)
{
    m_bevelOuter = bevel;
    update();
}

QList<QRectF> GraficoPizza::markRects() const
{
    QList<QRectF> rects;
    for (const Mark &mark : layoutOf(*this, font()).marks)
        rects << QRectF(snapped(mark.box));
    return rects;
}

void GraficoPizza::render(QPainter &painter) const
{
    paintChart(painter, font(), false);
}

void GraficoPizza::paintChart(QPainter &painter, const QFont &labelFont, bool captionsAsOutlines) const
{
    painter.save();
    const QRect whole = rect();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(whole, toQColor(m_background));

    const Layout layout = layoutOf(*this, labelFont);
    const Placement &pie = layout.pie;

    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen outline(outlineColor());
    outline.setWidthF(1);
    outline.setCosmetic(true);
    outline.setJoinStyle(Qt::RoundJoin);
    painter.setPen(outline);

    // The near wall first; its pieces never overlap, and the top covers
    // whatever of the wall lies behind it.
    for (qsizetype i = 0; i < m_slices.size(); ++i) {
        const double from = std::max(layout.bounds[i], wallFrom());
        const double to = std::min(layout.bounds[i + 1], wallTo());
        if (from >= to)
            continue;
        QPolygonF wall;
        pie.addArc(wall, from, to, false);
        pie.addArc(wall, to, from, true);
        painter.setBrush(toQColor(m_slices[i].color).darker(160));
        painter.drawPolygon(wall);
    }
    for (qsizetype i = 0; i < m_slices.size(); ++i) {
        QPolygonF top;
        if (m_slices.size() > 1)
            top << pie.axis(false);
        pie.addArc(top, layout.bounds[i], layout.bounds[i + 1], false);
        painter.setBrush(toQColor(m_slices[i].color));
        painter.drawPolygon(top);
    }

    painter.setPen(QPen(Qt::black, 1));
    for (const Mark &mark : layout.marks) {
        const QPointF link = mark.link();
        if (link == mark.end)
            painter.drawLine(mark.anchor, mark.end);
        else
            painter.drawPolyline(QPolygonF({mark.anchor, mark.end, link}));
    }

    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(labelFont);
    const QFontMetricsF metrics(labelFont);
    for (qsizetype i = 0; i < layout.marks.size(); ++i) {
        const QRect box = snapped(layout.marks[i].box);
        painter.fillRect(box, toQColor(CorMarca));
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        if (captionsAsOutlines) {
            const QString &label = m_slices[i].label;
            const QPointF baseline(box.left() + (box.width() - metrics.horizontalAdvance(label)) / 2,
                                   box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent());
            QPainterPath caption;
            caption.addText(baseline, labelFont, label);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.fillPath(caption, Qt::black);
            painter.setRenderHint(QPainter::Antialiasing, false);
        } else {
            painter.drawText(box, Qt::AlignCenter, m_slices[i].label);
        }
    }

    if (m_bevelOuter != Bevel::None)
        drawBevel(painter, whole, m_bevelOuter);
    if (m_bevelInner != Bevel::None) {
        const int inset = bevelWidth(m_bevelOuter);
        drawBevel(painter, whole.adjusted(inset, inset, -inset, -inset), m_bevelInner);
    }
    painter.restore();
}

QByteArray GraficoPizza::toSvg() const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setResolution(96); // the size on screen, where 8 points are 11 pixels
    generator.setSize(size());
    generator.setViewBox(QRect(QPoint(0, 0), size()));
    generator.setTitle(u"Cofrel"_s);
    {
        QPainter painter(&generator);
        paintChart(painter, outlineFont(), true);
    }
    return buffer.data();
}

QImage GraficoPizza::toImage() const
{
    if (size().isEmpty())
        return {};
    QImage image(size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    render(painter);
    return image;
}

void GraficoPizza::copyToClipboard()
{
    copyToClipboard([](std::unique_ptr<QMimeData> contents) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            throw Error(u"Não foi possível abrir a área de transferência."_s);
        clipboard->setMimeData(contents.release());
    });
}

void GraficoPizza::copyToClipboard(const ClipboardSink &sink)
{
    // The picture goes out white and without the frame; the chart on screen
    // gets its usual look back however the copy ends.
    struct LookRestorer {
        GraficoPizza &chart;
        ~LookRestorer()
        {
            chart.setBackgroundColor(clBtnFace);
            chart.setBevelInner(Bevel::Raised);
            chart.setBevelOuter(Bevel::Lowered);
        }
    } restorer{*this};
    setBackgroundColor(clWhite);
    setBevelInner(Bevel::None);
    setBevelOuter(Bevel::None);

    auto contents = std::make_unique<QMimeData>();
    contents->setData(u"image/svg+xml"_s, toSvg());
    contents->setImageData(toImage());
    sink(std::move(contents));
}

void GraficoPizza::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    render(painter);
}
