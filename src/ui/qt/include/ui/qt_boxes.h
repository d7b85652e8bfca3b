// The modal boxes: centred on the screen, each with its own event loop, so
// timers tick on while it is open. A parent only keeps the box above that
// window. Object names let tests find and answer them.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "text/error.h"
#include "text/text.h"
#include "ui/ui_texts.h"

class QWidget;

namespace quillivar {

// "確認", a question icon, "OK" (default, Enter) and "キャンセル" (Escape).
// True only for OK; closing the box counts as キャンセル.
bool AskConfirmationBox(const Text& question, QWidget* parent = nullptr);
// "確認", a warning icon, "はい" and "いいえ" (default, Enter and Escape):
// for a step that cannot be undone. True only for はい.
bool AskYesNoBox(const Text& question, QWidget* parent = nullptr);
// Captioned with the application title, no icon, one "OK" (Enter or Escape).
void ShowInformationBox(const Text& message, QWidget* parent = nullptr);
// Captioned with the application title, an error icon, "OK"; the text ends
// with "." by the error box's rule.
void ShowErrorBoxQt(const Text& message, QWidget* parent = nullptr);

// Runs a window's event handler. Qt lets no exception cross its event loop,
// so an error that escapes the handler ends here, in the error box.
template <typename Handler>
void RunAtHandlerEdge(Handler handler, QWidget* parent = nullptr) {
  try {
    handler();
  } catch (...) {
    ShowErrorBoxQt(MessageOfCurrentException(), parent);
  }
}

// While set, every box returns at once as if closed: a close of the main
// window asked for during a run must not wait on the user.
void SetBoxesCloseAtOnce(bool closeAtOnce);

enum class BoxAnswer { kOk, kCancel, kClose };

// Answers given ahead, for tests that need a box's answer but not the box.
// While one lives no box shows: each takes the next answer queued and is
// recorded. A box with no answer left returns as if closed, so that an
// unexpected box fails its test instead of hanging it.
class ReadyBoxAnswers {
 public:
  ReadyBoxAnswers();
  ~ReadyBoxAnswers();

  void Then(BoxAnswer answer) { answers_.push_back(answer); }
  BoxAnswer Take(std::string shown);  // called by the box it answers

  std::vector<std::string> seen;  // "ObjectName:text" in UTF-8, in order

  // The boxes know the one that lives, by its address.
  ReadyBoxAnswers(const ReadyBoxAnswers&) = delete;
  ReadyBoxAnswers& operator=(const ReadyBoxAnswers&) = delete;

 private:
  std::deque<BoxAnswer> answers_;
  ReadyBoxAnswers* previous_;
};

}  // namespace quillivar
