#include "controls/GradBtn.h"

#include "app/guard.h"
#include "controls/gradbtn_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QtMath>

#include <array>

using namespace cofrel;

namespace {

// No form designer exists: the designing state is always false, so the
// presets are never applied and the focus rectangle always shows.
constexpr bool kDesigning = false;

struct PresetRow {
    TColor disabledColor;
    TColor beginColor;
    TColor endColor;
    int fontPoints;
    const char *fontName;
    TColor fontColor;
    bool bold;
    TGradientStyle gradientStyle;
    TShadeType textShadeType;
    TTextStyle textStyle;
    TColor txtHiliteClr;
    TColor txtShadowClr;
    TColor btnHiliteClr;
    TColor btnShadowClr;
};

// Indexed by TPreset.
constexpr std::array<PresetRow, 6> kPresets{{
    {clGray, clNavy, clAqua, 8, "MS Sans Serif", clBlack, false, gsVertCenter, stLight, tsRaised,
     clBtnHighlight, clBtnShadow, clBtnHighlight, clBtnShadow},
    {0x0000BBBB, clYellow, clOlive, 10, "Arial", 0x0000BBBB, true, gsVertical, stHeavy, tsRaised,
     0x00BFFFFF, 0x00007171, 0x00B3FFFF, 0x00616161},
    {clOlive, clBlack, clLime, 8, "Courier", clGreen, false, gsRectangle, stLight, tsRaised,
     0x00ACFFAC, 0x00004000, clBtnHighlight, clBtnShadow},
    {clGray, 0x00CECECE, 0x005F5F5F, 10, "Times New Roman", clBlack, true, gsVertical, stHeavy,
     tsInset, clBtnHighlight, clBtnShadow, clWhite, clBlack},
    {clGray, clYellow, clRed, 8, "MS Sans Serif", 0x00000040, true, gsHorizontal, stHeavy, tsRaised,
     0x00CFE7E6, 0x000058B0, clBtnHighlight, clBtnShadow},
    {clOlive, 0x00CEFFFF, 0x0092C2C2, 9, "Verdana", clMaroon, false, gsElliptic, stLight, tsNormal,
     0x00EFFFFF, 0x0092C2C2, 0x00EFFFFF, 0x0092C2C2},
}};

QColor canvasColour(TColor colour)
{
    QColor resolved = toQColor(colour);
    resolved.setAlpha(255);
    return resolved;
}

void fillPixels(QPainter &canvas, int left, int top, int right, int bottom, const QColor &colour)
{
    if (right <= left || bottom <= top)
        return;
    canvas.fillRect(QRect(left, top, right - left, bottom - top), colour);
}

// The rings of a 3-D frame, outermost first, with the pixels of a
// one-pixel polyline: the top colour takes the left column less its bottom
// pixel and the top row less its last pixel; the bottom colour the right
// column and the bottom row whole.
void DrawBevel(QPainter &canvas, const QRect &area, const QColor &top, const QColor &bottom,
               int rings)
{
    const int left = area.left();
    const int topEdge = area.top();
    const int r = area.left() + area.width() - 1;
    const int b = area.top() + area.height() - 1;
    for (int k = 0; k < rings; ++k) {
        const int x0 = left + k;
        const int y0 = topEdge + k;
        const int x1 = r - k;
        const int y1 = b - k;
        if (x1 < x0 || y1 < y0)
            break;
        fillPixels(canvas, x0, y0, x0 + 1, y1 + 1, top);
        fillPixels(canvas, x0, y0, x1, y0 + 1, top);
        fillPixels(canvas, x1, y0, x1 + 1, y1 + 1, bottom);
        fillPixels(canvas, x0, y1, x1 + 1, y1 + 1, bottom);
    }
}

// The triangle pointing down, as an outlined polygon through (W - 14, y),
// (W - 8, y) and (W - 11, y + 3) covers it: rows of 7, 5, 3 and 1 pixels.
void DrawArrow(QPainter &canvas, int W, int H, const QColor &colour)
{
    const int y = (H - 4) / 2;
    for (int row = 0; row <= 3; ++row)
        fillPixels(canvas, W - 14 + row, y + row, W - 7 - row, y + row + 1, colour);
}

// The platform's focus rectangle: every other pixel of the outline
// inverted, so that drawing it twice removes it. \a area is in the
// button's pixels; a scaled image gets it at its own pixels, one ring for
// each whole step of scale.
void DrawFocusRect(QImage &image, const QRect &area)
{
    const qreal scale = image.devicePixelRatio();
    const auto pixel = [scale](int logical) { return qRound(logical * scale); };
    const QRect inside = image.rect();
    auto invert = [&](int x, int y) {
        if ((x + y) % 2 != 0 || !inside.contains(x, y))
            return;
        image.setPixel(x, y, image.pixel(x, y) ^ 0x00FFFFFFu);
    };
    const int rings = qMax(1, int(scale));
    for (int k = 0; k < rings; ++k) {
        const int left = pixel(area.left()) + k;
        const int top = pixel(area.top()) + k;
        const int right = pixel(area.left() + area.width()) - 1 - k;
        const int bottom = pixel(area.top() + area.height()) - 1 - k;
        if (right < left || bottom < top)
            return;
        for (int x = left; x <= right; ++x) {
            invert(x, top);
            if (bottom != top)
                invert(x, bottom);
        }
        for (int y = top + 1; y < bottom; ++y) {
            invert(left, y);
            if (right != left)
                invert(right, y);
        }
    }
}

TGradBtn::TShiftState shiftOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TGradBtn::TShiftState shift;
    shift.setFlag(TGradBtn::ssShift, modifiers.testFlag(Qt::ShiftModifier));
    shift.setFlag(TGradBtn::ssAlt, modifiers.testFlag(Qt::AltModifier));
    shift.setFlag(TGradBtn::ssCtrl, modifiers.testFlag(Qt::ControlModifier));
    shift.setFlag(TGradBtn::ssLeft, buttons.testFlag(Qt::LeftButton));
    shift.setFlag(TGradBtn::ssRight, buttons.testFlag(Qt::RightButton));
    shift.setFlag(TGradBtn::ssMiddle, buttons.testFlag(Qt::MiddleButton));
    return shift;
}

