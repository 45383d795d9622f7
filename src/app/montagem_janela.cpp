#include "app/montagem_janela.h"

#include "app/errors.h"
#include "app/escala_janela.h"
#include "app/guard.h"
#include "app/login_context.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImageReader>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QRawFont>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <cmath>

namespace cofrel {

using namespace Qt::StringLiterals;

QFont fonteJanela()
{
    QFont font;
    font.setFamilies(familiasJanela(1.0));
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::PreferDefault);
    return font;
}

QFont fonteRotulo()
{
    QFont font = fonteJanela();
    font.setBold(true);
    return font;
}

void registraFontes()
{
    const QString wineFont = QStringLiteral("/usr/share/wine/fonts/ms_sans_serif.ttf");
    if (QFile::exists(wineFont))
        QFontDatabase::addApplicationFont(wineFont);
}

void preparaJanela(QWidget *window, const QString &caption, QSize clientSize, Borda borda)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::MSWindowsFixedSizeDialogHint;
    switch (borda) {
    case Borda::Dialogo:
    case Borda::SimplesSistema:
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        break;
    case Borda::SemFechar:
        flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                | Qt::WindowMinimizeButtonHint | Qt::MSWindowsFixedSizeDialogHint;
        break;
    }
    window->setWindowFlags(flags);
    window->setWindowTitle(caption);
    window->setFont(fonteJanela());
    acompanhaEscala(window);
    window->setFixedSize(clientSize);
    centraNaTela(window);
}

void centraNaTela(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    window->move(area.x() + (area.width() - window->width()) / 2,
                 area.y() + (area.height() - window->height()) / 2);
}

namespace {

// The file is read, not mapped (a file cut short by another program while
// mapped would end the process), straight into the picture. Qt's reader
// is told the format first, so that a BMP never loads every image plugin
// to guess it; a file of another format is still recognised by its content.
QImage decodificaImagemFundo(const QString &file)
{
    QFile arquivo(file);
    if (!arquivo.open(QIODevice::ReadOnly))
        return {};
    QImageReader bmp(&arquivo, "bmp");
    bmp.setAutoDetectImageFormat(false);
    QImage decoded = bmp.read();
    if (decoded.isNull() && arquivo.seek(0))
        decoded = QImageReader(&arquivo).read();
    return decoded;
}

// The picture's identity on disk: its name, time and size, or its absence.
QString chaveDaImagem(const QFileInfo &info)
{
    if (!info.isFile())
        return u"cofrel-fundo:%1:ausente"_s.arg(info.absoluteFilePath());
    return u"cofrel-fundo:%1:%2:%3"_s.arg(info.absoluteFilePath())
        .arg(info.lastModified().toMSecsSinceEpoch())
        .arg(info.size());
}

// Every window shows the same picture: it is decoded once and shared (a
// QPixmap is implicitly shared), kept by Qt's pixmap cache under its key,
// so that a file replaced on disk is read again.
QPixmap carregaImagemFundo(const QString &file, const QString &chave)
{
    QPixmap picture;
    if (QPixmapCache::find(chave, &picture))
        return picture;
    QImage decoded = decodificaImagemFundo(file);
    if (decoded.isNull())
        return {};
    picture = QPixmap::fromImage(std::move(decoded));
    QPixmapCache::insert(chave, picture);
    return picture;
}

// The picture control. Scaled by a whole number (200 %), each pixel of the
// picture becomes a square of pixels, as sharp as at 100 %; only a
// fractional scale (150 %) needs the picture smoothed.
class ImagemFundo final : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        const qreal scale = devicePixelRatioF();
        if (qFuzzyCompare(scale, 1.0) || pixmap().isNull()) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, !qFuzzyCompare(scale, std::round(scale)));
        painter.drawPixmap(0, 0, pixmap());
    }
};

} // namespace

void bordaEntalhada(QFrame *panel)
{
    panel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    panel->setLineWidth(1);
    panel->setMidLineWidth(0);
}

QLabel *criaImagemFundo(QWidget *window)
{
    auto *image = new ImagemFundo(window);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(0, 0, window->width(), window->height());
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    image->lower();
    const QString file = loginContext().AppDir + QStringLiteral("fundo.bmp");
    const QString chave = chaveDaImagem(QFileInfo(file));
    const QPixmap picture = carregaImagemFundo(file, chave);
    if (!picture.isNull()) {
        image->setPixmap(picture);
        return image;
    }
    // The window works without it. Said once, not by each of the seven
    // windows that start-up makes; a different file is news again.
    static QString jaAvisada;
    if (chave != jaAvisada) {
        jaAvisada = chave;
        reportError(Error(QStringLiteral("Não foi possível carregar a imagem de fundo %1.").arg(file)));
    }
    return image;
}

