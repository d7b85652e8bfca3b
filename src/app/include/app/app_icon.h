// The program's own icon, for its windows and boxes.
#pragma once

#include <QIcon>

namespace quillivar {

// Every size rendered from the drawing, so that title bar, task bar and
// switcher each take a sharp one.
QIcon ApplicationIcon();

}  // namespace quillivar
