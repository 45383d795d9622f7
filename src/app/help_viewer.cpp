#include "app/help_viewer.h"

#include "app/errors.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace cofrel {

HelpViewer::HelpViewer(QWidget *parent)
    : QDialog(parent)
    , m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Cofrel 1.0 - Ajuda"));
    m_browser->setObjectName(QStringLiteral("browser"));
    m_browser->setOpenExternalLinks(false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_browser);
    resize(560, 480);
}

void HelpViewer::abreTopico(const QString &file, int context)
{
    if (!QFileInfo(file).isReadable())
        throw Error(QStringLiteral("Não foi possível abrir o arquivo de ajuda %1.").arg(file));
    QUrl url = QUrl::fromLocalFile(file);
    url.setFragment(QStringLiteral("contexto%1").arg(context));
    m_browser->setSource(url);
}

QString HelpViewer::currentSource() const
{
    return m_browser->source().toString();
}

HelpViewer &HelpViewer::showTopic(const QString &file, int context)
{
    static QPointer<HelpViewer> viewer;
    if (!viewer)
        viewer = new HelpViewer(QApplication::activeWindow());
    viewer->abreTopico(file, context);
    viewer->show();
    viewer->raise();
    viewer->activateWindow();
    return *viewer;
}

} // namespace cofrel
