// What the gradient button paints: bevel rings, caption layers and
// positions, the dropdown arrow, the focus rectangle; its properties, the
// repaint rule and the one configuration of our windows.

#include "test_gradbtn_apoio.h"

#include "app/montagem_janela.h"
#include "controls/botao_cofrel.h"
#include "controls/cores.h"
#include "controls/face_fills.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QTest>

#include <functional>

using namespace cofrel;
using namespace gradbtn_test;

namespace {

QRgb rgbOf(TColor colour) { return rawRgb(colour) | 0xFF000000u; }

constexpr int kCaptionFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine
                              | Qt::TextShowMnemonic | Qt::TextDontClip;

// A plain button for pixel checks: white flat face, black flat caption,
// no bevel unless asked for, never focused.
TGradBtn *plainButton(QWidget *parent, int w, int h, const QString &caption = QString())
{
    auto *button = new TGradBtn(parent);
    button->setGeometry(10, 10, w, h);
    button->setFont(fonteJanela());
    button->setGradientStyle(gsNone);
    button->setBeginColor(clWhite);
    button->setTextStyle(tsNormal);
    button->setBtnFrameSize(0);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCaption(caption);
    return button;
}

// Paints the button now and returns its face as composed off screen.
QImage painted(TGradBtn *button)
{
    button->show();
    button->repaint();
    return button->FaceBitmap();
}

struct Layer {
    TColor colour;
    int dx;
    int dy;
};

// The face a caption should give: the flat face with each layer's text
// at its own offset, top-left corner of the text at (x, y).
QImage reference(const TGradBtn *button, TColor face, int x, int y, const QList<Layer> &layers)
{
    QImage image(button->size(), QImage::Format_RGB32);
    QPainter canvas(&image);
    FillFace(canvas, image.width(), image.height(), gsNone, face, face);
    canvas.setFont(button->font());
    const QFontMetrics metrics = canvas.fontMetrics();
    const int tw = metrics.horizontalAdvance(TGradBtn::plainCaptionOf(button->Caption()));
    for (const Layer &layer : layers) {
        canvas.setPen(toQColor(layer.colour));
        canvas.drawText(QRect(x + layer.dx, y + layer.dy, tw + 1, metrics.height()), kCaptionFlags,
                        button->Caption());
    }
    return image;
}

struct CaptionBox {
    int textWidth;
    int textHeight;
};

CaptionBox measure(const TGradBtn *button)
{
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter canvas(&scratch);
    canvas.setFont(button->font());
    const QFontMetrics metrics = canvas.fontMetrics();
    return {metrics.horizontalAdvance(TGradBtn::plainCaptionOf(button->Caption())), metrics.height()};
}

} // namespace

Q_DECLARE_METATYPE(TJustification)

namespace {

using Setter = std::function<void(TGradBtn &)>;
struct SetterCase {
    const char *name;
    Setter same;
    Setter different;
};

const QList<SetterCase> &setterCases()
{
    static const QList<SetterCase> cases{
        {"DisabledColor", [](TGradBtn &b) { b.setDisabledColor(clGrayText); },
         [](TGradBtn &b) { b.setDisabledColor(clSilver); }},
        {"BtnHiliteClr", [](TGradBtn &b) { b.setBtnHiliteClr(clBtnHighlight); },
         [](TGradBtn &b) { b.setBtnHiliteClr(clWhite); }},
        {"BtnShadowClr", [](TGradBtn &b) { b.setBtnShadowClr(clBtnShadow); },
         [](TGradBtn &b) { b.setBtnShadowClr(clBlack); }},
        {"BtnFrameSize", [](TGradBtn &b) { b.setBtnFrameSize(1); },
         [](TGradBtn &b) { b.setBtnFrameSize(2); }},
        {"TxtHiliteClr", [](TGradBtn &b) { b.setTxtHiliteClr(clBtnHighlight); },
         [](TGradBtn &b) { b.setTxtHiliteClr(clYellow); }},
        {"TxtShadowClr", [](TGradBtn &b) { b.setTxtShadowClr(clBtnShadow); },
         [](TGradBtn &b) { b.setTxtShadowClr(clMaroon); }},
        {"BeginColor", [](TGradBtn &b) { b.setBeginColor(clGray); },
         [](TGradBtn &b) { b.setBeginColor(clNavy); }},
        {"EndColor", [](TGradBtn &b) { b.setEndColor(clSilver); },
         [](TGradBtn &b) { b.setEndColor(clAqua); }},
        {"GradientStyle", [](TGradBtn &b) { b.setGradientStyle(gsVertCenter); },
         [](TGradBtn &b) { b.setGradientStyle(gsElliptic); }},
        {"TextStyle", [](TGradBtn &b) { b.setTextStyle(tsRaised); },
         [](TGradBtn &b) { b.setTextStyle(tsInset); }},
        {"TextShadeType", [](TGradBtn &b) { b.setTextShadeType(stLight); },
         [](TGradBtn &b) { b.setTextShadeType(stHeavy); }},
        {"Justification", [](TGradBtn &b) { b.setJustification(jCenter); },
         [](TGradBtn &b) { b.setJustification(jRight); }},
        {"Caption", [](TGradBtn &b) { b.setCaption(QStringLiteral("&Ok")); },
         [](TGradBtn &b) { b.setCaption(QStringLiteral("&Sair")); }},
        {"FontColor", [](TGradBtn &b) { b.setFontColor(clBlack); },
         [](TGradBtn &b) { b.setFontColor(clRed); }},
    };
    return cases;
}

} // namespace

