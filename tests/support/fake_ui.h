// A scripted user interface: records what the logic shows, answers
// confirmations as told and runs scheduled actions at the n-th pump.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "pump/event_pump.h"
#include "ui/run_view.h"

namespace quillivar::testing {

// The pump, the run's view and the check boxes, as the window supplies them.
class FakeUi : public EventPump, public RunView, public CheckBoxes {
 public:
  FakeUi();

  // Events, in order, as readable UTF-8: "confirm:…", "suspect:…", "info:…", "error:…",
  // "status:…", "timer:on", "button1:off", "check:12=1".
  std::vector<std::string> events;
  std::vector<Text> statusTexts;  // raw Shift-JIS, in order

  std::deque<bool> confirmationAnswers;  // empty: answer OK
  bool replaceSuspectList = false;       // the answer to every such question
  long long pumpCount = 0;
  bool timerOn = false;
  std::array<bool, 3> buttonEnabled{true, true, true};
  std::array<bool, kCheckBoxNumbers> checkBoxes{};  // index = check box number

  // Runs `action` inside the n-th call of PumpEvents (1-based).
  void AtPump(long long n, std::function<void()> action);
  // Runs `action` inside every call of ShowInformation, before it returns.
  std::function<void(const Text&)> onInformation;

  void CheckAll(bool checked);
  Text LastStatus() const { return statusTexts.empty() ? Text() : statusTexts.back(); }
  bool HasEvent(const std::string& event) const;
  std::vector<std::string> EventsWithPrefix(const std::string& prefix) const;

  void PumpEvents() override;
  bool AskConfirmation(const Text& question) override;
  void ShowInformation(const Text& message) override;
  void ShowErrorBox(const Text& message) override;
  void SetStatusText(const Text& text) override;
  void SetBusy(bool busy) override;
  void SetStatusTimer(bool on) override;
  bool AskToReplaceSuspectList(const Text& facts) override;
  bool IsChecked(int checkBox) const override;
  void SetChecked(int checkBox, bool checked) override;

 private:
  std::map<long long, std::function<void()>> scheduled_;
};

}  // namespace quillivar::testing
