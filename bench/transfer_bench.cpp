// The file transfers' benchmark: the program's real main window in this
// process, lrzsz on the far end of COM20 (run it with bench/transfer.sh).
// For XMODEM and YMODEM, sending and receiving, in 128- and 1024-byte
// blocks, it moves a file and prints the time the transfer took on the
// pseudo-terminal, which carries bytes at no line rate of its own: that time
// is what the program and the far end add to the line's. Each rate's column
// is then (the frames' time on a line at that rate + that time) / the file's
// own bytes' time at that rate: 1.00 would be a transfer as fast as the raw
// bytes. Prints figures only; it fails when a transfer does not finish.
#include <windows.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <string>
#include "app/program_objects.h"
#include "resources/resource_ids.h"
#include "tests/app/main_window_driver.h"
#include "tests/app/transfer_peer.h"
#include "tests/support/test_support.h"

namespace {

// The file's size: QUORVEX_BENCH_BYTES, or 1 MiB.
size_t file_size()
{
    char text[32] = {};
    GetEnvironmentVariableA("QUORVEX_BENCH_BYTES", text, sizeof text);
    long size = atol(text);
    return size > 0 ? static_cast<size_t>(size) : 1u << 20;
}

// The bytes a file of `size` takes on the line in blocks of `block`: each
// block with its 5 bytes of frame and an ACK, then the end (EOT and ACK).
double frame_bytes(double size, int block)
{
    double blocks = size / block;
    return blocks * (block + 6) + 2;
}

}  // namespace

TEST(TransferBench, TimeBeyondTheLine)
{
    struct Mode {
        const char* name;
        int command;
        const char* peer;
        bool one_k;
        int block;
        const char* done;
    } const modes[] = {
        {"XMODEM send 128", IDM_SEND_XMODEM, "rx -c -q received.bin", false, 128, "Sent "},
        {"XMODEM send 1K", IDM_SEND_XMODEM, "rx -c -q received.bin", true, 1024, "Sent "},
        {"XMODEM receive 128", IDM_RECEIVE_XMODEM, "sx -q image.bin", false, 128, "Received "},
        {"XMODEM receive 1K", IDM_RECEIVE_XMODEM, "sx -k -q image.bin", false, 1024, "Received "},
        {"YMODEM send 1K", IDM_SEND_YMODEM, "(cd in && rb -q)", false, 1024, "Sent "},
        {"YMODEM receive 128", IDM_RECEIVE_YMODEM, "sb -q image.bin", false, 128, "Received "},
        {"YMODEM receive 1K", IDM_RECEIVE_YMODEM, "sb -k -q image.bin", false, 1024, "Received "},
    };
    const size_t size = file_size();
    printf("Transfers of %zu bytes against lrzsz on a pseudo-terminal (YMODEM sends 1K blocks only)\n",
           size);
    printf("%-20s %10s %9s %14s %14s\n", "mode", "bytes", "pty s", "x raw @115200", "x raw @921600");
    for (const Mode& mode : modes) {
        std::string folder = peer_folder("bench");
        ASSERT_TRUE(write_file(folder + "image.bin", test_bytes(size)));
        ASSERT_TRUE(CreateDirectoryA((folder + "in").c_str(), nullptr));
        const char* target = mode.command == IDM_RECEIVE_XMODEM   ? "got.bin"
                             : mode.command == IDM_RECEIVE_YMODEM ? "in\\any name"
                                                                  : "image.bin";
        DWORD took_ms = 0;
        uint64_t moved = 0;
        with_peer(folder, mode.peer, [&](HWND dialog) {
            main_dialog.settings().view.xmodem_1k = mode.one_k;
            choose(dialog, mode.command, folder + target);
            start_peer(folder);
            // From the first progress shown (its bytes left out) to the end.
            ASSERT_TRUE(pump_until([] { return bytes_shown() > 0; }, 20000)) << mode.name;
            DWORD began = GetTickCount();
            uint64_t first = bytes_shown();
            ASSERT_TRUE(send_part_begins(mode.done, 600000)) << mode.name << ": " << send_part();
            took_ms = GetTickCount() - began;
            moved = size > first ? size - first : 0;
        });
        remove_tree(folder);
        double pty_s = took_ms / 1000.0;
        printf("%-20s %10zu %9.2f", mode.name, size, pty_s);
        for (double rate : {115200.0, 921600.0}) {
            double raw_s = moved * 10.0 / rate;
            double line_s = frame_bytes(static_cast<double>(moved), mode.block) * 10.0 / rate;
            printf(" %14.2f", raw_s > 0 ? (line_s + pty_s) / raw_s : 0.0);
        }
        printf("\n");
        fflush(stdout);
    }
    main_dialog.settings().view.xmodem_1k = 0;
}
