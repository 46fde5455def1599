// Client side of the control connection, used by `vdev ctl` and the tests.
#pragma once

#include <string>

namespace vdev {

enum class RequestResult { Ok, Err, NoConnection };

// Sends one command line to 127.0.0.1:port and waits for its reply line
// (returned without the line end). NoConnection covers connect failures,
// time-outs and the device closing without a reply.
RequestResult control_request(int port, const std::string& line, std::string* reply,
                              int timeout_ms = 5000);

// Reads a control port number written by the device's --port-file.
bool read_port_file(const std::string& path, int* port);

// `vdev ctl ...`: prints the reply; exit code 0 on OK, 1 on ERR, 2 when the
// device cannot be reached.
int run_ctl(int argc, char** argv);

}  // namespace vdev
