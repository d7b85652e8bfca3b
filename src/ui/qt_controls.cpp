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

QPoint CentredFramePosition(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const QSize frame = window.frameGeometry().size();
  if (screen == nullptr) return window.pos();
  return screen->availableGeometry().center() -
         QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2);
}

// The frame is known only once the window manager has framed the window,
// and the manager's own placement may still arrive after a move of ours. So
// for a short while after showing, the window is put back at the centre
// whenever it is framed and not there; the watch ends when the window hides.
class KeepCentredWhileFraming : public QObject {
 public:
  explicit KeepCentredWhileFraming(QWidget& window) : QObject(&window), window_(window) {
    window.installEventFilter(this);
    QTimer::singleShot(kWatchMs, this, &QObject::deleteLater);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Hide) {
      deleteLater();
    } else if (window_.frameGeometry().size() != window_.size() && moves_ < kMaxMoves &&
               window_.pos() != CentredFramePosition(window_)) {
      ++moves_;
      window_.move(CentredFramePosition(window_));
    }
    return false;
  }

 private:
  static constexpr int kWatchMs = 1000;
  static constexpr int kMaxMoves = 5;
  QWidget& window_;
  int moves_ = 0;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  // QWidget::move places a window's frame, not its client area.
  window.move(CentredFramePosition(window));
  new KeepCentredWhileFraming(window);
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