TGradBtn::TShiftState shiftOf(const QMouseEvent *event)
{
    return shiftOf(event->modifiers(), event->buttons());
}

} // namespace

TGradBtn::TGradBtn(QWidget *parent)
    : QWidget(parent)
{
    // Every pixel is painted from the face bitmap: never erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::StrongFocus);
    setContextMenuPolicy(Qt::PreventContextMenu);
    resize(75, 25);
    faceBitmap_ = QImage(75, 25, QImage::Format_RGB32);
    altMnemonic_ = new QShortcut(this);
    altMnemonic_->setContext(Qt::WindowShortcut);
    altMnemonic_->setAutoRepeat(false);
    connect(altMnemonic_, &QShortcut::activated, this, [this] {
        guarded([this] { dialogChar(QString(mnemonicOf(caption_))); });
    });
    connect(altMnemonic_, &QShortcut::activatedAmbiguously, this, [this] {
        guarded([this] { dialogChar(QString(mnemonicOf(caption_))); });
    });
    watchWindow();
    GradBtnAccessible::install();
}

TGradBtn::~TGradBtn()
{
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
}

// --- Properties -----------------------------------------------------------

void TGradBtn::setCaption(const QString &caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    mnemonicShortcut();
    update();
    if (QAccessible::isActive()) {
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

void TGradBtn::setFontColor(TColor colour) { setColour(fontColor_, colour); }

bool TGradBtn::TabStop() const { return focusPolicy() == Qt::StrongFocus; }

void TGradBtn::setTabStop(bool tabStop)
{
    // Without a tab stop the button still takes the focus when pressed.
    setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TGradBtn::setColour(TColor &field, TColor value)
{
    if (field == value)
        return;
    field = value;
    update();
}

void TGradBtn::setDisabledColor(TColor colour) { setColour(disabledColor_, colour); }
void TGradBtn::setBtnHiliteClr(TColor colour) { setColour(btnHiliteClr_, colour); }
void TGradBtn::setBtnShadowClr(TColor colour) { setColour(btnShadowClr_, colour); }
void TGradBtn::setTxtHiliteClr(TColor colour) { setColour(txtHiliteClr_, colour); }
void TGradBtn::setTxtShadowClr(TColor colour) { setColour(txtShadowClr_, colour); }
void TGradBtn::setBeginColor(TColor colour) { setColour(beginColor_, colour); }
void TGradBtn::setEndColor(TColor colour) { setColour(endColor_, colour); }

void TGradBtn::setBtnFrameSize(int rings)
{
    // Checked against the size at the moment of assignment only.
    if (rings == btnFrameSize_ || rings > width() / 2 - 5 || rings > height() / 2 - 5)
        return;
    btnFrameSize_ = rings;
    update();
}

void TGradBtn::setSwapColors(bool swap) { swapColors_ = swap; }
void TGradBtn::setShowFocus(bool show) { showFocus_ = show; }

void TGradBtn::setGradientStyle(TGradientStyle style)
{
    if (style == gradientStyle_)
        return;
    gradientStyle_ = style;
    update();
}

void TGradBtn::setTextStyle(TTextStyle style)
{
    if (style == textStyle_)
        return;
    textStyle_ = style;
    update();
}

void TGradBtn::setTextShadeType(TShadeType shade)
{
    if (shade == textShadeType_)
        return;
    textShadeType_ = shade;
    update();
}

void TGradBtn::setJustification(TJustification justification)
{
    if (justification == justification_)
        return;
    justification_ = justification;
    update();
}

void TGradBtn::setPresets(TPreset preset)
{
    if (!kDesigning)
        return;
    const auto index = static_cast<std::size_t>(preset);
    if (index >= kPresets.size())
        return;
    const PresetRow &row = kPresets[index];
    disabledColor_ = row.disabledColor;
    beginColor_ = row.beginColor;
    endColor_ = row.endColor;
    QFont presetFont = font();
    presetFont.setPointSize(row.fontPoints);
    presetFont.setFamily(QString::fromLatin1(row.fontName));
    presetFont.setBold(row.bold);
    presetFont.setItalic(false);
    presetFont.setUnderline(false);
    presetFont.setStrikeOut(false);
    setFont(presetFont);
    fontColor_ = row.fontColor;
    gradientStyle_ = row.gradientStyle;
    textShadeType_ = row.textShadeType;
    textStyle_ = row.textStyle;
    if (preset == TPreset::BrassedOff)
        swapColors_ = false;
    txtHiliteClr_ = row.txtHiliteClr;
    txtShadowClr_ = row.txtShadowClr;
    btnHiliteClr_ = row.btnHiliteClr;
    btnShadowClr_ = row.btnShadowClr;
    presets_ = preset;
    update();
}

QMenu *TGradBtn::DropdownMenu() const { return dropdownMenu_.data(); }

void TGradBtn::setDropdownMenu(QMenu *menu)
{
    if (menu == dropdownTarget_)
        return;
    disconnect(dropdownWatch_);
    dropdownMenu_ = menu;
    dropdownTarget_ = menu;
    if (menu)
        dropdownWatch_ = connect(menu, &QObject::destroyed, this, &TGradBtn::menuDestroyed);
    update();
}

void TGradBtn::menuDestroyed(QObject *menu)
{
    // The QPointer is already cleared here; compare with the object we watch.
    if (menu == dropdownTarget_)
        setDropdownMenu(nullptr);
}

QMenu *TGradBtn::PopupMenu() const { return popupMenu_.data(); }
void TGradBtn::setPopupMenu(QMenu *menu) { popupMenu_ = menu; }

// --- Caption --------------------------------------------------------------

QString TGradBtn::plainCaptionOf(const QString &caption)
{
    if (caption.isEmpty())
        return {};
    QString plain;
    plain.reserve(caption.size());
    const qsizetype last = caption.size() - 1;
    for (qsizetype p = 0; p < last; ++p) {
        if (caption.at(p) == u'&' && caption.at(p + 1) != u'&')
            continue;
        plain.append(caption.at(p));
    }
    plain.append(caption.at(last));
    return plain;
}

QChar TGradBtn::mnemonicOf(const QString &caption)
{
    const qsizetype amp = caption.indexOf(u'&');
    if (amp < 0 || amp == caption.size() - 1)
        return {};
    return caption.at(amp + 1);
}

void TGradBtn::mnemonicShortcut()
{
    const QChar mnemonic = mnemonicOf(caption_);
    if (mnemonic.isNull() || !mnemonic.isPrint()) {
        altMnemonic_->setKey(QKeySequence());
        return;
    }
    const QString upper = QLocale().toUpper(QString(mnemonic));
    altMnemonic_->setKey(QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(upper.at(0).unicode()))));
}

// --- Press, release, click ------------------------------------------------

void TGradBtn::exchangeColors()
{
    std::swap(beginColor_, endColor_);
}

void TGradBtn::DoPress(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    Q_EMIT mouseDown(button, shift, x, y);
    mouseIsDown_ = true;
    if (!isUp_)
        return;
    if (button == Qt::LeftButton) {
        isUp_ = false;
        if (swapColors_)
            exchangeColors();
    }
    setFocus(Qt::MouseFocusReason);
    update();
    if (menuShown_ || !dropdownMenu_ || button != Qt::LeftButton)
        return;
    const QPoint under = mapToGlobal(QPoint(0, height()));
    menuShown_ = true;
    const QPointer<TGradBtn> alive(this);
    menuRunning_ = true;
    dropdownMenu_->exec(under);
    if (!alive)
        return;
    menuRunning_ = false;
    DoRelease(button, shift, x, y);
    // The menu took the release of the button that opened it.
    leftHeld_ = false;
    clickPossible_ = false;
}

void TGradBtn::DoRelease(Qt::MouseButton button, TShiftState shift, int x, int y)
{
    Q_EMIT mouseUp(button, shift, x, y);
    mouseIsDown_ = false;
    if (clickHandled_) {
        clickHandled_ = false;
        return;
    }
    if (!isUp_) {
        if (swapColors_)
            exchangeColors();
        isUp_ = true;
        update();
    }
}

void TGradBtn::DoClick()
{
    if (mouseIsDown_) {
        mouseIsDown_ = false;
        clickHandled_ = true;
        if (!isUp_) {
            if (swapColors_)
                exchangeColors();
        }
        isUp_ = true;
        // The raised face is on the screen before the click's handler runs.
        repaint();
        QCoreApplication::processEvents();
    }
    Q_EMIT clicked();
}

// --- Framework deliveries -------------------------------------------------

void TGradBtn::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint at = event->position().toPoint();
    guarded([&] {
        // The pointer is over the button even if no enter was delivered.
        if (!pointerInside_)
            pointerEntered();
        if (event->button() == Qt::LeftButton) {
            leftHeld_ = true;
            clickPossible_ = true;
        }
        DoPress(event->button(), shiftOf(event), at.x(), at.y());
    });
}

