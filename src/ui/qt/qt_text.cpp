#include "ui/qt_text.h"

#include "text/code_page.h"

namespace quillivar {

QString ToQString(const Text& sjis) {
  const std::u16string units = SjisToUnits(sjis);
  return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
}

Text FromQString(const QString& text) {
  return UnitsToSjis(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                          static_cast<std::size_t>(text.size())));
}

}  // namespace quillivar
