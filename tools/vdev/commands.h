// Turns control lines into operations on the ports and builds the reply line.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "port_device.h"

namespace vdev {

class CommandHandler {
public:
    explicit CommandHandler(std::map<int, std::unique_ptr<PortDevice>>* ports) : ports_(ports) {}

    // One command line (without its line end) in, one reply line (without
    // line end) out: "OK[ ...]" or "ERR <reason>".
    std::string handle(const std::string& line);

    bool quit_requested() const { return quit_; }

private:
    std::map<int, std::unique_ptr<PortDevice>>* ports_;
    bool quit_ = false;
};

}  // namespace vdev
