#pragma once
#include <windows.h>
#include <cstdint>
#include "app/receive_pane.h"
#include "app/send_panel.h"
#include "app/shortcut_keys.h"
#include "app/status_bar.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

// The transfer's timer: while a transfer runs it takes the received bytes,
// keeps the engine's time-outs and hands its answers to the writer.
constexpr UINT_PTR transfer_timer_id = 9;
constexpr UINT transfer_timer_period_ms = 20;

// Sending and receiving files by XMODEM and YMODEM from the Send menu. The
// engine runs on the window's thread, fed by this part's own timer while a
// transfer runs: the bytes the reader gathered go to the engine instead of
// the list, and what the engine answers goes out through the writer's
// queue, so nothing ever waits on the line. Progress and the result show
// in the send part of the status bar; a line in the list marks where the
// transfer began and ended.
class TransferPanel : public Stoppable, private TransferSource, private TransferSink {
public:
    TransferPanel(StatusBar& status, ReceivePane& receive, const SendPanel& sender)
        : status_(status), receive_(receive), sender_panel_(sender)
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
    // Stop sending: ends the transfer and tells the far end; false when no
    // transfer runs.
    bool cancel();
    bool stop_running() override { return cancel(); }
    // The timer: received bytes in, time-outs, answers out, progress shown.
    void tick();

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
    void pass_output();
    void finish();
    void close_file();
    void show_progress();
    void show_bar(int percent);
    void update_menu();

    StatusBar& status_;
    ReceivePane& receive_;
    const SendPanel& sender_panel_;
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
    uint8_t pending_[256];              // taken from the engine, not yet queued
    int pending_length_ = 0;
    wchar_t note_[MAX_PATH + 96] = {};
};