void TGradBtn::mouseDoubleClickEvent(QMouseEvent *event)
{
    // The platform reports the second press of a double click: no click
    // may follow its release.
    event->accept();
    const QPoint at = event->position().toPoint();
    guarded([&] {
        if (!pointerInside_)
            pointerEntered();
        if (event->button() == Qt::LeftButton) {
            leftHeld_ = true;
            clickPossible_ = false;
        }
        DoPress(event->button(), shiftOf(event) | ssDouble, at.x(), at.y());
    });
}

void TGradBtn::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const QPoint at = event->position().toPoint();
    const Qt::MouseButton button = event->button();
    const TShiftState shift = shiftOf(event);
    // A click handler may close and destroy the window with the button.
    const QPointer<TGradBtn> alive(this);
    if (button == Qt::LeftButton) {
        // A dropdown menu already consumed this release.
        if (!leftHeld_)
            return;
        leftHeld_ = false;
        if (clickPossible_) {
            clickPossible_ = false;
            if (rect().contains(at))
                guarded([this] { DoClick(); });
        }
    }
    if (!alive)
        return;
    guarded([&] { DoRelease(button, shift, at.x(), at.y()); });
    if (alive && button == Qt::RightButton && popupMenu_)
        popupMenu_->popup(event->globalPosition().toPoint());
}

