// The change a run made to brand_code.csv, as the run's last line tells it:
// the row count, and the codes added and removed, with their names.
#pragma once

#include <string>

#include "run/download_run.h"

namespace quillivar {

// "rows=N previous=M added=A (code name, ...) removed=R (...)" in UTF-8, the
// first ten codes of each kind named by the name in their first row;
// "previous=none" without an earlier list, and "previous=unreadable (CAUSE)"
// for one that could not be read.
std::string DescribeChanges(const RunResult& result);

}  // namespace quillivar
