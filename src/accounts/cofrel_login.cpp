#include "accounts/cofrel_login.h"

TformCofrelLogin::TformCofrelLogin(QWidget *parent)
    : QDialog(parent)
{
}
