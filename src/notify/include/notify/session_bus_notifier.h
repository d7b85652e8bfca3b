// The freedesktop notification service (org.freedesktop.Notifications) on
// the user's session bus.
#pragma once

#include <chrono>
#include <string>

#include "notify/notifier.h"

namespace quillivar {

class SessionBusNotifier : public Notifier {
 public:
  // `icon`: an icon name of the theme, or an absolute path, as a desktop
  // entry's Icon= has it.
  SessionBusNotifier(std::string applicationName, std::string icon,
                     std::chrono::milliseconds answerWithin = std::chrono::seconds(2));

  // Uses only a bus that is already there: without one (cron, a console
  // login) it fails at once. Waits for the service's answer no longer than
  // `answerWithin`, connecting included.
  std::optional<std::string> Send(const Notice& notice) override;

 private:
  std::string applicationName_;
  std::string icon_;
  std::chrono::milliseconds answerWithin_;
};

}  // namespace quillivar
