#pragma once

#include "controls/cores.h"

#include <QList>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class QImage;
class QMimeData;
class QPainter;

// The expense chart: one pie series drawn as a tilted three-dimensional pie
// (seen from 45 degrees above, in perspective), each slice marked with its
// label in a pale yellow box joined to the slice by a short line. No
// legend, title or axes; a Delphi-panel bevel and a button-face background
// by default.
class GraficoPizza final : public QWidget {
    Q_OBJECT

public:
    enum class Bevel { None, Raised, Lowered };

    // Receives the contents of a copy (the clipboard, or a test's stand-in).
    using ClipboardSink = std::function<void(std::unique_ptr<QMimeData>)>;

    explicit GraficoPizza(QWidget *parent = nullptr);
    ~GraficoPizza() override;

    // Removes all slices.
    void clear();
    // Appends a slice; its share of the pie is value over the sum of all
    // values. Throws cofrel::Error unless value is a positive finite number.
    void addSlice(double value, const QString &label, cofrel::TColor color);

    qsizetype sliceCount() const { return m_slices.size(); }
    double sliceValue(qsizetype index) const { return m_slices.at(index).value; }
    QString sliceLabel(qsizetype index) const { return m_slices.at(index).label; }
    cofrel::TColor sliceColor(qsizetype index) const { return m_slices.at(index).color; }

    void setBackgroundColor(cofrel::TColor color);
    cofrel::TColor backgroundColor() const { return m_background; }
    void setBevelInner(Bevel bevel);
    Bevel bevelInner() const { return m_bevelInner; }
    void setBevelOuter(Bevel bevel);
    Bevel bevelOuter() const { return m_bevelOuter; }

    // Where each slice's mark box lies, in slice order, at the current size.
    QList<QRectF> markRects() const;

    // Draws the whole chart at the widget's size, from (0, 0).
    using QWidget::render;
    void render(QPainter &painter) const;
    // The whole chart as a vector picture at its size on screen.
    QByteArray toSvg() const;
    // The whole chart as a bitmap at its size on screen.
    QImage toImage() const;

    // Puts a picture of the chart on a white background without bevels on
    // the clipboard (SVG plus a bitmap), replacing its whole content. The
    // chart on screen gets its button-face background and bevels back on
    // every way out. Throws cofrel::Error when there is no clipboard.
    void copyToClipboard();
    // The same, handing the contents to \a sink instead of the clipboard.
    void copyToClipboard(const ClipboardSink &sink);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Slice {
        double value;
        QString label;
        cofrel::TColor color;
    };

    // Draws the chart with its marks' captions in \a labelFont, as text or,
    // where the picture must not depend on the fonts of whoever shows it,
    // as outlines.
    void paintChart(QPainter &painter, const QFont &labelFont, bool captionsAsOutlines) const;

    QList<Slice> m_slices;
    cofrel::TColor m_background = cofrel::clBtnFace;
    Bevel m_bevelInner = Bevel::Raised;
    Bevel m_bevelOuter = Bevel::Lowered;
};
