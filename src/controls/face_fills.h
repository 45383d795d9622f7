#pragma once

#include "controls/cores.h"

#include <QtGlobal>

class QImage;
class QPainter;

// The seven faces of a gradient button, one byte each in declaration order.
enum TGradientStyle : quint8 {
    gsHorizontal,
    gsVertical,
    gsElliptic,
    gsRectangle,
    gsVertCenter,
    gsHorizCenter,
    gsNone,
};

namespace cofrel {

// a × b as a 64-bit product divided by c, truncated toward zero (not
// rounded). A zero divisor gives 0 instead of failing.
qint64 MulDivTrunc(qint64 a, qint64 b, qint64 c);

// Step i of n between two colours, component by component, from their raw
// low bytes (a system colour is not resolved). Step 0 is the begin colour,
// step n exactly the end colour; n = 0 counts as already at the end and
// gives the end colour.
TColor BandColor(int i, int n, TColor beginColor, TColor endColor);

// Paints every pixel of a W × H face. The six gradient styles take both
// colours by their raw bytes; gsNone fills in beginColor with a system
// colour resolved. Solid bands only: antialiasing is switched off and the
// bands are copied, never blended. The painter is left with a solid pen
// and its brush in the last colour used.
//
// Where the bands leave pixels unpainted the face shows the begin colour:
// a face 510 pixels or more wide or high in gsRectangle keeps its outer
// column(s) and row(s) in the begin colour. A centre style with half-size
// 0 (one pixel high for gsVertCenter, one wide for gsHorizCenter) paints
// its single row or column in the end colour, the colour of its middle.
void FillFace(QPainter &canvas, int W, int H, TGradientStyle style, TColor beginColor,
              TColor endColor);
// The same into the whole of \a image.
void FillFace(QImage &image, TGradientStyle style, TColor beginColor, TColor endColor);

} // namespace cofrel
