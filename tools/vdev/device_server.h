// The device process: serves the configured COM ports and the control socket
// until QUIT, SIGTERM, SIGINT or SIGHUP.
#pragma once

#include <functional>

#include "options.h"

namespace vdev {

// `on_ready` runs once the ports, links and control socket are all up (and the
// port/pid files written). Returns the process exit code.
int run_device(const Options& options, const std::function<void()>& on_ready);

}  // namespace vdev
