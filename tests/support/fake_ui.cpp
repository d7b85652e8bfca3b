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

void FakeUi::ShowStatus(const Text& text) {
  statusTexts.push_back(text);
  events.push_back("status:" + SjisToUtf8(text));
}

void FakeUi::IndustryStarted(const Text& code) { events.push_back("started:" + code); }

void FakeUi::IndustryFetched(std::size_t rows) { events.push_back("fetched:" + std::to_string(rows)); }

void FakeUi::PageStarted() { events.push_back("page"); }

void FakeUi::Retrying(const Text& status) { events.push_back("retry:" + SjisToUtf8(status)); }

bool FakeUi::MayReplaceSuspectList(const Text& facts) {
  events.push_back("suspect:" + SjisToUtf8(facts));
  return replaceSuspectList;
}

bool FakeUi::MayWriteEmptyList() {
  events.push_back("empty?");
  return writeEmptyList;
}

bool FakeUi::IsChecked(int checkBox) const { return checkBoxes.at(checkBox); }

void FakeUi::SetChecked(int checkBox, bool checked) {
  checkBoxes.at(checkBox) = checked;
  events.push_back("check:" + std::to_string(checkBox) + "=" + (checked ? "1" : "0"));
}

}  // namespace quillivar::testing
