#include "commands.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "hex.h"

namespace vdev {

namespace {

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::vector<std::string> split_words(const std::string& line) {
    std::vector<std::string> words;
    std::istringstream in(line);
    std::string w;
    while (in >> w) words.push_back(w);
    return words;
}

// "COM1".."COM256" (any case, no leading zero) -> 1..256, else 0.
int parse_com(const std::string& word) {
    std::string u = upper(word);
    if (u.size() < 4 || u.size() > 6 || u.compare(0, 3, "COM") != 0 || u[3] == '0') return 0;
    int n = 0;
    for (size_t i = 3; i < u.size(); ++i) {
        if (u[i] < '0' || u[i] > '9') return 0;
        n = n * 10 + (u[i] - '0');
    }
    return n <= 256 ? n : 0;
}

bool parse_number(const std::string& word, uint64_t max, uint64_t* out) {
    if (word.empty() || word.size() > 19) return false;
    for (char c : word)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    uint64_t v = std::strtoull(word.c_str(), nullptr, 10);
    if (v > max) return false;
    *out = v;
    return true;
}

std::string err(const std::string& reason) { return "ERR " + reason; }

// Expected word count (including the command) for each command on a port.
struct PortCommand {
    const char* name;
    size_t words;
};

const PortCommand kPortCommands[] = {
    {"MODE", 3},     {"SEND", 3},    {"STREAM", 4}, {"STREAMSTATUS", 2}, {"STOP", 2},
    {"RECEIVED", 2}, {"CLEAR", 2},   {"TERMIOS", 2}, {"HOLD", 2},        {"RELEASE", 2},
    {"VANISH", 2},   {"RETURN", 2},  {"FLUSH", 2},  {"STATUS", 2},     {"FLOW", 2},
};

}  // namespace

std::string CommandHandler::handle(const std::string& line) {
    std::vector<std::string> w = split_words(line);
    if (w.empty()) return err("empty command");
    std::string cmd = upper(w[0]);

    if (cmd == "PING") return w.size() == 1 ? "OK" : err("usage: PING");
    if (cmd == "QUIT") {
        quit_ = true;
        return "OK";
    }

    const PortCommand* pc = nullptr;
    for (const auto& c : kPortCommands)
        if (cmd == c.name) pc = &c;
    if (!pc) return err("unknown command");
    // VANISH takes an optional "nodevice", STREAM an optional "lines".
    bool optional_word = (cmd == "VANISH" || cmd == "STREAM") && w.size() == pc->words + 1;
    if (w.size() != pc->words && !optional_word)
        return err("wrong number of arguments for " + cmd);

    int com = parse_com(w[1]);
    if (com == 0) return err("expected COM1..COM256");
    auto it = ports_->find(com);
    if (it == ports_->end()) return err("COM" + std::to_string(com) + " is not served");
    PortDevice& port = *it->second;
    std::string why;

    if (cmd == "MODE") {
        std::string m = upper(w[2]);
        if (m == "MODEM") port.set_mode(Mode::Modem);
        else if (m == "SILENT") port.set_mode(Mode::Silent);
        else return err("mode must be modem or silent");
        return "OK";
    }
    if (cmd == "SEND") {
        std::string bytes;
        if (!from_hex(w[2], &bytes)) return err("bad hex");
        return port.send(bytes, &why) ? "OK" : err(why);
    }
    if (cmd == "STREAM") {
        uint64_t rate = 0, count = 0;
        if (!parse_number(w[2], 100000000, &rate) || rate == 0)
            return err("rate must be 1..100000000 bytes per second");
        if (!parse_number(w[3], UINT64_C(1) << 62, &count)) return err("bad count");
        bool lines = w.size() == 5;
        if (lines && upper(w[4]) != "LINES") return err("the stream is the pattern or lines");
        return port.start_stream(rate, count, &why, lines) ? "OK" : err(why);
    }
    if (cmd == "STREAMSTATUS") {
        StreamStatus s = port.stream_status();
        return "OK sent=" + std::to_string(s.sent) + " done=" + (s.done ? "1" : "0");
    }
    if (cmd == "STOP") {
        port.stop_stream();
        return "OK";
    }
    if (cmd == "RECEIVED") {
        const std::string& r = port.received();
        return r.empty() ? "OK" : "OK " + to_hex(r);
    }
    if (cmd == "CLEAR") {
        port.clear_received();
        return "OK";
    }
    if (cmd == "TERMIOS") {
        LineSettings ls;
        if (!port.line_settings(&ls, &why)) return err(why);
        return "OK speed=" + std::to_string(ls.speed) + " data=" + std::to_string(ls.data_bits) +
               " parity=" + ls.parity + " stop=" + std::to_string(ls.stop_bits);
    }
    if (cmd == "HOLD" || cmd == "RELEASE")
        return port.hold(cmd == "HOLD", &why) ? "OK" : err(why);
    if (cmd == "VANISH") {
        bool placeholder = optional_word;
        if (placeholder && upper(w[2]) != "NODEVICE") return err("VANISH takes only nodevice");
        return port.vanish(placeholder, &why) ? "OK" : err(why);
    }
    if (cmd == "FLOW") {
        LineSettings ls;
        if (!port.line_settings(&ls, &why)) return err(why);
        return std::string("OK rtscts=") + (ls.rtscts ? "1" : "0") + " ixon=" + (ls.ixon ? "1" : "0") +
               " ixoff=" + (ls.ixoff ? "1" : "0");
    }
    if (cmd == "RETURN") return port.come_back(&why) ? "OK" : err(why);
    if (cmd == "FLUSH") return port.flush(&why) ? "OK" : err(why);
    // STATUS
    return "OK " + port.describe();
}

}  // namespace vdev
