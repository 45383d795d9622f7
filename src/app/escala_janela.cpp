#include "app/escala_janela.h"

#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QWidget>

namespace cofrel {

using namespace Qt::StringLiterals;

namespace {

bool usaBitmap(qreal dpr)
{
    return qFuzzyCompare(dpr, 1.0);
}

const QStringList &familiasEscaladas()
{
    static const QStringList familias{u"Tahoma"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s};
    return familias;
}

// The Wine "Tahoma" alone: its bold file only sets the regular outlines
// wider apart. Bold is drawn as at 100 % (montagem_janela).
void registraFonteEscalavel()
{
    static const bool registrada = [] {
        const QString file = u"/usr/share/wine/fonts/tahoma.ttf"_s;
        if (QFile::exists(file))
            QFontDatabase::addApplicationFont(file);
        return true;
    }();
    Q_UNUSED(registrada);
}

// A label sized to its text in the bitmap face gets the room the wider
// scaled face needs, its aligned edge kept where it was.
void daEspaco(QLabel *label)
{
    const int falta = label->sizeHint().width() - label->width();
    if (label->wordWrap() || falta <= 0)
        return;
    QRect area = label->geometry();
    if (label->alignment() & Qt::AlignRight)
        area.setLeft(area.left() - falta);
    else if (label->alignment() & Qt::AlignHCenter)
        area.adjust(-falta / 2, 0, falta - falta / 2, 0);
    else
        area.setRight(area.right() + falta);
    label->setGeometry(area);
}

class EscalaFontes final : public QObject {
public:
    explicit EscalaFontes(QWidget *window) : QObject(window) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::ScreenChangeInternal:
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        case QEvent::DevicePixelRatioChange:
#endif
            if (watched->isWidgetType())
                aplica(static_cast<QWidget *>(watched));
            break;
        default:
            break;
        }
        return false;
    }

private:
    void aplica(QWidget *window)
    {
        const qreal dpr = window->devicePixelRatioF();
        if (usaBitmap(dpr) == usaBitmap(m_dpr))
            return;
        const QStringList de = familiasJanela(m_dpr);
        const QStringList para = familiasJanela(dpr);
        m_dpr = dpr;
        QList<QWidget *> widgets = window->findChildren<QWidget *>();
        widgets.prepend(window);
        for (QWidget *widget : std::as_const(widgets)) {
            if (!widget->testAttribute(Qt::WA_SetFont) || widget->font().families() != de)
                continue; // inherited, or a font of its own (the report's)
            QFont font = widget->font();
            font.setFamilies(para);
            widget->setFont(font);
            if (auto *label = qobject_cast<QLabel *>(widget))
                daEspaco(label);
        }
    }

    qreal m_dpr = 1.0; // what the fonts are for
};

} // namespace

QStringList familiasJanela(qreal dpr)
{
    if (usaBitmap(dpr))
        return {u"MS Sans Serif"_s, u"Liberation Sans"_s, u"DejaVu Sans"_s};
    registraFonteEscalavel();
    return familiasEscaladas();
}

bool fonteEscalada(const QFont &font)
{
    return font.families() == familiasEscaladas();
}

void acompanhaEscala(QWidget *window)
{
    window->installEventFilter(new EscalaFontes(window));
}

} // namespace cofrel
