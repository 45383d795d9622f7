#pragma once

#include <QDialog>

class QTextBrowser;

namespace cofrel {

// The program's own help viewer: one window showing the help page beside
// the executable, opened at a numbered topic (anchor "contexto<N>").
class HelpViewer final : public QDialog {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    void abreTopico(const QString &file, int context);
    QString currentSource() const;

    // Shows the one viewer of the run (created on first use).
    static HelpViewer &showTopic(const QString &file, int context);

private:
    QTextBrowser *m_browser;
};

} // namespace cofrel
