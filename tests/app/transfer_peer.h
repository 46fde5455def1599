#pragma once
// The far end of COM20 for the transfer and terminal tests and the transfer
// benchmark: a pseudo-terminal that socat makes and links where the Wine
// prefix expects COM20, with a program (lrzsz's, a shell) on its other side.
#include <windows.h>
#include <cstdint>
#include <functional>
#include <string>
#include <gtest/gtest.h>

// The device folder, where the prefix maps COM20 to the link "com20".
std::string device_folder();
// A fresh folder beside the device's links, on drive Z:.
std::string peer_folder(const char* tag);
// Bytes of every value, CAN and the padding byte among them; the last
// `pads` are the padding byte, the one before them is not.
std::string test_bytes(size_t count, int pads = 0);
// The send part of the status bar.
std::string send_part();
bool send_part_begins(const std::string& start, DWORD milliseconds);
// The bytes moved so far as the send part shows them.
uint64_t bytes_shown();
// Chooses `path` in the Open or Save As dialog that `command_id` brings up.
void choose(HWND dialog, int command_id, const std::string& path);
// Makes COM20's line with socat in `folder` (a script line.sh that runs
// `setup`, then socat with `far_end` for at most `seconds`, then writes
// peer.done) and waits until the link is there.
::testing::AssertionResult start_line(const std::string& folder, const std::string& setup,
                                      const std::string& far_end, int seconds);
// Lets the peer of with_peer begin.
void start_peer(const std::string& folder);
// Puts `peer` (a shell line run in `folder` once the script calls
// start_peer, its messages kept in peer.log) on the far end of COM20, runs
// `script` in the window with COM20 open at 115200 baud in the Lines view,
// then waits for the peer to end.
void with_peer(const std::string& folder, const std::string& peer,
               const std::function<void(HWND)>& script);
