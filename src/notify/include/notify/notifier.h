// A desktop notification, and the service that shows it.
#pragma once

#include <optional>
#include <string>

namespace quillivar {

struct Notice {
  std::string summary;  // UTF-8
  std::string body;     // UTF-8, lines separated by "\n"
};

class Notifier {
 public:
  virtual ~Notifier() = default;
  // Nothing once the service has taken the notice; otherwise why it could
  // not be sent, in English.
  virtual std::optional<std::string> Send(const Notice& notice) = 0;
};

}  // namespace quillivar
