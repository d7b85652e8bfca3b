#include "ui/qt_controls.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

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

void CentreOnScreen(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QSize frame = window.frameGeometry().size();
  window.move(screen->availableGeometry().center() -
              QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
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

bool ClickFocusedButtonOnEnter(QWidget& window, QKeyEvent& event) {
  if (event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) return false;
  if (auto* button = qobject_cast<QPushButton*>(window.focusWidget())) {
    if (button->isEnabled()) button->click();
  }
  event.accept();
  return true;
}

}  // namespace quillivar
