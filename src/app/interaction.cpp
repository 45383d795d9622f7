#include "app/interaction.h"

#include "app/cofrel_uteis.h"
#include "app/help_viewer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QHash>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QStandardPaths>
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

// Qt's own captions in the boxes and the file dialog, in Portuguese: they
// are English unless Qt's translations are installed.
class LegendasQt final : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        static const QHash<QByteArray, QString> caixa{
            {"Show Details...", QStringLiteral("Mostrar &Detalhes...")},
            {"Hide Details...", QStringLiteral("Ocultar &Detalhes...")},
        };
        static const QHash<QByteArray, QString> arquivos{
            {"Look in:", QStringLiteral("Examinar:")},
            {"File &name:", QStringLiteral("&Nome do arquivo:")},
            {"Files of type:", QStringLiteral("Arquivos do tipo:")},
            {"Back", QStringLiteral("Voltar")},
            {"Forward", QStringLiteral("Avançar")},
            {"Parent Directory", QStringLiteral("Pasta acima")},
            {"Create New Folder", QStringLiteral("Criar pasta")},
            {"List View", QStringLiteral("Lista")},
            {"Detail View", QStringLiteral("Detalhes")},
            {"Recent Places", QStringLiteral("Locais recentes")},
            {"Show &hidden files", QStringLiteral("Mostrar arquivos &ocultos")},
            {"&New Folder", QStringLiteral("&Nova pasta")},
            {"&Delete", QStringLiteral("&Excluir")},
            {"&Rename", QStringLiteral("&Renomear")},
            {"&Open", QStringLiteral("&Abrir")},
            {"Open", QStringLiteral("Abrir")},
            {"Cancel", QStringLiteral("Cancelar")},
            {"&Cancel", QStringLiteral("&Cancelar")},
            {"Name", QStringLiteral("Nome")},
            {"Size", QStringLiteral("Tamanho")},
            {"Type", QStringLiteral("Tipo")},
            {"Kind", QStringLiteral("Tipo")},
            {"Date Modified", QStringLiteral("Modificado em")},
            {"Computer", QStringLiteral("Computador")},
        };
        const QByteArrayView ctx(context);
        const QHash<QByteArray, QString> *legendas = nullptr;
        if (ctx == "QMessageBox")
            legendas = &caixa;
        else if (ctx == "QFileDialog" || ctx == "QFileSystemModel" || ctx == "QPlatformTheme")
            legendas = &arquivos;
        return legendas ? legendas->value(QByteArray(sourceText)) : QString();
    }
};

void instalaLegendas()
{
    static const bool instaladas = QCoreApplication::installTranslator(new LegendasQt(qApp));
    Q_UNUSED(instaladas);
}

void showPlain(const QString &text, QMessageBox::Icon icon, const QString &details = {})
{
    QMessageBox box(icon, QString::fromUtf16(AppTitle), text, QMessageBox::Ok, dialogParent());
    if (!details.isEmpty()) {
        instalaLegendas();
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

QString Interaction::openFileName(const QString &, const QString &)
{
    return {};
}

QString DialogInteraction::openFileName(const QString &title, const QString &filter)
{
    // The bank's files land among the downloads; the next choice starts
    // where the last one was made.
    static QString pasta;
    if (pasta.isEmpty() || !QDir(pasta).exists()) {
        pasta = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
        if (pasta.isEmpty() || !QDir(pasta).exists())
            pasta = QDir::homePath();
    }
    instalaLegendas();
    const QString escolhido = QFileDialog::getOpenFileName(dialogParent(), title, pasta, filter);
    if (!escolhido.isEmpty())
        pasta = QFileInfo(escolhido).absolutePath();
    return escolhido;
}

} // namespace cofrel
