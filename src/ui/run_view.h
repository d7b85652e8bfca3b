// What the download run shows the user and asks of them. The window and the
// terminal each implement it; the run reaches neither toolkit nor terminal any
// other way. All texts are Shift-JIS.
#pragma once

#include "text/text.h"

namespace quillivar {

class RunView {
 public:
  virtual ~RunView() = default;

  // "確認", OK and キャンセル; true only for OK.
  virtual bool AskConfirmation(const Text& question) = 0;
  virtual void ShowInformation(const Text& message) = 0;
  // The message as raised; the box itself adds the closing "." by
  // ErrorBoxText's rule.
  virtual void ShowErrorBox(const Text& message) = 0;
  virtual void SetStatusText(const Text& text) = 0;
  // While a run is busy, the start and settings buttons take no click.
  virtual void SetBusy(bool busy) = 0;
  // The status timer, whose ticks alternate the waiting texts.
  virtual void SetStatusTimer(bool on) = 0;
  // The new list does not look like the site's list, for the reasons in
  // `facts`: true when it may replace the earlier list all the same. The
  // window asks, with いいえ the default; the command obeys its option.
  virtual bool AskToReplaceSuspectList(const Text& facts) = 0;
};

}  // namespace quillivar
