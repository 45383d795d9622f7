#include "accounts/cofrel_inclui_usuario.h"

TformCofrelInclui::TformCofrelInclui(QWidget *parent)
    : QDialog(parent)
{
}
