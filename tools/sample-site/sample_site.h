// The sample quote site's HTTP side: its routes on a cpp-httplib server.
#pragma once

#include <httplib.h>

#include "sample_data.h"

namespace quillivar::sample {

struct SiteOptions {
  int rowsPerPage = 20;
  int delayMs = 0;  // added to every response
};

// Serves "/stocks/qi/?ids=CODE&p=N"; a malformed query or any other path is
// a 404 with a page. `data` must outlive the server.
void MountSampleSite(httplib::Server& server, const SampleData& data, SiteOptions options);

}  // namespace quillivar::sample
