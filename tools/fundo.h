#pragma once

#include <QImage>

namespace cofrel::tools {

// The background picture behind every window: a banner with the name over
// the top hundred pixels (where no window puts a control) and a calm, light
// paper tone below it for the labels and buttons.
QImage desenhaFundo();

} // namespace cofrel::tools
