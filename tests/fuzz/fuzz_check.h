// What the fuzz targets share: a check that stops the run with a message, and
// a UiServices for code that only pumps.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "ui/ui_services.h"

namespace quillivar::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::quillivar::fuzz::Fail(__FILE__, __LINE__, #condition))

// Pumping does nothing and never asks for an abort; anything else the parser
// has no business calling.
class PumpOnlyUi : public UiServices {
 public:
  void PumpEvents() override { ++pumpCount; }
  bool AskConfirmation(const Text&) override { Unexpected("AskConfirmation"); }
  void ShowInformation(const Text&) override { Unexpected("ShowInformation"); }
  void ShowErrorBox(const Text&) override { Unexpected("ShowErrorBox"); }
  void SetStatusText(const Text&) override { Unexpected("SetStatusText"); }
  void ShowSettingsDialog() override { Unexpected("ShowSettingsDialog"); }
  Text ExecutableDirectory() override { Unexpected("ExecutableDirectory"); }
  void SetTimer1(bool) override { Unexpected("SetTimer1"); }
  void SetButtonEnabled(MainButton, bool) override { Unexpected("SetButtonEnabled"); }
  bool IsCheckBoxChecked(int) override { Unexpected("IsCheckBoxChecked"); }
  void SetCheckBoxChecked(int, bool) override { Unexpected("SetCheckBoxChecked"); }

  long long pumpCount = 0;

 private:
  [[noreturn]] static void Unexpected(const char* call) {
    Fail(__FILE__, __LINE__, call);
  }
};

}  // namespace quillivar::fuzz
