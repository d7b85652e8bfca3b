#include "ui/qt_controls.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QEvent>
#include <QScreen>
#include <QTimer>
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

namespace {

// Returns the frame size the window was centred with.
QSize MoveToCentre(QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QSize frame = window.frameGeometry().size();
  if (screen == nullptr) return frame;
  // QWidget::move places a window's frame, not its client area.
  window.move(screen->availableGeometry().center() -
              QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
  return frame;
}

// Centres the window again once its frame turns out other than it was
// centred with. No event marks the moment the window manager frames a
// window, so every event of the window is a chance to look; the watch ends
// when the frame has come, when the window hides, or after a while.
class RecentreWhenFramed : public QObject {
 public:
  RecentreWhenFramed(QWidget& window, QSize centredFrame)
      : QObject(&window), window_(window), centredFrame_(centredFrame) {
    window.installEventFilter(this);
    QTimer::singleShot(kWatchMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      deleteLater();
    } else if (window_.frameGeometry().size() != centredFrame_) {
      centredFrame_ = MoveToCentre(window_);
      deleteLater();
    }
    return false;
  }

 private:
  static constexpr int kWatchMs = 5000;
  QWidget& window_;
  QSize centredFrame_;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  const QSize frame = MoveToCentre(window);
  if (frame == window.size()) new RecentreWhenFramed(window, frame);
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
