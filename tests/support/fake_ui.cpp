#include "support/fake_ui.h"

#include <algorithm>

#include "text/code_page.h"

namespace quillivar::testing {

FakeUi::FakeUi() = default;

void FakeUi::AtPump(long long n, std::function<void()> action) {
  scheduled_[n] = std::move(action);
}

void FakeUi::CheckAll(bool checked) {
  for (int box : SettingsOrder()) checkBoxes[box] = checked;
}

bool FakeUi::HasEvent(const std::string& event) const {
  return std::find(events.begin(), events.end(), event) != events.end();
}

std::vector<std::string> FakeUi::EventsWithPrefix(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& event : events) {
    if (event.rfind(prefix, 0) == 0) found.push_back(event);
  }
  return found;
}

void FakeUi::PumpEvents() {
  ++pumpCount;
  if (scheduled_.empty()) return;
  const auto due = scheduled_.find(pumpCount);
  if (due == scheduled_.end()) return;
  auto action = std::move(due->second);
  scheduled_.erase(due);
  action();
}

bool FakeUi::AskConfirmation(const Text& question) {
  events.push_back("confirm:" + SjisToUtf8(question));
  if (confirmationAnswers.empty()) return true;
  const bool answer = confirmationAnswers.front();
  confirmationAnswers.pop_front();
  return answer;
}

bool FakeUi::AskToReplaceSuspectList(const Text& facts) {
  events.push_back("suspect:" + SjisToUtf8(facts));
  return replaceSuspectList;
}

void FakeUi::ShowInformation(const Text& message) {
  events.push_back("info:" + SjisToUtf8(message));
  if (onInformation) onInformation(message);
}

void FakeUi::ShowErrorBox(const Text& message) {
  events.push_back("error:" + SjisToUtf8(message));
}

void FakeUi::SetStatusText(const Text& text) {
  statusTexts.push_back(text);
  events.push_back("status:" + SjisToUtf8(text));
}

void FakeUi::SetBusy(bool busy) {
  for (const int index : {0, 1}) {
    buttonEnabled[index] = !busy;
    events.push_back("button" + std::to_string(index + 1) + (busy ? ":off" : ":on"));
  }
}

void FakeUi::SetStatusTimer(bool on) {
  timerOn = on;
  events.push_back(on ? "timer:on" : "timer:off");
}

bool FakeUi::IsChecked(int checkBox) const { return checkBoxes.at(checkBox); }

void FakeUi::SetChecked(int checkBox, bool checked) {
  checkBoxes.at(checkBox) = checked;
  events.push_back("check:" + std::to_string(checkBox) + "=" + (checked ? "1" : "0"));
}

}  // namespace quillivar::testing
