#pragma once
#include <windows.h>
#include <cstdint>
#include "app/receive_pane.h"
#include "app/send_panel.h"
#include "app/settings_changes.h"
#include "app/shortcut_keys.h"
#include "app/status_bar.h"
#include "serial/send_queue.h"
#include "settings/settings_file.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

// The transfer's timer: while a transfer runs it keeps the engine's
// time-outs and shows the progress; after one that was cancelled or failed
// it waits for the line to fall quiet.
constexpr UINT_PTR transfer_timer_id = 9;
constexpr UINT transfer_timer_period_ms = 100;

// Sending and receiving files by XMODEM and YMODEM from the Send menu. The
// engine runs on the window's thread. While a transfer runs the reader tells
// the window of each read (port_event_received) and the bytes go to the
// engine at once instead of to the list; what the engine answers goes out
// through the writer's queue, so nothing ever waits on the line. Progress
// and the result show in the send part of the status bar; a line in the list
// marks where the transfer began and ended.
//
// After a transfer that ended cleanly what follows is the device's again
// (a shell's prompt). After one that was cancelled or failed the rest of a
// block under way and the far end's answers are swallowed until the line has
// been quiet for a second.
class TransferPanel : public Stoppable, private TransferSource, private TransferSink {
public:
    TransferPanel(StatusBar& status, ReceivePane& receive, const SendPanel& sender,
                  ViewSettings& settings, SettingsChanges& changes)
        : status_(status), receive_(receive), sender_panel_(sender), settings_(settings),
          changes_(changes)
    {
    }
    ~TransferPanel();
    TransferPanel(const TransferPanel&) = delete;
    TransferPanel& operator=(const TransferPanel&) = delete;

    void attach(HWND dialog, HMENU menu);
    // The Send menu's items: choose a file to send, or where to put what
    // comes, then start.
    void choose_file_to_send(TransferProtocol protocol) { start(protocol, true); }
    void choose_where_to_receive(TransferProtocol protocol) { start(protocol, false); }
    bool running() const { return engine_ != nullptr; }
    // While a transfer runs, and after one that failed until the line is
    // quiet, what arrives is not the list's.
    bool holds_input() const { return engine_ != nullptr || swallowing_; }
    // Stop sending: ends the transfer and tells the far end; false when no
    // transfer runs.
    bool cancel();
    bool stop_running() override { return cancel(); }
    // Before the port closes or the program ends: a transfer under way is
    // cancelled and its cancel given a moment to reach the line, so that
    // the far end stops.
    void end_before_close();
    // The reader's news that bytes came: the engine takes them and answers.
    void bytes_arrived();
    // The timer: time-outs, answers out, progress shown.
    void tick();
    // The device's bytes that came in the same read as a transfer's last:
    // the list takes them before any others. Returns how many were copied.
    int take_left_over(char* out, int room);
    int left_over() const { return left_length_ - left_at_; }
    // The XMODEM options of the Send menu, and their check marks.
    void toggle_option(int id);
    void show_settings();

private:
    // TransferSource and TransferSink, over the chosen file or folder.
    bool next_file(TransferFile* file) override;
    int read(uint32_t offset, uint8_t* out, int count) override;
    bool begin_file(const TransferFile& file) override;
    bool write(const uint8_t* bytes, int count) override;
    void end_file(bool whole) override;

    bool can_start(bool sending);
    void start(TransferProtocol protocol, bool sending);
    void show_marker(const char* what);
    void take_input(DWORD now);
    void swallow(DWORD now);
    void pass_output();
    void finish();
    void close_file();
    void show_progress();
    void show_bar(int percent);
    void update_menu();

    StatusBar& status_;
    ReceivePane& receive_;
    const SendPanel& sender_panel_;
    ViewSettings& settings_;
    SettingsChanges& changes_;
    HWND dialog_ = nullptr;
    HMENU menu_ = nullptr;
    FileSender* sender_ = nullptr;
    FileReceiver* receiver_ = nullptr;
    TransferEngine* engine_ = nullptr;  // the one of the two that runs
    TransferProtocol protocol_ = TransferProtocol::xmodem;
    bool sending_ = false;
    bool file_given_ = false;           // the sender took its one file
    HANDLE file_ = INVALID_HANDLE_VALUE;
    uint64_t file_size_ = 0;
    uint64_t bytes_moved_ = 0;          // over every file of the batch
    DWORD started_ = 0;
    int port_ = 0;
    wchar_t path_[MAX_PATH] = {};       // the file sent or received; or the folder
    wchar_t name_[MAX_PATH] = {};       // the file's name as shown
    uint8_t pending_[send_job_bytes];   // taken from the engine, not yet queued
    int pending_length_ = 0;
    wchar_t note_[MAX_PATH + 96] = {};
    // After a cancel or a failure: swallowing until the line is quiet.
    bool swallowing_ = false;
    DWORD last_byte_ = 0;
    // What came after a clean end in the same read, for the list.
    char left_[1024];
    int left_length_ = 0;
    int left_at_ = 0;
};
