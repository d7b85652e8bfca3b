#include "ui/qt_text.h"

#include "text/code_page.h"

namespace quillivar {

QString ToQString(const Text& sjis) {
  const std::u16string units = SjisToUnits(sjis);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

}  // namespace quillivar