namespace {

// True when the font engine draws this bold font exactly as the regular
// one: a family with a single face that it cannot embolden (the Wine "MS
// Sans Serif" is a bitmap font of one weight).
bool negritoSemEfeito(const QFont &bold)
{
    static QHash<QString, bool> known;
    const QString key = bold.key();
    if (const auto found = known.constFind(key); found != known.cend())
        return *found;
    QFont regular = bold;
    regular.setBold(false);
    const QRawFont boldFace = QRawFont::fromFont(bold);
    const QRawFont regularFace = QRawFont::fromFont(regular);
    const QList<quint32> glyphs = boldFace.glyphIndexesForString(u"H"_s);
    const auto glyph = [&glyphs](const QRawFont &face) {
        return face.alphaMapForGlyph(glyphs.first(), QRawFont::PixelAntialiasing);
    };
    const bool same = !glyphs.isEmpty() && boldFace.familyName() == regularFace.familyName()
                      && glyph(boldFace) == glyph(regularFace);
    known.insert(key, same);
    return same;
}

// A bold label, made as Windows makes the bold of a bitmap font, which has
// none: every character one pixel wider (the font's letter spacing) and the
// text struck twice, one pixel apart. Scaled, the scalable stand-in is
// struck the same way, the pixel scaled with it, so the labels keep their
// look; another font whose engine draws a bold keeps its own.
class RotuloNegrito final : public QLabel {
public:
    RotuloNegrito(const QString &text, QWidget *parent) : QLabel(text, parent) { setFont(fonteRotulo()); }

    QSize sizeHint() const override { return QLabel::sizeHint() + QSize(m_sintetico ? 1 : 0, 0); }
    QSize minimumSizeHint() const override { return QLabel::minimumSizeHint() + QSize(m_sintetico ? 1 : 0, 0); }

protected:
    void changeEvent(QEvent *event) override
    {
        QLabel::changeEvent(event);
        if (event->type() == QEvent::FontChange && !m_ajustando)
            ajustaNegrito();
    }

    void paintEvent(QPaintEvent *event) override
    {
        if (!m_sintetico) {
            QLabel::paintEvent(event);
            return;
        }
        QPainter painter(this);
        if (fonteEscalada(font())) {
            QFont regular = font();
            regular.setBold(false); // the engine's own bold would come on top
            painter.setFont(regular);
        }
        const QRect area = contentsRect().adjusted(margin(), margin(), -margin() - 1, -margin());
        const int flags = int(QStyle::visualAlignment(layoutDirection(), alignment()));
        for (const int dx : {0, 1})
            style()->drawItemText(&painter, area.translated(dx, 0), flags, palette(), isEnabled(), text(),
                                  foregroundRole());
    }

private:
    void ajustaNegrito()
    {
        QFont font = this->font();
        font.setLetterSpacing(QFont::AbsoluteSpacing, 0);
        m_sintetico = negritoSemEfeito(font) || fonteEscalada(font);
        const qreal espaco = m_sintetico ? 1 : 0;
        if (this->font().letterSpacing() != espaco) {
            font.setLetterSpacing(QFont::AbsoluteSpacing, espaco);
            const QScopedValueRollback ajustando(m_ajustando, true);
            setFont(font);
        }
        // Scaled, the stand-in may need a pixel or two more than the label
        // was given at 100 %; back at 100 % it gets its own width again.
        if (fonteEscalada(font)) {
            if (m_largura < 0)
                m_largura = width();
            resize(qMax(m_largura, sizeHint().width()), height());
        } else if (m_largura >= 0) {
            resize(m_largura, height());
            m_largura = -1;
        }
    }

    bool m_sintetico = false;
    bool m_ajustando = false;
    int m_largura = -1; // the width at 100 %, while scaled
};

} // namespace

QLabel *criaRotulo(QWidget *parent, const QString &name, const QString &text, int x, int y, bool bold)
{
    QLabel *label = nullptr;
    if (bold) {
        label = new RotuloNegrito(text, parent);
    } else {
        label = new QLabel(text, parent);
        label->setFont(fonteJanela());
    }
    label->setObjectName(name);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->adjustSize();
    label->move(x, y);
    return label;
}

} // namespace cofrel
