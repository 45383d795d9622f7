#include "planning/cofrel_inclui_mes.h"

TformIncluiMes::TformIncluiMes(QWidget *parent)
    : QDialog(parent)
{
}
