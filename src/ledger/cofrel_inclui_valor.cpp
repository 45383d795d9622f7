#include "ledger/cofrel_inclui_valor.h"

TformIncluirValor::TformIncluirValor(QWidget *parent)
    : QDialog(parent)
{
}
