#include "planning/cofrel_planejamento_mensal.h"

TformPlanejamento::TformPlanejamento(QWidget *parent)
    : QDialog(parent)
{
}
