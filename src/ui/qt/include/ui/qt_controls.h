// What the two windows' controls share: their font and their plain buttons.
#pragma once

#include <QFont>
#include <QObject>
#include <QRect>

class QKeyEvent;
class QPushButton;
class QWidget;

namespace quillivar {

// Tahoma with a character height of 11 pixels, or the installed Japanese
// font where Tahoma is missing.
QFont WindowFont();

// Puts the window, its frame included, at the centre of the screen it is on.
// Meant for a show event, after the window has taken its final size. The
// frame is known only once the window manager has framed the window, so the
// window is centred again then, unless it was hidden meanwhile.
void CentreOnScreen(QWidget& window);

// A push button that is never a default button: Enter acts only on the
// focused one. `caption` is a UTF-8 literal of the sources.
QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption,
                        QRect geometry);

// No button is a default button, so Enter that reaches a window from its
// focused push button clicks that button, as Space does. True when it did.
bool ClickFocusedButtonOnEnter(QWidget& window, QKeyEvent& event);

// While it lives, no widget of the application sees a key's automatic
// repeats: a held key presses no button and toggles no check box, so the
// Enter that confirmed a run cannot go on to press 中止, nor the Enter on
// ダウンロード開始 answer the box it opened.
class KeyRepeatsIgnored : public QObject {
 public:
  KeyRepeatsIgnored();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct KeyAt {
    int key = 0;
    unsigned long long timestamp = 0;
  };
  KeyAt lastRelease_;
};

// Makes the caption of every check box, radio button and push button inside
// `window` readable, keeping each one's left, top and height: a caption too
// wide for its control widens the control to the right, as far as the free
// space beside it inside its container; one still too wide is cut after whole
// characters with "…" and carries the whole caption as its tooltip. Call it
// once all controls stand in place.
void FitCaptions(QWidget& window);

}  // namespace quillivar
