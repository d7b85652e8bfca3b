// Where the system's Shift-JIS texts and Qt's strings meet; nowhere else.
#pragma once

#include <QString>

#include "text/text.h"

namespace quillivar {

QString ToQString(const Text& sjis);

}  // namespace quillivar
