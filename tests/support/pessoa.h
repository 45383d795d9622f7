#pragma once

#include <QString>

class QWidget;

// Input as a person gives it, shared by every window test.
namespace cofrel::test {

// Types \a texto key by key, letters outside ASCII included.
void digita(QWidget *widget, const QString &texto);

// A left click in the middle of \a widget.
void clica(QWidget *widget);

} // namespace cofrel::test
