// Command line of the device process.
#pragma once

#include <string>
#include <vector>

namespace vdev {

struct Options {
    std::vector<int> ports{1};  // COM numbers to serve, 1..4
    std::string link_dir;       // required: where comN symlinks live
    std::string wineprefix;     // optional: also keep dosdevices/comN up to date
    int control_port = 0;       // 0 = any free port
    std::string port_file;
    std::string pid_file;
    std::string record_dir;
    std::string log_file;       // where a daemon's messages go (default: nowhere)
    bool daemon = false;
};

// Fills *out from argv (argv[0] is the program). On failure returns false and
// sets *err; on --help sets *help.
bool parse_options(int argc, char** argv, Options* out, bool* help, std::string* err);

const char* usage_text();

}  // namespace vdev
