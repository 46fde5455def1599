#include "device_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace {

std::string com_name(int com) { return "COM" + std::to_string(com); }

std::string to_hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out.push_back(digits[c >> 4]);
        out.push_back(digits[c & 15]);
    }
    return out;
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string from_hex(const std::string& text) {
    std::string out;
    for (size_t i = 0; i + 1 < text.size(); i += 2) {
        int hi = hex_value(text[i]), lo = hex_value(text[i + 1]);
        if (hi < 0 || lo < 0) break;
        out.push_back(static_cast<char>(hi * 16 + lo));
    }
    return out;
}

bool read_port(const std::string& path, int* port) {
    std::ifstream in(path.c_str());
    long v = 0;
    if (!(in >> v) || v <= 0 || v > 65535) return false;
    *port = static_cast<int>(v);
    return true;
}

int port_from_environment() {
    const char* file = std::getenv("QUORVEX_DEVICE_PORT_FILE");
    if (!file || !*file) return 0;
    int port = 0;
    std::string path = file;
    if (read_port(path, &port)) return port;
    if (path[0] == '/') {
        // A Unix path: the root file system is drive Z: under Wine.
        std::string dos = "Z:" + path;
        for (char& c : dos)
            if (c == '/') c = '\\';
        if (read_port(dos, &port)) return port;
    }
    return 0;
}

// Value of "key=" in a reply like "OK sent=12 done=0".
std::string field(const std::string& reply, const char* key) {
    std::istringstream in(reply);
    std::string word, prefix = std::string(key) + "=";
    while (in >> word)
        if (word.compare(0, prefix.size(), prefix) == 0) return word.substr(prefix.size());
    return "";
}

bool wait_socket(SOCKET s, bool for_write, int timeout_ms) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set err;
    FD_ZERO(&err);
    FD_SET(s, &err);
    timeval tv;
    tv.tv_sec = timeout_ms / 1000;
    tv.tv_usec = (timeout_ms % 1000) * 1000;
    int r = select(0, for_write ? nullptr : &set, for_write ? &set : nullptr, &err, &tv);
    return r > 0 && FD_ISSET(s, &set);
}

}  // namespace

DeviceClient::DeviceClient() : DeviceClient(port_from_environment()) {}

DeviceClient::DeviceClient(int port) : port_(port) {
    WSADATA data;
    winsock_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

DeviceClient::~DeviceClient() {
    if (winsock_) WSACleanup();
}

bool DeviceClient::command(const std::string& line, std::string* reply) {
    std::string scratch;
    std::string& out = reply ? *reply : scratch;
    out.clear();
    if (!winsock_ || port_ <= 0) {
        out = "no device control port";
        last_reply_ = out;
        return false;
    }
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
        out = "socket failed";
        last_reply_ = out;
        return false;
    }
    bool ok = false;
    do {
        u_long nonblocking = 1;
        ioctlsocket(s, FIONBIO, &nonblocking);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<u_short>(port_));
        if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
            WSAGetLastError() != WSAEWOULDBLOCK) {
            out = "cannot connect to the device";
            break;
        }
        if (!wait_socket(s, true, timeout_ms_)) {
            out = "cannot connect to the device";
            break;
        }
        nonblocking = 0;
        ioctlsocket(s, FIONBIO, &nonblocking);
        DWORD ms = static_cast<DWORD>(timeout_ms_);
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);

        std::string request = line + "\n";
        size_t sent = 0;
        while (sent < request.size()) {
            int n = send(s, request.data() + sent, static_cast<int>(request.size() - sent), 0);
            if (n <= 0) break;
            sent += n;
        }
        if (sent < request.size()) {
            out = "sending to the device failed";
            break;
        }
        std::string in;
        char buf[65536];
        size_t nl = std::string::npos;
        while ((nl = in.find('\n')) == std::string::npos) {
            int n = recv(s, buf, sizeof buf, 0);
            if (n <= 0) break;
            in.append(buf, n);
        }
        if (nl == std::string::npos) {
            out = "no reply from the device";
            break;
        }
        in.resize(nl);
        if (!in.empty() && in[in.size() - 1] == '\r') in.resize(in.size() - 1);
        out = in;
        ok = in.compare(0, 2, "OK") == 0;
    } while (false);
    closesocket(s);
    last_reply_ = out;
    return ok;
}

bool DeviceClient::simple(const std::string& line) {
    std::string reply;
    return command(line, &reply);
}

bool DeviceClient::ping() { return simple("PING"); }

bool DeviceClient::set_mode(int com, const char* mode) {
    return simple("MODE " + com_name(com) + " " + mode);
}

bool DeviceClient::send_bytes(int com, const std::string& bytes) {
    if (bytes.empty()) return true;
    return simple("SEND " + com_name(com) + " " + to_hex(bytes));
}

std::string DeviceClient::received(int com) {
    std::string reply;
    if (!command("RECEIVED " + com_name(com), &reply)) {
        // Once per client: waits ask again and again.
        if (!received_failed_)
            ADD_FAILURE() << "the device did not answer RECEIVED " << com_name(com) << ": "
                          << reply;
        received_failed_ = true;
        return "";
    }
    if (reply.size() <= 3) return "";
    return from_hex(reply.substr(3));
}

bool DeviceClient::clear(int com) { return simple("CLEAR " + com_name(com)); }

DeviceLineSettings DeviceClient::termios(int com) {
    DeviceLineSettings s;
    std::string reply;
    if (!command("TERMIOS " + com_name(com), &reply)) return s;
    s.speed = std::atoi(field(reply, "speed").c_str());
    s.data = std::atoi(field(reply, "data").c_str());
    s.parity = field(reply, "parity");
    s.stop = std::atoi(field(reply, "stop").c_str());
    s.valid = s.data > 0 && s.stop > 0 && !s.parity.empty();
    return s;
}

bool DeviceClient::hold(int com) { return simple("HOLD " + com_name(com)); }
bool DeviceClient::release(int com) { return simple("RELEASE " + com_name(com)); }
bool DeviceClient::vanish(int com) { return simple("VANISH " + com_name(com)); }
bool DeviceClient::come_back(int com) { return simple("RETURN " + com_name(com)); }
bool DeviceClient::stop_stream(int com) { return simple("STOP " + com_name(com)); }
bool DeviceClient::flush(int com) { return simple("FLUSH " + com_name(com)); }

bool DeviceClient::stream(int com, int bytes_per_second, int count) {
    return simple("STREAM " + com_name(com) + " " + std::to_string(bytes_per_second) + " " +
                  std::to_string(count));
}

DeviceStreamStatus DeviceClient::stream_status(int com) {
    DeviceStreamStatus s;
    std::string reply;
    if (!command("STREAMSTATUS " + com_name(com), &reply)) return s;
    std::string sent = field(reply, "sent"), done = field(reply, "done");
    if (sent.empty() || done.empty()) return s;
    s.sent = std::atoll(sent.c_str());
    s.done = done == "1";
    s.valid = true;
    return s;
}
