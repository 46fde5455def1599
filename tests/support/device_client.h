// Windows-side client of the virtual serial device's control connection.
//
// Test programs use it to script the device on the far end of a COM port:
// choose its mode, make it send bytes, read back what it received, check the
// line settings the program left, hold the line or make the device vanish.
// Every call opens its own short connection to 127.0.0.1 with time-outs, so a
// test never hangs on a missing device.
#pragma once

#include <string>

struct DeviceLineSettings {
    bool valid = false;
    int speed = 0;       // baud
    int data = 0;        // data bits
    std::string parity;  // "none", "odd", "even" (or "mark"/"space")
    int stop = 0;        // stop bits
};

struct DeviceStreamStatus {
    bool valid = false;
    long long sent = 0;  // pattern bytes the device has handed to the line
    bool done = true;    // the stream has finished, was stopped or never ran
};

class DeviceClient {
public:
    // Takes the control port from the file named by QUORVEX_DEVICE_PORT_FILE
    // (a Windows path, or an absolute Unix path which is looked up on Z:).
    DeviceClient();
    explicit DeviceClient(int port);
    ~DeviceClient();
    DeviceClient(const DeviceClient&) = delete;
    DeviceClient& operator=(const DeviceClient&) = delete;

    // False when no control port could be determined.
    bool has_port() const { return port_ > 0; }
    int port() const { return port_; }
    void set_timeout_ms(int ms) { timeout_ms_ = ms; }

    // Sends one command line; *reply gets the reply line (or a description of
    // the failure). True only when the device answered "OK...".
    bool command(const std::string& line, std::string* reply);

    bool ping();
    bool set_mode(int com, const char* mode);          // "modem" or "silent"
    bool send_bytes(int com, const std::string& bytes);
    // Bytes received since the last clear; a failed request fails the test.
    std::string received(int com);
    bool clear(int com);
    DeviceLineSettings termios(int com);
    bool hold(int com);
    bool release(int com);
    bool vanish(int com);
    bool come_back(int com);
    bool stream(int com, int bytes_per_second, int count);  // count 0 = until stopped
    bool stop_stream(int com);
    DeviceStreamStatus stream_status(int com);
    bool flush(int com);  // drop bytes the program has not read yet

    // The last reply or failure text, for test messages.
    const std::string& last_reply() const { return last_reply_; }

private:
    bool simple(const std::string& line);

    int port_ = 0;
    int timeout_ms_ = 5000;
    bool winsock_ = false;
    bool received_failed_ = false;  // a failed RECEIVED was reported
    std::string last_reply_;
};
