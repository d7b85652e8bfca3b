// A scripted user interface: records what the logic shows, answers its
// questions as told and runs scheduled actions at the n-th pump.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue.h"
#include "pump/event_pump.h"
#include "run/download_run.h"

namespace quillivar::testing {

// The pump, the run's observer and the check boxes, as the window supplies
// them.
class FakeUi : public EventPump, public RunObserver, public CheckBoxes {
 public:
  FakeUi();

  // Events, in order, as readable UTF-8: "suspect:…", "status:…",
  // "started:0050", "fetched:3", "page", "retry:…", "empty?",
  // "check:12=1".
  std::vector<std::string> events;
  std::vector<Text> statusTexts;  // raw Shift-JIS, in order

  bool replaceSuspectList = false;  // the answer to every such question
  bool writeEmptyList = false;      // likewise
  long long pumpCount = 0;
  bool abortRequested = false;      // the abort point's flag
  std::array<bool, kCheckBoxNumbers> checkBoxes{};  // index = check box number

  // Runs `action` inside the n-th call of PumpEvents (1-based).
  void AtPump(long long n, std::function<void()> action);

  void CheckAll(bool checked);
  Text LastStatus() const { return statusTexts.empty() ? Text() : statusTexts.back(); }
  bool HasEvent(const std::string& event) const;
  std::vector<std::string> EventsWithPrefix(const std::string& prefix) const;

  void PumpEvents() override;
  void ShowStatus(const Text& text) override;
  void IndustryStarted(const Text& code) override;
  void IndustryFetched(std::size_t rows) override;
  void PageStarted() override;
  void Retrying(const Text& status) override;
  bool MayReplaceSuspectList(const Text& facts) override;
  bool MayWriteEmptyList() override;
  bool IsChecked(int checkBox) const override;
  void SetChecked(int checkBox, bool checked) override;

 private:
  std::map<long long, std::function<void()>> scheduled_;
};

}  // namespace quillivar::testing
