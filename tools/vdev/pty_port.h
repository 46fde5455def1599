// One pseudo-terminal standing in for a serial line, plus the symlinks that
// let the program find it.
//
// The device keeps its own slave fd open for the pty's whole life, so the
// program closing and reopening the port never hangs up the line.
#pragma once

#include <string>

namespace vdev {

// Line settings as the program last left them on the slave side.
struct LineSettings {
    long speed = 0;          // baud, 0 if the kernel value has no number
    int data_bits = 8;       // 5..8
    std::string parity;      // none, odd, even, mark or space
    int stop_bits = 1;       // 1 or 2
    bool rtscts = false;     // hardware flow control (CRTSCTS)
    bool ixon = false;       // program's output obeys XON/XOFF
    bool ixoff = false;      // program's input sends XON/XOFF
};

class PtyPort {
public:
    // `link` and (if not empty) `extra_link` are kept pointing at the slave.
    PtyPort(const std::string& link, const std::string& extra_link);
    ~PtyPort();
    PtyPort(const PtyPort&) = delete;
    PtyPort& operator=(const PtyPort&) = delete;

    // Creates a fresh pty (master raw, slave raw at 9600) and points the links
    // at its slave. No-op when already open.
    bool open(std::string* err);
    // Closes both ends (if open) and removes the links the port made.
    void close();
    // While closed: points the links at a socket file, a name that exists but
    // cannot be opened (open() fails with ENXIO), instead of no name at all.
    bool link_to_placeholder(std::string* err);

    bool is_open() const { return master_ >= 0; }
    int master_fd() const { return master_; }
    const std::string& slave_path() const { return slave_path_; }

    // Stops/resumes the program's output on the line (tcflow on the slave).
    bool set_hold(bool hold, std::string* err);
    bool held() const { return held_; }

    bool line_settings(LineSettings* out, std::string* err) const;

    // Discards bytes already written towards the program but not yet read.
    bool discard_unread(std::string* err);

private:
    void unlink_links();

    std::string link_;
    std::string extra_link_;
    std::string placeholder_;
    std::string linked_to_;  // what the links point at now ("" = no links)
    int master_ = -1;
    int slave_ = -1;
    std::string slave_path_;
    bool held_ = false;
};

// Points `path` at `target`, replacing whatever symlink was there atomically.
bool replace_symlink(const std::string& target, const std::string& path, std::string* err);
// Removes `path` if it is a symlink to `target`.
void remove_symlink_to(const std::string& path, const std::string& target);

}  // namespace vdev
