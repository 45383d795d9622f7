// Renders a sheet of gradient buttons (every face style, text style and
// state) to a PNG, so that a person can look at them side by side.
// Usage: gradbtn_sheet [file.png]   (runs offscreen without a display)

#include "app/montagem_janela.h"
#include "controls/GradBtn.h"
#include "controls/botao_cofrel.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPainter>

#include <cstdio>

using namespace Qt::StringLiterals;
using namespace cofrel;

namespace {

constexpr int kColumnWidth = 130;
constexpr int kRowHeight = 40;
constexpr int kLabelWidth = 150;

struct Sheet {
    QWidget *window;
    int row = 0;
    int column = 0;

    void title(const QString &text)
    {
        auto *label = new QLabel(text, window);
        label->setGeometry(8, 10 + row * kRowHeight, kLabelWidth - 8, 25);
        column = 0;
    }

    TGradBtn *button(const QString &caption, int width = 100, int height = 25)
    {
        auto *b = new TGradBtn(window);
        b->setGeometry(kLabelWidth + column * kColumnWidth, 10 + row * kRowHeight, width, height);
        b->setFont(fonteJanela());
        b->setCaption(caption);
        ++column;
        return b;
    }

    void next() { ++row; }
};

const char *const kStyleNames[] = {"gsHorizontal", "gsVertical",    "gsElliptic", "gsRectangle",
                                   "gsVertCenter", "gsHorizCenter", "gsNone"};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registraFontes();
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : u"gradbtn_sheet.png"_s;

    QWidget window;
    window.setFont(fonteJanela());
    window.setAutoFillBackground(true);
    Sheet sheet{&window};

    sheet.title(u"Faces navy → aqua"_s);
    for (int style = gsHorizontal; style <= gsNone; ++style) {
        if (style == gsVertCenter)
            sheet.next(), sheet.title(u"Faces (cont.)"_s);
        TGradBtn *b = sheet.button(QString::fromLatin1(kStyleNames[style]), 120, 25);
        b->setBeginColor(clNavy);
        b->setEndColor(clAqua);
        b->setGradientStyle(TGradientStyle(style));
        b->setTextStyle(tsNormal);
        b->setFontColor(style == gsNone ? clWhite : clYellow);
    }
    TGradBtn *initial = sheet.button(u"&Initial values"_s, 120, 25);
    Q_UNUSED(initial);
    sheet.next();

    sheet.title(u"Held down"_s);
    QList<TGradBtn *> held;
    for (TGradientStyle style : {gsVertical, gsElliptic, gsVertCenter}) {
        TGradBtn *b = sheet.button(QString::fromLatin1(kStyleNames[style]), 120, 25);
        b->setBeginColor(clNavy);
        b->setEndColor(clAqua);
        b->setGradientStyle(style);
        b->setTextStyle(tsNormal);
        b->setFontColor(clYellow);
        b->setBtnFrameSize(2);
        held << b;
    }
    TGradBtn *heldInitial = sheet.button(u"&Initial values"_s, 120, 25);
    held << heldInitial;
    sheet.next();

    sheet.title(u"Red → black, no bevel"_s);
    for (int style : {gsHorizontal, gsVertical, gsElliptic, gsRectangle, gsVertCenter, gsHorizCenter}) {
        TGradBtn *b = sheet.button(QString(), 120, 25);
        b->setBeginColor(clRed);
        b->setEndColor(clBlack);
        b->setGradientStyle(TGradientStyle(style));
        b->setBtnFrameSize(0);
    }
    sheet.next();

    sheet.title(u"Large faces (600 × 30)"_s);
    {
        TGradBtn *wide = sheet.button(u"gsRectangle 600 wide"_s, 600, 30);
        wide->setBeginColor(clYellow);
        wide->setEndColor(clRed);
        wide->setGradientStyle(gsRectangle);
        wide->setTextStyle(tsNormal);
    }
    sheet.next();

    sheet.title(u"System colour begin"_s);
    for (TGradientStyle style : {gsVertical, gsNone}) {
        TGradBtn *b = sheet.button(style == gsNone ? u"clBtnHighlight gsNone"_s : u"raw bytes"_s, 120, 25);
        b->setBeginColor(clBtnHighlight);
        b->setEndColor(clWhite);
        b->setGradientStyle(style);
        b->setTextStyle(tsNormal);
        b->setFontColor(style == gsNone ? clBlack : clYellow);
    }
    sheet.next();

