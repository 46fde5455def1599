#include "options.h"

#include <cstdlib>
#include <sstream>

namespace vdev {

const char* usage_text() {
    return "usage: vdev --link-dir DIR [--ports 1,2,3,4] [--wineprefix DIR]\n"
           "            [--control PORT] [--port-file FILE] [--pid-file FILE]\n"
           "            [--record DIR] [--log FILE] [--daemon]\n"
           "       vdev ctl [--port-file FILE | --control PORT] [--timeout SEC] COMMAND...\n";
}

static bool parse_ports(const std::string& text, std::vector<int>* ports) {
    ports->clear();
    std::istringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty() || item.size() > 3 || item[0] == '0') return false;
        int n = 0;
        for (char c : item) {
            if (c < '0' || c > '9') return false;
            n = n * 10 + (c - '0');
        }
        if (n > 256) return false;
        for (int p : *ports)
            if (p == n) return false;
        ports->push_back(n);
    }
    return !ports->empty();
}

bool parse_options(int argc, char** argv, Options* out, bool* help, std::string* err) {
    *help = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto value = [&](std::string* dst) {
            if (i + 1 >= argc) {
                *err = a + " needs a value";
                return false;
            }
            *dst = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            *help = true;
            return true;
        } else if (a == "--daemon") {
            out->daemon = true;
        } else if (a == "--ports") {
            if (!value(&v)) return false;
            if (!parse_ports(v, &out->ports)) {
                *err = "--ports takes a list like 1,2,3,4,12 (1..256)";
                return false;
            }
        } else if (a == "--control") {
            if (!value(&v)) return false;
            char* end = nullptr;
            long p = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || p < 0 || p > 65535) {
                *err = "--control takes a TCP port (0 = any free one)";
                return false;
            }
            out->control_port = static_cast<int>(p);
        } else if (a == "--link-dir") {
            if (!value(&out->link_dir)) return false;
        } else if (a == "--wineprefix") {
            if (!value(&out->wineprefix)) return false;
        } else if (a == "--port-file") {
            if (!value(&out->port_file)) return false;
        } else if (a == "--pid-file") {
            if (!value(&out->pid_file)) return false;
        } else if (a == "--record") {
            if (!value(&out->record_dir)) return false;
        } else if (a == "--log") {
            if (!value(&out->log_file)) return false;
        } else {
            *err = "unknown option " + a;
            return false;
        }
    }
    if (out->link_dir.empty()) {
        *err = "--link-dir is required";
        return false;
    }
    return true;
}

}  // namespace vdev
