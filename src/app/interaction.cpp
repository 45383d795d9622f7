#include "app/interaction.h"

#include "app/cofrel_uteis.h"
#include "app/help_viewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QTranslator>

namespace cofrel {

namespace {

Interaction *&installed()
{
    static Interaction *current = nullptr;
    return current;
}

QWidget *dialogParent()
{
    // Modal to the task: owned by whichever window of ours is active.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

// Beside the title the window manager draws an icon and up to three
// buttons with their padding; this is room for them on common themes.
constexpr int MargemBarraDeTitulo = 100;

// A short text makes a box narrower than its title, which the window
// manager then cuts ("..."). The text's column is widened just enough for
// the box, which Qt sizes from its layout when shown, to show the title
// whole in the platform's title font, bold as most themes draw it.
void alargaParaOTitulo(QMessageBox &box)
{
    auto *texto = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!texto || !box.layout())
        return;
    QFont fonteTitulo = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    fonteTitulo.setBold(true);
    const int largura = QFontMetrics(fonteTitulo).horizontalAdvance(box.windowTitle()) + MargemBarraDeTitulo;
    const int natural = texto->sizeHint().width();
    texto->setMinimumWidth(largura); // the text's column now decides the width
    const int minimo = largura - (box.layout()->totalMinimumSize().width() - largura);
    texto->setMinimumWidth(minimo > natural ? minimo : 0);
}

// The message box's button for its details, in Portuguese: Qt's own
// captions are English unless its translations are installed.
class LegendasDetalhes final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (qstrcmp(context, "QMessageBox") != 0)
            return {};
        if (qstrcmp(sourceText, "Show Details...") == 0)
            return QStringLiteral("Mostrar &Detalhes...");
        if (qstrcmp(sourceText, "Hide Details...") == 0)
            return QStringLiteral("Ocultar &Detalhes...");
        return {};
    }
};

void showPlain(const QString &text, QMessageBox::Icon icon, const QString &details = {})
{
    QMessageBox box(icon, QString::fromUtf16(AppTitle), text, QMessageBox::Ok, dialogParent());
    if (!details.isEmpty()) {
        static const bool instaladas = QCoreApplication::installTranslator(new LegendasDetalhes(qApp));
        Q_UNUSED(instaladas);
        box.setDetailedText(details);
    }
    alargaParaOTitulo(box);
    box.exec();
}

} // namespace

Interaction &interaction()
{
    static DialogInteraction dialogs;
    return installed() ? *installed() : dialogs;
}

void setInteraction(Interaction *replacement)
{
    installed() = replacement;
}

void DialogInteraction::message(const QString &text)
{
    showPlain(text, QMessageBox::NoIcon);
}

bool DialogInteraction::question(const QString &text, const QString &title, QuestionIcon icon)
{
    QMessageBox box(icon == QuestionIcon::Question ? QMessageBox::Question : QMessageBox::NoIcon,
                    title, text, QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("&Sim"));
    box.button(QMessageBox::No)->setText(QStringLiteral("&Não"));
    alargaParaOTitulo(box);
    return box.exec() == QMessageBox::Yes;
}

void DialogInteraction::error(const QString &text, const QString &details)
{
    showPlain(text, QMessageBox::Critical, details);
}

void DialogInteraction::beep()
{
    QApplication::beep();
}

void DialogInteraction::showHelp(const QString &file, int context)
{
    HelpViewer::showTopic(file, context);
}

} // namespace cofrel
