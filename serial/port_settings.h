#pragma once
#include <cstdint>

// The line settings of the port, as indices. The field names are also the
// keys of the settings file. The defaults mean COM1, 9600 baud, no parity,
// 8 data bits, one stop bit, no flow control, DTR and RTS on.
struct PortSettings {
    int32_t Comm = 0;      // 0..3 = COM1..COM4
    int32_t Speed = 0;     // stored: speed button 0..3; given to open: speed table index
    int32_t Parity = 0;    // 0 none, 1 odd, 2 even
    int32_t ByteSize = 0;  // 0 = 8 data bits, 1 = 7
    int32_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    // Any other port and rate: when nonzero they win over Comm and Speed.
    int32_t Port = 0;      // COM number 1..256, 0 = the Comm button
    int32_t Baud = 0;      // baud 50..4,000,000, 0 = the Speed button
    int32_t Flow = 0;      // 0 none, 1 RTS/CTS, 2 XON/XOFF
    // Whether an opened port raises DTR and RTS (RTS/CTS flow control
    // drives RTS itself).
    int32_t Dtr = 1;
    int32_t Rts = 1;
};
