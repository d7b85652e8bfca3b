// A scripted user interface: records what the logic shows, answers
// confirmations as told and runs scheduled actions at the n-th pump.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "ui/ui_services.h"

namespace quillivar::testing {

class FakeUi : public UiServices {
 public:
  FakeUi();

  // Events, in order, as readable UTF-8: "confirm:…", "info:…", "error:…",
  // "status:…", "timer:on", "button1:off", "settings", "check:12=1".
  std::vector<std::string> events;
  std::vector<Text> statusTexts;  // raw Shift-JIS, in order

  std::deque<bool> confirmationAnswers;  // empty: answer OK
  Text executableDirectory = "/nonexistent/";
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
  void ShowSettingsDialog() override;
  Text ExecutableDirectory() override;
  void SetTimer1(bool on) override;
  void SetButtonEnabled(MainButton button, bool enabled) override;
  bool IsCheckBoxChecked(int checkBox) override;
  void SetCheckBoxChecked(int checkBox, bool checked) override;

 private:
  std::map<long long, std::function<void()>> scheduled_;
};

}  // namespace quillivar::testing
