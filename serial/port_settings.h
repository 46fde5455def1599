#pragma once
#include <cstdint>

// The line settings of the port, as indices. The field names are also the
// keys of the settings file. All zero means COM1, 9600 baud, no parity,
// 8 data bits, one stop bit.
struct PortSettings {
    int32_t Comm = 0;      // 0..3 = COM1..COM4
    int32_t Speed = 0;     // stored: speed button 0..3; given to open: speed table index
    int32_t Parity = 0;    // 0 none, 1 odd, 2 even
    int32_t ByteSize = 0;  // 0 = 8 data bits, 1 = 7
    int32_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    int32_t Baud = 0;      // a rate of its own from min_baud to max_baud, else 0 (use Speed)
};

// The rates a "Baud" of its own may take.
constexpr int32_t min_baud = 50;
constexpr int32_t max_baud = 4000000;