void TGradBtn::mouseMoveEvent(QMouseEvent *event)
{
    // While the left button is held Qt keeps enter and leave back until the
    // release; follow the pointer ourselves so that a drag off the button
    // raises its face and a drag back lowers it again.
    if (leftHeld_) {
        const bool inside = rect().contains(event->position().toPoint());
        if (inside && !pointerInside_)
            guarded([this] { pointerEntered(); });
        else if (!inside && pointerInside_)
            guarded([this] { pointerLeft(); });
    }
    QWidget::mouseMoveEvent(event);
}

void TGradBtn::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (!pointerInside_)
        guarded([this] { pointerEntered(); });
}

void TGradBtn::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    if (pointerInside_)
        guarded([this] { pointerLeft(); });
}

void TGradBtn::pointerEntered()
{
    pointerInside_ = true;
    if (leftHeld_)
        DoPress(Qt::LeftButton, ssLeft, 0, 0);
    Q_EMIT mouseEnter();
}

void TGradBtn::pointerLeft()
{
    pointerInside_ = false;
    if (leftHeld_)
        DoRelease(Qt::LeftButton, ssLeft, 0, 0);
    Q_EMIT mouseLeave();
}

void TGradBtn::keyPressEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
    // Each auto-repeat presses again; only the first moves the face.
    guarded([this] { DoPress(Qt::LeftButton, ssLeft, 0, 0); });
}

