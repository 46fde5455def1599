#pragma once
#include <windows.h>
#include <cstdint>

// The most bytes one queued command holds: more than a command line, a
// macro or a repeat with its line end, and a file transfer's 1024-byte
// block with its frame, which then goes to the driver in one write.
constexpr int send_job_bytes = 1032;

// One piece of work for the writer: a command's bytes, or a whole file.
struct SendJob {
    HANDLE file;     // a file sent from its start to its end; null: `bytes`
    int32_t repeat;  // queued by the repeat timer
    int32_t reply;   // an automatic reply: its end is counted
    int32_t length;  // bytes used in `bytes`
    char bytes[send_job_bytes];
};

// The jobs waiting for the writer, oldest first. It does no locking: its
// owner holds its lock around every call.
class SendQueue {
public:
    // The slot for a new last job, to be filled in; null when the queue is
    // full.
    SendJob* add();
    // 0 when nothing waits.
    int pop(SendJob& job);
    // Drops every waiting job; files among them are closed. Returns how
    // many of them were replies.
    int clear();
    bool empty() const { return count == 0; }

private:
    static constexpr uint32_t capacity = 16;
    SendJob jobs[capacity];
    uint32_t first = 0;
    uint32_t count = 0;
};
