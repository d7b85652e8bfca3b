// What the desktop is told of a scheduled run: only that something happened.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "notify/notifier.h"
#include "run/download_run.h"

namespace quillivar {

// A written list: the codes added and removed, or the row count where there
// was no earlier list to compare with; nothing when no code came or went.
std::optional<Notice> WrittenNotice(const RunResult& result);

// A run that ended with status 1 or 2: the Japanese half of `detail` (the
// last log line's), and, where `listAsItWas`, that the list was kept.
Notice FailedNotice(std::string_view detail, bool listAsItWas);

// The icon of the installed menu entry: the theme's name of a system
// install, the picture beside the program of a folder install.
std::string NoticeIcon();

}  // namespace quillivar