void TGradBtn::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() != Qt::Key_Space) {
        QWidget::keyReleaseEvent(event);
        return;
    }
    event->accept();
    if (event->isAutoRepeat() || !mouseIsDown_)
        return;
    const QPointer<TGradBtn> alive(this);
    guarded([this] { DoRelease(Qt::LeftButton, ssLeft, 0, 0); });
    if (alive)
        guarded([this] { DoClick(); });
}

void TGradBtn::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void TGradBtn::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void TGradBtn::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::EnabledChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
        update();
        break;
    case QEvent::ParentChange:
        watchWindow();
        break;
    default:
        break;
    }
}

bool TGradBtn::event(QEvent *event)
{
    const bool result = QWidget::event(event);
    if (event->type() == QEvent::WindowDeactivate)
        guarded([this] { cancelTracking(); });
    return result;
}

void TGradBtn::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    guarded([this] { cancelTracking(); });
}

// Another window took over while the left button was held here: the
// press ends as a release outside, so the face comes up and no click
// follows.
void TGradBtn::cancelTracking()
{
    if (!leftHeld_ || menuRunning_)
        return;
    leftHeld_ = false;
    clickPossible_ = false;
    DoRelease(Qt::LeftButton, TShiftState(), -1, -1);
}

void TGradBtn::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // The button may have been built before its window was put together.
    watchWindow();
}

void TGradBtn::contextMenuEvent(QContextMenuEvent *event)
{
    // PopupMenu is offered on the release of the right button.
    event->accept();
}

// --- Mnemonic -------------------------------------------------------------

void TGradBtn::watchWindow()
{
    QWidget *top = window();
    if (top == this)
        top = nullptr;
    if (top == watchedWindow_)
        return;
    if (watchedWindow_)
        watchedWindow_->removeEventFilter(this);
    watchedWindow_ = top;
    if (top)
        top->installEventFilter(this);
}

