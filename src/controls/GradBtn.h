#pragma once

#include "controls/cores.h"
#include "controls/face_fills.h"

#include <QImage>
#include <QMetaObject>
#include <QPointer>
#include <QString>
#include <QWidget>

class QMenu;
class QShortcut;

enum TTextStyle : quint8 { tsNormal, tsRaised, tsInset };
enum TShadeType : quint8 { stLight, stHeavy };
enum class TPreset : quint8 { None, GoldCoast, LimeBox, Aluminum, SunRise, BrassedOff };
enum TJustification : quint8 { jLeft, jCenter, jRight };

// The push button of our windows: a face filled between two colours, a
// bevel that inverts while held down, an optional dropdown arrow and a
// caption with its mnemonic. The face is composed off screen and copied in
// one piece; the background is never erased.
class TGradBtn final : public QWidget {
    Q_OBJECT

public:
    // The modifier keys and mouse buttons held, as the mouse operations
    // receive them; ssDouble marks a press reported as a double click.
    enum ShiftFlag : quint16 {
        ssShift = 0x01,
        ssAlt = 0x02,
        ssCtrl = 0x04,
        ssLeft = 0x08,
        ssRight = 0x10,
        ssMiddle = 0x20,
        ssDouble = 0x40,
    };
    Q_DECLARE_FLAGS(TShiftState, ShiftFlag)
    Q_FLAG(TShiftState)

    explicit TGradBtn(QWidget *parent = nullptr);
    ~TGradBtn() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString &caption);
    cofrel::TColor FontColor() const { return fontColor_; }
    void setFontColor(cofrel::TColor colour);
    bool TabStop() const;
    void setTabStop(bool tabStop);

    cofrel::TColor DisabledColor() const { return disabledColor_; }
    void setDisabledColor(cofrel::TColor colour);
    cofrel::TColor BtnHiliteClr() const { return btnHiliteClr_; }
    void setBtnHiliteClr(cofrel::TColor colour);
    cofrel::TColor BtnShadowClr() const { return btnShadowClr_; }
    void setBtnShadowClr(cofrel::TColor colour);
    int BtnFrameSize() const { return btnFrameSize_; }
    // Ignored when above width ÷ 2 − 5 or height ÷ 2 − 5 at the moment of
    // assignment; 0 or less draws no bevel.
    void setBtnFrameSize(int rings);
    cofrel::TColor TxtHiliteClr() const { return txtHiliteClr_; }
    void setTxtHiliteClr(cofrel::TColor colour);
    cofrel::TColor TxtShadowClr() const { return txtShadowClr_; }
    void setTxtShadowClr(cofrel::TColor colour);
    cofrel::TColor BeginColor() const { return beginColor_; }
    void setBeginColor(cofrel::TColor colour);
    cofrel::TColor EndColor() const { return endColor_; }
    void setEndColor(cofrel::TColor colour);
    // Stored without a repaint: the next repaint shows the change.
    bool SwapColors() const { return swapColors_; }
    void setSwapColors(bool swap);
    bool ShowFocus() const { return showFocus_; }
    void setShowFocus(bool show);
    TGradientStyle GradientStyle() const { return gradientStyle_; }
    void setGradientStyle(TGradientStyle style);
    TTextStyle TextStyle() const { return textStyle_; }
    void setTextStyle(TTextStyle style);
    TShadeType TextShadeType() const { return textShadeType_; }
    void setTextShadeType(TShadeType shade);
    // Presets apply only while a form is designed; no designer exists, so
    // at run time the assignment is ignored.
    TPreset Presets() const { return presets_; }
    void setPresets(TPreset preset);
    TJustification Justification() const { return justification_; }
    void setJustification(TJustification justification);
    QMenu *DropdownMenu() const;
    void setDropdownMenu(QMenu *menu);
    // The ordinary context menu of the right button.
    QMenu *PopupMenu() const;
    void setPopupMenu(QMenu *menu);

    void DoPress(Qt::MouseButton button, TShiftState shift, int x, int y);
    void DoRelease(Qt::MouseButton button, TShiftState shift, int x, int y);
    void DoClick();

    bool IsUp() const { return isUp_; }
    bool MouseIsDown() const { return mouseIsDown_; }
    bool ClickHandled() const { return clickHandled_; }
    bool MenuShown() const { return menuShown_; }
    int TextShift() const { return textShift_; }
    QString PlainCaption() const { return plainCaption_; }
    const QImage &FaceBitmap() const { return faceBitmap_; }

    // The caption without its mnemonic markers.
    static QString plainCaptionOf(const QString &caption);
    // The character after the caption's first "&", or a null QChar.
    static QChar mnemonicOf(const QString &caption);

Q_SIGNALS:
    void clicked();
    void mouseDown(Qt::MouseButton button, TGradBtn::TShiftState shift, int x, int y);
    void mouseUp(Qt::MouseButton button, TGradBtn::TShiftState shift, int x, int y);
    void mouseEnter();
    void mouseLeave();

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setColour(cofrel::TColor &field, cofrel::TColor value);
    void exchangeColors();
    void pointerEntered();
    void pointerLeft();
    void cancelTracking();
    bool dialogChar(const QString &typed);
    void mnemonicShortcut();
    void watchWindow();
    void menuDestroyed(QObject *menu);
    void paintFace();
    void drawCaption(QPainter &canvas, int pressOffset);

    bool menuShown_ = false;
    QPointer<QMenu> dropdownMenu_;
    QObject *dropdownTarget_ = nullptr;
    QMetaObject::Connection dropdownWatch_;
    int textShift_ = 0;
    cofrel::TColor disabledColor_ = cofrel::clGrayText;
    cofrel::TColor btnHiliteClr_ = cofrel::clBtnHighlight;
    cofrel::TColor btnShadowClr_ = cofrel::clBtnShadow;
    int btnFrameSize_ = 1;
    cofrel::TColor txtHiliteClr_ = cofrel::clBtnHighlight;
    cofrel::TColor txtShadowClr_ = cofrel::clBtnShadow;
    cofrel::TColor beginColor_ = cofrel::clGray;
    cofrel::TColor endColor_ = cofrel::clSilver;
    bool swapColors_ = false;
    bool showFocus_ = true;
    TGradientStyle gradientStyle_ = gsVertCenter;
    TTextStyle textStyle_ = tsRaised;
    TShadeType textShadeType_ = stLight;
    TJustification justification_ = jCenter;
    bool isUp_ = true;
    bool mouseIsDown_ = false;
    bool clickHandled_ = false;
    QImage faceBitmap_;
    TPreset presets_ = TPreset::None;
    QString plainCaption_;

    QString caption_;
    cofrel::TColor fontColor_ = cofrel::clBlack;
    QPointer<QMenu> popupMenu_;
    // The framework's marks: the left button held on this button, a click
    // still possible for the press under way, the pointer over the button.
    bool leftHeld_ = false;
    bool clickPossible_ = false;
    bool pointerInside_ = false;
    bool menuRunning_ = false;
    QShortcut *altMnemonic_ = nullptr;
    QPointer<QWidget> watchedWindow_;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TGradBtn::TShiftState)
