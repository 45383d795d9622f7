#include "controls/botao_cofrel.h"

#include "app/montagem_janela.h"
#include "controls/GradBtn.h"

TGradBtn *criaBotaoCofrel(QWidget *parent, const QString &objectName, const QString &caption,
                          const QRect &bounds)
{
    auto *button = new TGradBtn(parent);
    button->setObjectName(objectName);
    button->setGeometry(bounds.x(), bounds.y(), bounds.width(), 23);
    button->setCursor(Qt::PointingHandCursor);
    button->setGradientStyle(gsNone);
    button->setBeginColor(cofrel::CorBotao);
    button->setEndColor(cofrel::clNavy);
    button->setSwapColors(false);
    button->setTextStyle(tsNormal);
    button->setDisabledColor(cofrel::clSilver);
    button->setFont(cofrel::fonteJanela());
    button->setFontColor(cofrel::clBlack);
    button->setTabStop(true);
    button->setCaption(caption);
    return button;
}