bool TGradBtn::eventFilter(QObject *watched, QEvent *event)
{
    // A key press reaches the window itself only when no control on the way
    // accepted it: that is the dialog character the button may answer.
    if (watched == watchedWindow_ && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
        if (!(modifiers & (Qt::ControlModifier | Qt::MetaModifier)) && !key->text().isEmpty()) {
            bool handled = false;
            guarded([&] { handled = dialogChar(key->text()); });
            if (handled) {
                key->accept();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool TGradBtn::dialogChar(const QString &typed)
{
    const QChar mnemonic = mnemonicOf(caption_);
    if (mnemonic.isNull() || typed.isEmpty() || !isEnabled() || !isVisible())
        return false;
    const QLocale locale;
    if (locale.toLower(typed) != locale.toLower(QString(mnemonic)))
        return false;
    DoClick();
    return true;
}

// --- Painting -------------------------------------------------------------

void TGradBtn::paintEvent(QPaintEvent *)
{
    guarded([this] { paintFace(); });
}

void TGradBtn::paintFace()
{
    const int W = width();
    const int H = height();
    if (W <= 0 || H <= 0)
        return;
    // Composed at the screen's own pixels: scaled, the caption is drawn at
    // the scaled size, not enlarged from 100 %.
    const qreal scale = devicePixelRatioF();
    const QSize pixels(qCeil(W * scale), qCeil(H * scale));
    if (faceBitmap_.size() != pixels || faceBitmap_.devicePixelRatio() != scale) {
        faceBitmap_ = QImage(pixels, QImage::Format_RGB32);
        faceBitmap_.setDevicePixelRatio(scale);
    }
    const QColor top = canvasColour(isUp_ ? btnHiliteClr_ : btnShadowClr_);
    const QColor bottom = canvasColour(isUp_ ? btnShadowClr_ : btnHiliteClr_);
    // At a fractional scale the last row and column of pixels are partly
    // the button's: they continue the bevel's bottom and right.
    if (pixels != QSize(W, H))
        faceBitmap_.fill(bottom);
    {
        QPainter canvas(&faceBitmap_);
        canvas.setFont(font());
        canvas.setRenderHint(QPainter::Antialiasing, false);
        FillFace(canvas, W, H, gradientStyle_, beginColor_, endColor_);
        if (dropdownMenu_)
            DrawArrow(canvas, W, H, canvasColour(fontColor_));
        const int pressOffset = isUp_ ? 0 : 1;
        DrawBevel(canvas, QRect(0, 0, W, H), top, bottom, btnFrameSize_);
        plainCaption_ = plainCaptionOf(caption_);
        textShift_ = dropdownMenu_ ? -6 : 0;
        drawCaption(canvas, pressOffset);
    }
    if (!kDesigning && showFocus_ && hasFocus())
        DrawFocusRect(faceBitmap_, QRect(QPoint(2, 2), QPoint(W - 3, H - 3)));
    QPainter screen(this);
    screen.setCompositionMode(QPainter::CompositionMode_Source);
    screen.drawImage(0, 0, faceBitmap_);
    if (isUp_)
        menuShown_ = false;
}

void TGradBtn::drawCaption(QPainter &canvas, int pressOffset)
{
    if (caption_.isEmpty())
        return;
    const QFontMetrics metrics = canvas.fontMetrics();
    const int textHeight = metrics.height();
    const int textWidth = metrics.horizontalAdvance(plainCaption_);
    const int W = width();
    const int H = height();
    const int y0 = (H - textHeight) / 2 + pressOffset;
    int x0 = 0;
    switch (justification_) {
    case jLeft:
        x0 = 2 + pressOffset;
        break;
    case jRight:
        x0 = W - textWidth - 8 + pressOffset + textShift_;
        break;
    case jCenter:
    default:
        x0 = (W - textWidth) / 2 + pressOffset + textShift_;
        break;
    }

    const bool heavy = textShadeType_ == stHeavy;
    struct Layer {
        bool drawn;
        TColor colour;
        int offset;
    };
    std::array<Layer, 3> layers{};
    if (!isEnabled()) {
        layers = {{{heavy, txtShadowClr_, -1}, {true, txtHiliteClr_, 1}, {true, disabledColor_, 0}}};
    } else if (textStyle_ == tsRaised) {
        layers = {{{true, txtHiliteClr_, -1}, {heavy, txtShadowClr_, 1}, {true, fontColor_, 0}}};
    } else if (textStyle_ == tsInset) {
        layers = {{{heavy, txtShadowClr_, -1}, {true, txtHiliteClr_, 1}, {true, fontColor_, 0}}};
    } else {
        layers = {{{false, 0, -1}, {false, 0, 1}, {true, fontColor_, 0}}};
    }

    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.setBrush(Qt::NoBrush);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextShowMnemonic
                      | Qt::TextDontClip;
    for (const Layer &layer : layers) {
        if (!layer.drawn)
            continue;
        canvas.setPen(canvasColour(layer.colour));
        canvas.drawText(QRect(x0 + layer.offset, y0 + layer.offset, textWidth + 1, textHeight),
                        flags, caption_);
    }
    canvas.setBrush(Qt::SolidPattern);
}
