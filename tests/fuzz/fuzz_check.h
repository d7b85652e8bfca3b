// What the fuzz targets share: a check that stops the run with a message, and
// an event pump that counts its calls.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "pump/event_pump.h"

namespace quillivar::fuzz {

[[noreturn]] inline void Fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? (void)0 : ::quillivar::fuzz::Fail(__FILE__, __LINE__, #condition))

// Pumping does nothing and never asks for an abort.
class CountingPump : public EventPump {
 public:
  void PumpEvents() override { ++pumpCount; }

  long long pumpCount = 0;
};

}  // namespace quillivar::fuzz
