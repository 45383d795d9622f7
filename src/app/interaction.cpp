#include "app/interaction.h"

#include "app/cofrel_uteis.h"
#include "app/help_viewer.h"

#include <QAbstractButton>
#include <QApplication>
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
