// What the logic needs of the user interface. The run, the quote-site client
// and the settings reach the toolkit only through this, so they run in tests
// against a scripted fake. All texts are Shift-JIS.
#pragma once

#include "catalogue/catalogue.h"
#include "text/text.h"

namespace quillivar {

enum class MainButton { Button1, Button2, Button3 };

class UiServices {
 public:
  virtual ~UiServices() = default;

  // Handles every pending event (clicks, ticks, repaints, close requests),
  // then returns without waiting.
  virtual void PumpEvents() = 0;
  // "確認", OK and キャンセル; true only for OK.
  virtual bool AskConfirmation(const Text& question) = 0;
  virtual void ShowInformation(const Text& message) = 0;
  // The message as raised; the box itself adds the closing "." by
  // ErrorBoxText's rule.
  virtual void ShowErrorBox(const Text& message) = 0;
  virtual void SetStatusText(const Text& text) = 0;
  virtual void ShowSettingsDialog() = 0;
  // The native path of the running executable's folder, ending with "/".
  virtual Text ExecutableDirectory() = 0;
  virtual void SetTimer1(bool on) = 0;
  virtual void SetButtonEnabled(MainButton button, bool enabled) = 0;
  virtual bool IsCheckBoxChecked(int checkBox) = 0;
  virtual void SetCheckBoxChecked(int checkBox, bool checked) = 0;
};

// The one way the run, the page fetch, the row scan and the network wait
// learn of 中止: the user interface's pending events are handled (中止 among
// them), then the abort flag is read. The flag is the main window's; only
// 中止 sets it and only a new run clears it.
class AbortPoint {
 public:
  AbortPoint(UiServices& ui, const bool& abortRequested)
      : ui_(ui), abortRequested_(abortRequested) {}

  [[nodiscard]] bool PumpAndTestAbort() {
    ui_.PumpEvents();
    return abortRequested_;
  }
  // After a wait that passed abort points of its own: did one see an abort?
  bool AbortSeen() const { return abortRequested_; }

 private:
  UiServices& ui_;
  const bool& abortRequested_;
};

// The settings check boxes as the catalogue's selection, read live.
class UiSelection : public Selection {
 public:
  explicit UiSelection(UiServices& ui) : ui_(ui) {}
  bool IsChecked(int checkBox) const override {
    return ui_.IsCheckBoxChecked(checkBox);
  }

 private:
  UiServices& ui_;
};

}  // namespace quillivar
