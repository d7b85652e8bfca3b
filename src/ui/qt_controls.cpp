#include "ui/qt_controls.h"

#include <QPushButton>

#include "text/code_page.h"
#include "ui/qt_text.h"

namespace quillivar {

QFont WindowFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("IPAGothic"),
                    QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
  font.setPixelSize(11);
  return font;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        QRect geometry) {
  auto* button = new QPushButton(ToQString(Sjis(caption)), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setAutoDefault(false);
  button->setDefault(false);
  return button;
}

}  // namespace quillivar