class TestGradBtnPintura final : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        registraFontes();
        host = new QWidget;
        host->resize(400, 200);
        host->setAttribute(Qt::WA_DontShowOnScreen);
        host->show();
    }

    void initialValues()
    {
        TGradBtn button;
        QCOMPARE(button.DisabledColor(), clGrayText);
        QCOMPARE(button.BtnHiliteClr(), clBtnHighlight);
        QCOMPARE(button.BtnShadowClr(), clBtnShadow);
        QCOMPARE(button.BtnFrameSize(), 1);
        QCOMPARE(button.TxtHiliteClr(), clBtnHighlight);
        QCOMPARE(button.TxtShadowClr(), clBtnShadow);
        QCOMPARE(button.BeginColor(), clGray);
        QCOMPARE(button.EndColor(), clSilver);
        QCOMPARE(button.SwapColors(), false);
        QCOMPARE(button.ShowFocus(), true);
        QCOMPARE(button.GradientStyle(), gsVertCenter);
        QCOMPARE(button.TextStyle(), tsRaised);
        QCOMPARE(button.TextShadeType(), stLight);
        QVERIFY(button.Presets() == TPreset::None);
        QCOMPARE(button.Justification(), jCenter);
        QVERIFY(button.DropdownMenu() == nullptr);
        QVERIFY(button.PopupMenu() == nullptr);
        QCOMPARE(button.size(), QSize(75, 25));
        QCOMPARE(button.FontColor(), clBlack);
        QVERIFY(button.TabStop());
        QCOMPARE(button.focusPolicy(), Qt::StrongFocus);
        QVERIFY(button.testAttribute(Qt::WA_OpaquePaintEvent));
        QVERIFY(button.IsUp());
        QVERIFY(!button.MouseIsDown());
        QVERIFY(!button.ClickHandled());
        QVERIFY(!button.MenuShown());
        QCOMPARE(button.TextShift(), 0);
        QCOMPARE(button.FaceBitmap().size(), QSize(75, 25));
        QVERIFY(button.Caption().isEmpty());
    }

    void repaintOnlyOnChange_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < setterCases().size(); ++i)
            QTest::newRow(setterCases().at(i).name) << i;
    }

    void repaintOnlyOnChange()
    {
        QFETCH(int, index);
        const SetterCase &setter = setterCases().at(index);
        auto *button = new TGradBtn(host);
        button->setCaption(QStringLiteral("&Ok"));
        button->show();
        auto *counter = new PaintCounter(button);
        QTRY_VERIFY(counter->paints > 0);
        QCoreApplication::processEvents();

        counter->paints = 0;
        setter.same(*button);
        QCoreApplication::processEvents();
        QCOMPARE(counter->paints, 0);

        setter.different(*button);
        QCoreApplication::processEvents();
        QCOMPARE(counter->paints, 1);
        delete button;
    }

    void swapColorsAndShowFocusWaitForNextRepaint()
    {
        auto *button = plainButton(host, 60, 23, QStringLiteral("x"));
        button->show();
        auto *counter = new PaintCounter(button);
        QTRY_VERIFY(counter->paints > 0);
        QCoreApplication::processEvents();
        counter->paints = 0;
        button->setSwapColors(true);
        button->setShowFocus(false);
        QCoreApplication::processEvents();
        QCOMPARE(counter->paints, 0);
        QVERIFY(button->SwapColors());
        QVERIFY(!button->ShowFocus());
        // The change shows at the next repaint: held down, the colours swap.
        button->setEndColor(clNavy);
        button->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
        QCOMPARE(painted(button).pixel(30, 2), rgbOf(clNavy));
        button->DoRelease(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
        QCOMPARE(painted(button).pixel(30, 2), rgbOf(clWhite));
        delete button;
    }

    void btnFrameSizeLimits_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("rings");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("84x23: 6 accepted") << QSize(84, 23) << 6 << true;
        QTest::newRow("84x23: 7 ignored") << QSize(84, 23) << 7 << false;
        QTest::newRow("84x23: 0 accepted") << QSize(84, 23) << 0 << true;
        QTest::newRow("84x23: -1 accepted") << QSize(84, 23) << -1 << true;
        QTest::newRow("75x25: 7 accepted") << QSize(75, 25) << 7 << true;
        QTest::newRow("75x25: 8 ignored") << QSize(75, 25) << 8 << false;
        QTest::newRow("20x60: width limits to 5") << QSize(20, 60) << 5 << true;
        QTest::newRow("20x60: 6 ignored") << QSize(20, 60) << 6 << false;
        QTest::newRow("75x9: 0 ignored") << QSize(75, 9) << 0 << false;
        QTest::newRow("75x9: -1 accepted") << QSize(75, 9) << -1 << true;
    }

    void btnFrameSizeLimits()
    {
        QFETCH(QSize, size);
        QFETCH(int, rings);
        QFETCH(bool, accepted);
        TGradBtn button;
        button.resize(size);
        button.setBtnFrameSize(rings);
        QCOMPARE(button.BtnFrameSize(), accepted ? rings : 1);
    }

    void btnFrameSizeNotCheckedAgainOnResize()
    {
        TGradBtn button;
        button.resize(84, 23);
        button.setBtnFrameSize(6);
        button.resize(30, 12);
        QCOMPARE(button.BtnFrameSize(), 6);
        painted(&button); // rings beyond the middle must not fail
    }

    void presetsIgnoredAtRunTime()
    {
        TGradBtn button;
        button.setFont(fonteJanela());
        const QFont font = button.font();
        for (TPreset preset : {TPreset::GoldCoast, TPreset::LimeBox, TPreset::Aluminum, TPreset::SunRise,
                               TPreset::BrassedOff, TPreset::None}) {
            button.setPresets(preset);
            QVERIFY(button.Presets() == TPreset::None);
            QCOMPARE(button.BeginColor(), clGray);
            QCOMPARE(button.EndColor(), clSilver);
            QCOMPARE(button.DisabledColor(), clGrayText);
            QCOMPARE(button.GradientStyle(), gsVertCenter);
            QCOMPARE(button.TextStyle(), tsRaised);
            QCOMPARE(button.FontColor(), clBlack);
            QCOMPARE(button.font(), font);
        }
    }

    void bevelRingPixels_data()
    {
        QTest::addColumn<int>("rings");
        QTest::addColumn<bool>("held");
        QTest::addColumn<QSize>("size");
        for (int rings : {1, 2, 6}) {
            QTest::addRow("%d ring(s), up", rings) << rings << false << QSize(84, 23);
            QTest::addRow("%d ring(s), held", rings) << rings << true << QSize(84, 23);
        }
        QTest::newRow("3 rings on 75x25") << 3 << false << QSize(75, 25);
    }

    void bevelRingPixels()
    {
        QFETCH(int, rings);
        QFETCH(bool, held);
        QFETCH(QSize, size);
        auto *button = plainButton(host, size.width(), size.height());
        button->setBtnHiliteClr(clYellow);
        button->setBtnShadowClr(clBlue);
        button->setBtnFrameSize(rings);
        QCOMPARE(button->BtnFrameSize(), rings);
        if (held)
            button->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
        const QImage face = painted(button);
        const QRgb top = rgbOf(held ? clBlue : clYellow);
        const QRgb bottom = rgbOf(held ? clYellow : clBlue);
        const int r = size.width() - 1;
        const int b = size.height() - 1;
        for (int y = 0; y <= b; ++y) {
            for (int x = 0; x <= r; ++x) {
                const int ring = std::min({x, y, r - x, b - y});
                QRgb expected = rgbOf(clWhite);
                if (ring < rings) {
                    const bool bottomSide = x == r - ring || y == b - ring;
                    expected = bottomSide ? bottom : top;
                }
                QVERIFY2(face.pixel(x, y) == expected, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
        // The corners: top-left in the top colour, the other three in the bottom one.
        QCOMPARE(face.pixel(0, 0), top);
        QCOMPARE(face.pixel(r, 0), bottom);
        QCOMPARE(face.pixel(0, b), bottom);
        QCOMPARE(face.pixel(r, b), bottom);
        QCOMPARE(face.pixel(r - 1, 0), top);
        QCOMPARE(face.pixel(0, b - 1), top);
        delete button;
    }

    void bevelSystemColoursResolved()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Light, QColor(3, 250, 7));
        palette.setColor(QPalette::Mid, QColor(9, 11, 240));
        QApplication::setPalette(palette);
        auto *button = plainButton(host, 75, 25);
        button->setGradientStyle(gsVertical);
        button->setBeginColor(clBtnHighlight);
        button->setEndColor(clBtnHighlight);
        button->setBtnFrameSize(1);
        const QImage face = painted(button);
        QCOMPARE(face.pixel(0, 0), qRgb(3, 250, 7));   // bevel: resolved
        QCOMPARE(face.pixel(74, 24), qRgb(9, 11, 240)); // clBtnShadow resolved
        QCOMPARE(face.pixel(30, 10), qRgb(20, 0, 0));   // fill: raw bytes
        delete button;
        QApplication::setPalette(QPalette());
    }

    void noBevelAtZeroOrLess_data()
    {
        QTest::addColumn<int>("rings");
        QTest::newRow("0") << 0;
        QTest::newRow("-1") << -1;
    }

    void noBevelAtZeroOrLess()
    {
        QFETCH(int, rings);
        auto *button = plainButton(host, 84, 23);
        button->setBtnFrameSize(3);
        button->setBtnFrameSize(rings);
        QCOMPARE(button->BtnFrameSize(), rings);
        for (bool held : {false, true}) {
            if (held)
                button->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
            const QImage face = painted(button);
            for (int y = 0; y < 23; ++y)
                for (int x = 0; x < 84; ++x)
                    QCOMPARE(face.pixel(x, y), rgbOf(clWhite));
        }
        delete button;
    }

    void plainCaption_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("plain");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("&Sair") << QStringLiteral("&Sair") << QStringLiteral("Sair");
        QTest::newRow("E&xcluir valor") << QStringLiteral("E&xcluir valor") << QStringLiteral("Excluir valor");
        QTest::newRow("doubled") << QStringLiteral("A&&B") << QStringLiteral("A&B");
        QTest::newRow("last kept") << QStringLiteral("Sair&") << QStringLiteral("Sair&");
        QTest::newRow("only &") << QStringLiteral("&") << QStringLiteral("&");
        QTest::newRow("accents") << QStringLiteral("&Não") << QStringLiteral("Não");
        QTest::newRow("no marker") << QStringLiteral("OK") << QStringLiteral("OK");
    }

    void plainCaption()
    {
        QFETCH(QString, caption);
        QFETCH(QString, plain);
        QCOMPARE(TGradBtn::plainCaptionOf(caption), plain);
        auto *button = plainButton(host, 75, 25, caption);
        painted(button);
        QCOMPARE(button->PlainCaption(), plain);
        delete button;
    }

    void mnemonicCharacter_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("mnemonic");
        QTest::newRow("&Entrar") << QStringLiteral("&Entrar") << QStringLiteral("E");
        QTest::newRow("E&xcluir") << QStringLiteral("E&xcluir valor") << QStringLiteral("x");
        QTest::newRow("none") << QStringLiteral("Entrar") << QString();
        QTest::newRow("last character") << QStringLiteral("Entrar&") << QString();
        QTest::newRow("first & decides") << QStringLiteral("Sim && &Não") << QStringLiteral("&");
    }

    void mnemonicCharacter()
    {
        QFETCH(QString, caption);
        QFETCH(QString, mnemonic);
        const QChar c = TGradBtn::mnemonicOf(caption);
        QCOMPARE(c.isNull() ? QString() : QString(c), mnemonic);
    }

    void captionPosition_data()
    {
        QTest::addColumn<TJustification>("justification");
        QTest::addColumn<bool>("dropdown");
        QTest::addColumn<bool>("held");
        QTest::addColumn<int>("width");
        QTest::newRow("centred") << jCenter << false << false << 84;
        QTest::newRow("centred, held") << jCenter << false << true << 84;
        QTest::newRow("centred, dropdown") << jCenter << true << false << 84;
        QTest::newRow("centred, dropdown, held") << jCenter << true << true << 84;
        QTest::newRow("centred, odd width") << jCenter << false << false << 77;
        QTest::newRow("left") << jLeft << false << false << 84;
        QTest::newRow("left, dropdown") << jLeft << true << false << 84;
        QTest::newRow("left, held") << jLeft << false << true << 84;
        QTest::newRow("right") << jRight << false << false << 84;
        QTest::newRow("right, dropdown") << jRight << true << false << 84;
    }

    void captionPosition()
    {
        QFETCH(TJustification, justification);
        QFETCH(bool, dropdown);
        QFETCH(bool, held);
        QFETCH(int, width);
        QMenu menu;
        auto *button = plainButton(host, width, 23, QStringLiteral("&Sair"));
        button->setJustification(justification);
        // Pressed before the menu is attached, so that no menu opens.
        if (held)
            button->DoPress(Qt::LeftButton, TGradBtn::ssLeft, 0, 0);
        if (dropdown)
            button->setDropdownMenu(&menu);
        const QImage face = painted(button);
        const CaptionBox box = measure(button);
        const int press = held ? 1 : 0;
        const int shift = dropdown ? -6 : 0;
        QCOMPARE(button->TextShift(), shift);
        const int y0 = (23 - box.textHeight) / 2 + press;
        int x0 = 0;
        if (justification == jLeft)
            x0 = 2 + press;
        else if (justification == jCenter)
            x0 = (width - box.textWidth) / 2 + press + shift;
        else
            x0 = width - box.textWidth - 8 + press + shift;

        QImage expected = reference(button, clWhite, x0, y0, {{clBlack, 0, 0}});
        if (dropdown) {
            // The arrow is checked on its own; leave its pixels out here.
            for (int y = 0; y < 23; ++y)
                for (int x = width - 14; x < width - 7; ++x)
                    expected.setPixel(x, y, face.pixel(x, y));
        }
        QCOMPARE(face, expected);
        // A caption one pixel off would not match.
        QVERIFY(face != reference(button, clWhite, x0 - 1, y0, {{clBlack, 0, 0}}));
        QVERIFY(face != reference(button, clWhite, x0, y0 + 1, {{clBlack, 0, 0}}));
        delete button;
    }

    void captionWiderThanFaceTruncatesTowardZero()
    {
        auto *button = plainButton(host, 75, 23, QStringLiteral("&Legenda bem mais larga"));
        const CaptionBox box = measure(button);
        button->resize(box.textWidth - 5, 23); // W − TW = −5
        const QImage face = painted(button);
        const int y0 = (23 - box.textHeight) / 2;
        QCOMPARE(face, reference(button, clWhite, -2, y0, {{clBlack, 0, 0}}));
        QVERIFY(face != reference(button, clWhite, -3, y0, {{clBlack, 0, 0}}));
        delete button;
    }

    void mnemonicUnderlined()
    {
        auto *button = plainButton(host, 84, 23, QStringLiteral("&Sair"));
        const QImage withMarker = painted(button);
        button->setCaption(QStringLiteral("Sair"));
        const QImage without = painted(button);
        // Same text, same place: only the underline under the S differs.
        QVERIFY(withMarker != without);
        int differing = 0;
        int lowestRow = -1;
        int highestRow = 1000;
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 84; ++x)
                if (withMarker.pixel(x, y) != without.pixel(x, y)) {
                    ++differing;
                    lowestRow = std::max(lowestRow, y);
                    highestRow = std::min(highestRow, y);
                }
        QVERIFY(differing > 2);
        QVERIFY(lowestRow - highestRow <= 1); // a line, not a second glyph
        // "&&" draws one "&" and underlines nothing.
        button->setCaption(QStringLiteral("A&&B"));
        const QImage doubled = painted(button);
        button->setCaption(QStringLiteral("A&B"));
        QCOMPARE(button->PlainCaption(), QStringLiteral("A&B"));
        auto *single = plainButton(host, 84, 23, QStringLiteral("A&&B"));
        QCOMPARE(doubled, painted(single));
        const CaptionBox box = measure(single);
        QCOMPARE(box.textWidth, QFontMetrics(single->font()).horizontalAdvance(QStringLiteral("A&B")));
        delete single;
        delete button;
    }

    void textLayers_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("shade");
        QTest::addColumn<QString>("layers"); // colour letter and offset, in drawing order
        // H = TxtHiliteClr, S = TxtShadowClr, F = font colour, D = DisabledColor
        QTest::newRow("tsNormal") << true << int(tsNormal) << int(stLight) << QStringLiteral("F0");
        QTest::newRow("tsNormal heavy") << true << int(tsNormal) << int(stHeavy) << QStringLiteral("F0");
        QTest::newRow("tsRaised light") << true << int(tsRaised) << int(stLight) << QStringLiteral("H- F0");
        QTest::newRow("tsRaised heavy") << true << int(tsRaised) << int(stHeavy) << QStringLiteral("H- S+ F0");
        QTest::newRow("tsInset light") << true << int(tsInset) << int(stLight) << QStringLiteral("H+ F0");
        QTest::newRow("tsInset heavy") << true << int(tsInset) << int(stHeavy) << QStringLiteral("S- H+ F0");
        QTest::newRow("disabled tsRaised light") << false << int(tsRaised) << int(stLight)
                                                 << QStringLiteral("H+ D0");
        QTest::newRow("disabled tsRaised heavy") << false << int(tsRaised) << int(stHeavy)
                                                 << QStringLiteral("S- H+ D0");
        QTest::newRow("disabled tsNormal light") << false << int(tsNormal) << int(stLight)
                                                 << QStringLiteral("H+ D0");
    }

    void textLayers()
    {
        QFETCH(bool, enabled);
        QFETCH(int, style);
        QFETCH(int, shade);
        QFETCH(QString, layers);
        auto *button = plainButton(host, 84, 23, QStringLiteral("&Entrar"));
        button->setTextStyle(TTextStyle(style));
        button->setTextShadeType(TShadeType(shade));
        button->setTxtHiliteClr(clYellow);
        button->setTxtShadowClr(clBlue);
        button->setFontColor(clRed);
        button->setDisabledColor(clGreen);
        button->setEnabled(enabled);
        const QImage face = painted(button);

        QList<Layer> expectedLayers;
        for (const QString &layer : layers.split(u' ')) {
            const TColor colour = layer[0] == u'H' ? clYellow
                                  : layer[0] == u'S' ? clBlue
                                  : layer[0] == u'F' ? clRed
                                                     : clGreen;
            const int d = layer[1] == u'-' ? -1 : layer[1] == u'+' ? 1 : 0;
            expectedLayers << Layer{colour, d, d};
        }
        const CaptionBox box = measure(button);
        const int x0 = (84 - box.textWidth) / 2;
        const int y0 = (23 - box.textHeight) / 2;
        QCOMPARE(face, reference(button, clWhite, x0, y0, expectedLayers));
        delete button;
    }

    void dropdownArrowPixels()
    {
        QMenu menu;
        auto *button = plainButton(host, 84, 23);
        button->setFontColor(clMaroon);
        button->setDropdownMenu(&menu);
        for (bool enabled : {true, false}) {
            button->setEnabled(enabled);
            const QImage face = painted(button);
            const int y = (23 - 4) / 2;
            QCOMPARE(y, 9);
            for (int py = 0; py < 23; ++py) {
                for (int px = 0; px < 84; ++px) {
                    const int row = py - y;
                    const bool inArrow = row >= 0 && row <= 3 && px >= 84 - 14 + row && px <= 84 - 8 - row;
                    QCOMPARE(face.pixel(px, py), rgbOf(inArrow ? clMaroon : clWhite));
                }
            }
        }
        delete button;
    }

    void destroyedMenuRemovesArrow()
    {
        auto *menu = new QMenu;
        auto *button = plainButton(host, 84, 23, QStringLiteral("&Menu"));
        button->setDropdownMenu(menu);
        button->show();
        QTRY_COMPARE(button->FaceBitmap().pixel(84 - 11, 9), rgbOf(clBlack));
        auto *counter = new PaintCounter(button);
        delete menu;
        QVERIFY(button->DropdownMenu() == nullptr);
        QTRY_VERIFY(counter->paints > 0);
        QCOMPARE(button->FaceBitmap().pixel(84 - 11, 9), rgbOf(clWhite));
        QCOMPARE(button->TextShift(), 0);
        delete button;
    }

    void emptyCaptionPaintsFaceAndBevelOnly()
    {
        auto *button = plainButton(host, 75, 25);
        button->setGradientStyle(gsHorizontal);
        button->setBeginColor(clNavy);
        button->setEndColor(clAqua);
        button->setBtnFrameSize(1);
        button->setBtnHiliteClr(clWhite);
        button->setBtnShadowClr(clBlack);
        const QImage face = painted(button);
        QImage expected(75, 25, QImage::Format_RGB32);
        FillFace(expected, gsHorizontal, clNavy, clAqua);
        for (int x = 0; x < 74; ++x)
            expected.setPixel(x, 0, rgbOf(clWhite));
        for (int y = 0; y < 24; ++y)
            expected.setPixel(0, y, rgbOf(clWhite));
        for (int x = 0; x < 75; ++x)
            expected.setPixel(x, 24, rgbOf(clBlack));
        for (int y = 0; y < 25; ++y)
            expected.setPixel(74, y, rgbOf(clBlack));
        QCOMPARE(face, expected);
        QCOMPARE(button->PlainCaption(), QString());
        delete button;
    }

    void focusRectangleInvertsDottedOutline()
    {
        auto window = shownWindow();
        auto *button = plainButton(window.get(), 84, 23, QString());
        auto *other = new QWidget(window.get());
        other->setFocusPolicy(Qt::StrongFocus);
        other->setGeometry(150, 10, 20, 20);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setGradientStyle(gsVertical);
        button->setBeginColor(clYellow);
        button->setEndColor(clNavy);
        QVERIFY(showAndActivate(window.get()));
        other->setFocus();
        QTRY_VERIFY(other->hasFocus());
        const QImage unfocused = painted(button);
        button->setFocus();
        QTRY_VERIFY(button->hasFocus());
        const QImage focused = painted(button);
        for (int y = 0; y < 23; ++y) {
            for (int x = 0; x < 84; ++x) {
                const bool onOutline = (x >= 2 && x <= 81 && y >= 2 && y <= 20)
                                       && (x == 2 || x == 81 || y == 2 || y == 20);
                const bool inverted = onOutline && (x + y) % 2 == 0;
                const QRgb expected = inverted ? (unfocused.pixel(x, y) ^ 0x00FFFFFFu) : unfocused.pixel(x, y);
                QVERIFY2(focused.pixel(x, y) == expected, qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            }
        }
        // Without ShowFocus the focused face is the unfocused one.
        button->setShowFocus(false);
        QCOMPARE(painted(button), unfocused);
        // Losing the focus repaints without the rectangle.
        button->setShowFocus(true);
        QCOMPARE(painted(button), focused);
        auto *counter = new PaintCounter(button);
        other->setFocus();
        QTRY_VERIFY(counter->paints > 0);
        QCOMPARE(button->FaceBitmap(), unfocused);
    }

    void opaquePaintNeverErases()
    {
        auto window = shownWindow();
        window->setAutoFillBackground(true);
        QPalette palette = window->palette();
        palette.setColor(QPalette::Window, QColor(1, 2, 3));
        window->setPalette(palette);
        auto *button = criaBotaoCofrel(window.get(), QStringLiteral("buttonOK"), QStringLiteral("&OK"),
                                       QRect(20, 20, 75, 23));
        QVERIFY(showAndActivate(window.get()));
        QVERIFY(button->testAttribute(Qt::WA_OpaquePaintEvent));
        const QImage onScreen = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage face = button->FaceBitmap();
        // The window shows exactly the face bitmap where the button is.
        QCOMPARE(onScreen.copy(QRect(20, 20, 75, 23)), face);
    }

    void factoryConfiguration()
    {
        QWidget parent;
        TGradBtn *button = criaBotaoCofrel(&parent, QStringLiteral("buttonEntrar"), QStringLiteral("&Entrar"),
                                           QRect(16, 200, 75, 25));
        QVERIFY(button);
        QCOMPARE(button->parentWidget(), &parent);
        QCOMPARE(button->objectName(), QStringLiteral("buttonEntrar"));
        QCOMPARE(button->Caption(), QStringLiteral("&Entrar"));
        QCOMPARE(button->geometry(), QRect(16, 200, 75, 23));
        QCOMPARE(button->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(button->GradientStyle(), gsNone);
        QCOMPARE(button->BeginColor(), TColor(0x00AAEEFF));
        QCOMPARE(button->BeginColor(), TColor(11202303));
        QCOMPARE(button->EndColor(), clNavy);
        QCOMPARE(button->SwapColors(), false);
        QCOMPARE(button->TextStyle(), tsNormal);
        QCOMPARE(button->DisabledColor(), clSilver);
        QCOMPARE(button->font(), fonteJanela());
        QCOMPARE(button->FontColor(), clBlack);
        QVERIFY(button->TabStop());
        QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
        // All the rest keeps its initial value.
        QCOMPARE(button->BtnFrameSize(), 1);
        QCOMPARE(button->BtnHiliteClr(), clBtnHighlight);
        QCOMPARE(button->BtnShadowClr(), clBtnShadow);
        QCOMPARE(button->Justification(), jCenter);
        QCOMPARE(button->ShowFocus(), true);
        QCOMPARE(button->TextShadeType(), stLight);
        QVERIFY(button->DropdownMenu() == nullptr);
    }

    void factoryFace()
    {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Light, QColor(250, 251, 252));
        palette.setColor(QPalette::Mid, QColor(100, 101, 102));
        QApplication::setPalette(palette);
        TGradBtn *button = criaBotaoCofrel(host, QStringLiteral("buttonSair"), QStringLiteral("&Sair"),
                                           QRect(10, 10, 75, 23));
        button->setFocusPolicy(Qt::NoFocus);
        const QImage face = painted(button);
        const QRgb paleYellow = qRgb(255, 238, 170);
        QCOMPARE(face.pixel(3, 3), paleYellow);
        QCOMPARE(face.pixel(71, 19), paleYellow);
        QCOMPARE(face.pixel(0, 0), qRgb(250, 251, 252));
        QCOMPARE(face.pixel(1, 1), paleYellow);
        QCOMPARE(face.pixel(74, 22), qRgb(100, 101, 102));
        // The caption is black, centred, with no shadow layers.
        const CaptionBox box = measure(button);
        QImage expected = reference(button, CorBotao, (75 - box.textWidth) / 2, (23 - box.textHeight) / 2,
                                    {{clBlack, 0, 0}});
        QPainter bevel(&expected);
        bevel.fillRect(QRect(0, 0, 74, 1), QColor(250, 251, 252));
        bevel.fillRect(QRect(0, 0, 1, 22), QColor(250, 251, 252));
        bevel.fillRect(QRect(74, 0, 1, 23), QColor(100, 101, 102));
        bevel.fillRect(QRect(0, 22, 75, 1), QColor(100, 101, 102));
        bevel.end();
        QCOMPARE(face, expected);
        // Disabled: silver over a highlight copy one pixel right and down.
        button->setEnabled(false);
        QImage disabled = reference(button, CorBotao, (75 - box.textWidth) / 2, (23 - box.textHeight) / 2,
                                    {{clBtnHighlight, 1, 1}, {clSilver, 0, 0}});
        QPainter bevel2(&disabled);
        bevel2.fillRect(QRect(0, 0, 74, 1), QColor(250, 251, 252));
        bevel2.fillRect(QRect(0, 0, 1, 22), QColor(250, 251, 252));
        bevel2.fillRect(QRect(74, 0, 1, 23), QColor(100, 101, 102));
        bevel2.fillRect(QRect(0, 22, 75, 1), QColor(100, 101, 102));
        bevel2.end();
        QCOMPARE(painted(button), disabled);
        delete button;
        QApplication::setPalette(QPalette());
    }

private:
    QWidget *host = nullptr;
};

QTEST_MAIN(TestGradBtnPintura)
#include "test_gradbtn_pintura.moc"
