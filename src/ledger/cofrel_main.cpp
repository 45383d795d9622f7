#include "ledger/cofrel_main.h"

TformCofrelMain::TformCofrelMain(QWidget *parent)
    : QWidget(parent)
{
}
