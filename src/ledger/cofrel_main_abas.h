#pragma once

#include <QStringList>
#include <QWidget>

class QTabBar;

// The main window's tab strip: tabs of one fixed width over a framed page.
// The panels of the tabs are its children, laid on the page; the window
// shows and hides them when the selected tab changes.
class AbasPrincipal final : public QWidget {
    Q_OBJECT
public:
    AbasPrincipal(const QStringList &captions, int tabWidth, QWidget *parent = nullptr);

    QTabBar *barra() const { return m_barra; }
    int tabIndex() const;
    void setTabIndex(int index);

    // Where a panel of the page goes: 4 pixels in from the frame's sides.
    static constexpr int PanelLeft = 4;
    static constexpr int PanelTop = 24;

Q_SIGNALS:
    // The user (or the program) selected another tab.
    void tabChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTabBar *m_barra;
};
