#include "ledger/cofrel_main_abas.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace {

// Every tab as wide as the strip asks, whatever its caption.
class BarraLarguraFixa final : public QTabBar {
public:
    BarraLarguraFixa(int tabWidth, QWidget *parent)
        : QTabBar(parent), m_tabWidth(tabWidth) {}

protected:
    QSize tabSizeHint(int index) const override
    {
        return {m_tabWidth, QTabBar::tabSizeHint(index).height()};
    }
    QSize minimumTabSizeHint(int index) const override { return tabSizeHint(index); }

private:
    int m_tabWidth;
};

} // namespace

AbasPrincipal::AbasPrincipal(const QStringList &captions, int tabWidth, QWidget *parent)
    : QWidget(parent)
    , m_barra(new BarraLarguraFixa(tabWidth, this))
{
    m_barra->setObjectName(QStringLiteral("TabControlBar"));
    m_barra->setDrawBase(false);
    m_barra->setExpanding(false);
    m_barra->setUsesScrollButtons(false);
    for (const QString &caption : captions)
        m_barra->addTab(caption);
    m_barra->move(2, 0);
    m_barra->resize(m_barra->sizeHint());
    connect(m_barra, &QTabBar::currentChanged, this, &AbasPrincipal::tabChanged);
}

int AbasPrincipal::tabIndex() const
{
    return m_barra->currentIndex();
}

void AbasPrincipal::setTabIndex(int index)
{
    m_barra->setCurrentIndex(index);
}

void AbasPrincipal::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    const int top = qMin(m_barra->height(), PanelTop) - 2;
    frame.rect = QRect(0, top, width(), height() - top);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_barra->size();
    frame.tabBarRect = m_barra->geometry();
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}