    const struct {
        const char *name;
        TTextStyle style;
        TShadeType shade;
    } textForms[] = {{"tsNormal", tsNormal, stLight},
                     {"tsRaised stLight", tsRaised, stLight},
                     {"tsRaised stHeavy", tsRaised, stHeavy},
                     {"tsInset stLight", tsInset, stLight},
                     {"tsInset stHeavy", tsInset, stHeavy}};
    sheet.title(u"Text styles"_s);
    for (const auto &form : textForms) {
        TGradBtn *b = sheet.button(QString::fromLatin1(form.name), 120, 25);
        b->setGradientStyle(gsNone);
        b->setBeginColor(clSilver);
        b->setTextStyle(form.style);
        b->setTextShadeType(form.shade);
    }
    sheet.next();
    sheet.title(u"Disabled"_s);
    for (const auto &form : textForms) {
        TGradBtn *b = sheet.button(QString::fromLatin1(form.name), 120, 25);
        b->setGradientStyle(gsNone);
        b->setBeginColor(clSilver);
        b->setTextStyle(form.style);
        b->setTextShadeType(form.shade);
        b->setDisabledColor(clGray);
        b->setEnabled(false);
    }
    sheet.next();

    sheet.title(u"Our buttons"_s);
    criaBotaoCofrel(&window, u"buttonEntrar"_s, u"&Entrar"_s,
                    QRect(kLabelWidth, 10 + sheet.row * kRowHeight, 75, 23));
    TGradBtn *pressed = criaBotaoCofrel(&window, u"buttonPressed"_s, u"&Pressionado"_s,
                                        QRect(kLabelWidth + kColumnWidth, 10 + sheet.row * kRowHeight, 75, 23));
    TGradBtn *disabled = criaBotaoCofrel(&window, u"buttonDisabled"_s, u"E&xcluir valor"_s,
                                         QRect(kLabelWidth + 2 * kColumnWidth, 10 + sheet.row * kRowHeight, 84, 23));
    disabled->setEnabled(false);
    TGradBtn *focused = criaBotaoCofrel(&window, u"buttonFocused"_s, u"&Sair"_s,
                                        QRect(kLabelWidth + 3 * kColumnWidth, 10 + sheet.row * kRowHeight, 75, 23));
    TGradBtn *wideCaption = criaBotaoCofrel(&window, u"buttonWide"_s, u"&Legenda mais larga"_s,
                                            QRect(kLabelWidth + 4 * kColumnWidth, 10 + sheet.row * kRowHeight, 60, 23));
    Q_UNUSED(wideCaption);
    sheet.next();

    sheet.title(u"Dropdown, frames"_s);
    QMenu menu;
    menu.addAction(u"Um"_s);
    TGradBtn *dropdown = criaBotaoCofrel(&window, u"buttonMenu"_s, u"&Menu"_s,
                                         QRect(kLabelWidth, 10 + sheet.row * kRowHeight, 84, 23));
    dropdown->setDropdownMenu(&menu);
    TGradBtn *dropLeft = sheet.button(u"&Esquerda"_s, 100, 23);
    ++sheet.column;
    dropLeft->setGeometry(kLabelWidth + kColumnWidth, 10 + sheet.row * kRowHeight, 100, 23);
    dropLeft->setGradientStyle(gsNone);
    dropLeft->setBeginColor(CorBotao);
    dropLeft->setTextStyle(tsNormal);
    dropLeft->setJustification(jLeft);
    dropLeft->setDropdownMenu(&menu);
    for (int rings : {3, 6}) {
        TGradBtn *framed = sheet.button(u"Frame %1"_s.arg(rings), 84, 23);
        framed->setGradientStyle(gsVertical);
        framed->setBeginColor(clSilver);
        framed->setEndColor(clGray);
        framed->setBtnFrameSize(rings);
    }
    TGradBtn *swapped = sheet.button(u"Swap held"_s, 84, 23);
    swapped->setGradientStyle(gsNone);
    swapped->setBeginColor(CorBotao);
    swapped->setEndColor(clNavy);
    swapped->setSwapColors(true);
    swapped->setTextStyle(tsNormal);
    swapped->setFontColor(clWhite);
    sheet.next();

    window.resize(kLabelWidth + 6 * kColumnWidth, 20 + sheet.row * kRowHeight);
    window.show();
    window.activateWindow();
    QApplication::processEvents();

    pressed->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
    for (TGradBtn *b : held)
        b->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
    swapped->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
    focused->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();

    QImage image(window.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    window.render(&image);
    if (!image.save(output)) {
        std::fprintf(stderr, "gradbtn_sheet: cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("%s\n", qPrintable(output));
    return 0;
}
