#pragma once
#include <windows.h>
#include <cstdint>
#include "serial/pacer.h"
#include "serial/port_notifier.h"
#include "serial/send_queue.h"

// Why the line holds back what is sent, as the driver reports it.
enum SendHold : int32_t { hold_none, hold_cts, hold_xoff, hold_dsr };

// What a file being sent has come to.
enum FileState : int32_t { file_none, file_going, file_sent_whole, file_stopped };

// The writer's state as the window reads it, taken whole in one go.
struct SendProgress {
    int32_t file_state;   // FileState
    int32_t held;         // SendHold while a write waits, else hold_none
    uint64_t file_sent;   // bytes of the file that went out
    uint32_t cut_count;   // goes up with each command that did not go out whole
    int32_t cut_sent;     // of the last such command: what went out
    int32_t cut_length;   // and how long it was
    uint32_t replies_done;  // goes up with each reply that went out, was cut or dropped
};

// Everything sent goes through one queue to one writer thread, so that no
// caller ever waits on the line. The thread paces bytes as set, sends files
// in pieces at no more than the line's rate, and reports what holds the line
// back. It touches no window: it tells `notifier` when a write is held or
// moves on, a command is cut or a file ends, and the window reads `progress`.
class PortWriter {
public:
    PortWriter();
    ~PortWriter();
    PortWriter(const PortWriter&) = delete;
    PortWriter& operator=(const PortWriter&) = delete;

    // Starts the thread for an open port; `overlapped` (with its event) is
    // the writer's alone while it runs, and `lost` is set when a write finds
    // the device gone. Also makes the driver's write time-out grow with the
    // length at the line's rate. 0 when the thread could not start.
    int start(HANDLE port, OVERLAPPED* overlapped, const DCB& line, volatile LONG* lost,
              PortNotifier* notifier);
    // The open port's line changed in place: pacing, the rate a file keeps to
    // and the write time-outs follow the new rate.
    void follow_line(const DCB& line);
    // Ends the transfer under way and empties the queue, then ends the
    // thread. Safe to call when not started. 0 when the thread did not end
    // within thread_end_wait_ms: it is left running with all it uses, and
    // this writer starts no other until a later stop (which then only
    // looks, without waiting) finds it ended.
    int stop();
    // The last write went to a driver that kept it after its cancel: the
    // OVERLAPPED, the job and the piece are its until it completes.
    int write_kept() const { return write_left; }
    // Ends the transfer under way (what the driver still holds is dropped)
    // and empties the queue; the thread goes on for what comes next.
    void abort();
    // Queues `length` bytes (at most send_job_bytes); returns `length`, or 0
    // when not running, full, or a repeat is skipped because the last one
    // has not gone out yet. A `reply`'s end is counted in replies_done.
    int queue(const void* data, int length, int repeat, int reply = 0);
    // Queues a whole file read from its current position; the writer owns
    // and closes `file` from then on, also when 0 is returned.
    int queue_file(HANDLE file);
    void progress(SendProgress& out);
    // True when nothing is queued or going out.
    bool idle();

    // Pauses after each byte and after each line end, in ms; with either
    // set, bytes go to the driver one at a time.
    volatile int32_t char_delay_ms = 0;
    volatile int32_t line_delay_ms = 0;
    // Where the line errors the writer's own status calls report are
    // counted (the driver clears them as it reports them).
    volatile LONG* line_errors = nullptr;

private:
    static DWORD WINAPI thread_main(LPVOID writer);
    void run();
    int push(HANDLE file, const void* data, int length, int repeat, int reply);
    void send_file(HANDLE file);
    DWORD send_bytes(const char* data, DWORD length, bool whole);
    DWORD transfer(const char* data, DWORD length, DWORD limit_ms);
    void pause(int32_t ms);
    void keep_to_line_rate(uint64_t sent, DWORD start);
    bool read_status(COMSTAT& status);
    void show_hold();
    void drop_queue();
    void end_transfer(int32_t quit);
    void count_sent(DWORD count);
    void enter();  // takes `lock`
    void leave();

    CRITICAL_SECTION lock;
    SendQueue jobs;
    HANDLE thread = nullptr;
    HANDLE wake = nullptr;         // auto-reset: a job was queued
    HANDLE abort_event = nullptr;  // manual-reset: end the transfer under way
    HANDLE port = nullptr;
    OVERLAPPED* overlapped = nullptr;
    volatile LONG* lost = nullptr;
    PortNotifier* notifier = nullptr;
    void tell(PortEvent event)
    {
        if (notifier)
            notifier->post(event);
    }
    int32_t quitting = 0;
    int32_t left_running = 0; // a thread that did not end when stopped
    int32_t halted = 0;       // the job under way was stopped or failed
    int32_t write_left = 0;   // a write the driver kept after its cancel
    int32_t repeat_busy = 0;  // a repeat is queued or going out
    int32_t sending_file = 0;
    int32_t working = 0;      // a job is under way
    char last_byte = 0;       // of the job under way, for line-end pauses
    volatile DWORD frame_bits = 10;
    volatile DWORD baud = 9600;
    SendProgress state = {};
    Pacer pacer;
    // The job and the file's piece under way: a write the driver keeps after
    // its cancel may still read them once the thread has ended.
    SendJob job;
    char piece[16384];
};
