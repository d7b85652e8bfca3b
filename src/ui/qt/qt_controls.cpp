#include "ui/qt_controls.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QEvent>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>
#include <QWindow>
#include <QWidget>
#include <algorithm>

#include "text/code_page.h"
#include "ui/qt_text.h"

namespace quillivar {
namespace {

// Kept free between a widened control and its neighbour, so that a caption
// does not run into the next box's mark.
constexpr int kGapToNeighbour = 4;

// The width the style leaves for the caption of `control` at `width`.
int CaptionRoom(const QAbstractButton& control, int width) {
  QStyleOptionButton option;
  option.initFrom(&control);
  option.rect.setWidth(width);
  option.text = control.text();
  QStyle::SubElement label = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(&control) != nullptr) {
    label = QStyle::SE_CheckBoxContents;
  } else if (qobject_cast<const QRadioButton*>(&control) != nullptr) {
    label = QStyle::SE_RadioButtonContents;
  }
  return control.style()->subElementRect(label, &option, &control).width();
}

// The right edge (exclusive) that `control` may reach: the inner edge of its
// container, or short of the nearest sibling level with it on the right.
int RightLimit(const QWidget& control) {
  const QWidget& container = *control.parentWidget();
  const QRect own = control.geometry();
  int limit = container.contentsRect().right() + 1;
  for (const QWidget* sibling : container.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    const QRect other = sibling->geometry();
    const bool level = other.top() <= own.bottom() && own.top() <= other.bottom();
    if (sibling != &control && !sibling->isWindow() && level && other.left() > own.right()) {
      limit = std::min(limit, other.left() - kGapToNeighbour);
    }
  }
  return limit;
}

void FitCaption(QAbstractButton& control) {
  const QString caption = control.text();
  const int needed = control.fontMetrics().horizontalAdvance(caption);
  const int missing = needed - CaptionRoom(control, control.width());
  if (missing <= 0) return;
  const int widest = std::max(control.width(), RightLimit(control) - control.x());
  control.resize(std::min(control.width() + missing, widest), control.height());
  const int room = CaptionRoom(control, control.width());
  if (needed <= room) return;
  control.setText(control.fontMetrics().elidedText(caption, Qt::ElideRight, room));
  control.setToolTip(caption);
  control.setAccessibleName(caption);
}

}  // namespace

QFont WindowFont() {
  QFont font;
  // Tahoma has no Japanese, so every caption comes from the second family.
  // IPA P Gothic's proportional kana and punctuation let the market captions
  // fit their boxes; the fixed-pitch faces after it need up to a fifth more.
  font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")});
  font.setPixelSize(11);
  return font;
}

namespace {

// The platform window's own view: a widget learns of its frame only with its
// next move, and the window manager may frame it without moving it.
QMargins FrameMargins(const QWidget& window) {
  const QWindow* handle = window.windowHandle();
  return handle != nullptr ? handle->frameMargins() : QMargins();
}

QPoint CentredFramePosition(const QWidget& window) {
  const QScreen* screen = window.screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return window.pos();
  const QSize frame = window.size().grownBy(FrameMargins(window));
  return screen->availableGeometry().center() -
         QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2);
}

void MoveFrameTo(QWidget& window, QPoint position) {
  const QMargins margins = FrameMargins(window);
  const QPoint client = position + QPoint(margins.left(), margins.top());
  // QWidget::move places a window by the frame the widget knows of, which
  // may be none yet: correct for that, so the client area lands where the
  // platform's frame puts it.
  window.move(client - (window.geometry().topLeft() - window.pos()));
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
    } else if (!FrameMargins(window_).isNull() && moves_ < kMaxMoves &&
               window_.windowHandle()->framePosition() != CentredFramePosition(window_)) {
      ++moves_;
      MoveFrameTo(window_, CentredFramePosition(window_));
    }
    return false;
  }

 private:
  static constexpr int kWatchMs = 2000;
  static constexpr int kMaxMoves = 5;
  QWidget& window_;
  int moves_ = 0;
};

}  // namespace

void CentreOnScreen(QWidget& window) {
  MoveFrameTo(window, CentredFramePosition(window));
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

KeyRepeatsIgnored::KeyRepeatsIgnored() { QCoreApplication::instance()->installEventFilter(this); }

bool KeyRepeatsIgnored::eventFilter(QObject*, QEvent* event) {
  if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
  const auto& key = static_cast<const QKeyEvent&>(*event);
  if (key.isAutoRepeat()) return true;
  // The X server repeats a key as a release and a press of the same time;
  // Qt sees the pair only when both came in one read, so on a busy machine
  // a repeat can pass for a fresh press.
  const KeyAt at{key.key(), key.timestamp()};
  if (event->type() == QEvent::KeyRelease) {
    lastRelease_ = at;
    return false;
  }
  return at.key == lastRelease_.key && at.timestamp == lastRelease_.timestamp;
}

void FitCaptions(QWidget& window) {
  for (QAbstractButton* control : window.findChildren<QAbstractButton*>()) {
    if (!control->isWindow()) FitCaption(*control);
  }
}

}  // namespace quillivar
