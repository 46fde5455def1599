// The receivers (and the sender) fed hostile input: random bytes, blocks
// that pass their checks with any number and contents, time steps and
// cancels. They must not crash, must call the sink in order, never write
// past a size the sender gave, and only ever name a file safely.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include "text/checksums.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

namespace {

bool safe_name(const char* name)
{
    size_t length = strnlen(name, transfer_name_room);
    if (length == 0 || length >= transfer_name_room || !strcmp(name, ".") || !strcmp(name, ".."))
        return false;
    if (name[length - 1] == '.' || name[length - 1] == ' ')
        return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7f || strchr("/\\:<>\"|?*", c))
            return false;
    }
    return true;
}

class CheckingSink final : public TransferSink {
public:
    TransferProtocol protocol;
    bool open = false;
    TransferFile file;
    uint64_t written = 0;

    bool begin_file(const TransferFile& f) override
    {
        if (open || (protocol == TransferProtocol::ymodem && !safe_name(f.name)))
            abort();
        file = f;
        written = 0;
        open = f.name[0] != 'R';  // some files refused: no end_file follows
        return open;
    }
    bool write(const uint8_t* bytes, int count) override
    {
        if (!open || count <= 0 || count > 1024)
            abort();
        volatile uint8_t first = bytes[0], last = bytes[count - 1];  // readable
        (void)first, (void)last;
        written += static_cast<uint64_t>(count);
        if (file.size_known && written > file.size)
            abort();
        return written < 5000000;
    }
    void end_file(bool) override
    {
        if (!open)
            abort();
        open = false;
    }
};

class CheckingSource final : public TransferSource {
public:
    uint32_t size = 0, next = 0;
    int files = 0;
    bool next_file(TransferFile* file) override
    {
        if (files-- <= 0)
            return false;
        memset(file, 0, sizeof *file);
        strcpy(file->name, "f");
        file->size = size;
        file->size_known = true;
        next = 0;
        return true;
    }
    int read(uint32_t offset, uint8_t* out, int count) override
    {
        if (offset != next || count <= 0 || count > 1024 || offset + count > size)
            abort();
        next += static_cast<uint32_t>(count);
        memset(out, 0x55, static_cast<size_t>(count));
        return count;
    }
};

// A block that passes its checks: its number, length, check and leading
// contents from the input, the rest NUL or padding.
int make_block(const uint8_t*& at, const uint8_t* end, uint8_t* out)
{
    if (end - at < 3)
        return 0;
    uint8_t number = at[0], how = at[1];
    int given = at[2];
    at += 3;
    int length = how & 1 ? 1024 : 128;
    if (given > end - at)
        given = static_cast<int>(end - at);
    out[0] = how & 1 ? transfer_byte::stx : transfer_byte::soh;
    out[1] = number;
    out[2] = static_cast<uint8_t>(~number);
    memset(out + 3, how & 2 ? 0 : transfer_byte::pad, static_cast<size_t>(length));
    memcpy(out + 3, at, static_cast<size_t>(given));
    at += given;
    if (how & 4) {
        out[3 + length] = checksum_sum8(out + 3, static_cast<size_t>(length));
        return length + 4;
    }
    uint16_t crc = crc16_xmodem(out + 3, static_cast<size_t>(length));
    out[3 + length] = static_cast<uint8_t>(crc >> 8);
    out[4 + length] = static_cast<uint8_t>(crc);
    return length + 5;
}

template <typename Engine>
void play(Engine& engine, const uint8_t* at, const uint8_t* end)
{
    uint32_t now = 0xfffff000u;  // the clock wraps during the run
    engine.start(now);
    static uint8_t frame[1029], out[1100];
    while (at < end) {
        uint8_t op = *at++;
        switch (op % 5) {
        case 0: {
            int count = op / 5 % 40;
            if (count > end - at)
                count = static_cast<int>(end - at);
            engine.feed(at, count, now);
            at += count;
            break;
        }
        case 1:
            engine.feed(frame, make_block(at, end, frame), now);
            break;
        case 2:
            now += static_cast<uint32_t>(op / 5) * 250u;
            engine.tick(now);
            break;
        case 3: {
            int room = op / 5 % 48 + 1;
            out[room] = 0xa5;
            int got = engine.output(out, room);
            if (got < 0 || got > room || out[room] != 0xa5)
                abort();
            break;
        }
        default:
            if (op == 4)
                engine.cancel();
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    uint8_t options = data[0];
    TransferProtocol protocol = options & 1 ? TransferProtocol::ymodem : TransferProtocol::xmodem;
    if (options & 0x80) {
        CheckingSource source;
        source.size = static_cast<uint32_t>(data[1]) * 37;
        source.files = options >> 4 & 3;
        FileSender sender(SenderOptions{protocol, (options & 2) != 0, (options & 4) ? 9600u : 0u}, &source);
        play(sender, data + 2, data + size);
        return 0;
    }
    CheckingSink sink;
    sink.protocol = protocol;
    ReceiverOptions receiver_options{protocol, (options & 2) != 0, (options & 4) != 0,
                                     static_cast<uint32_t>(data[1]) * 20 + 100};
    FileReceiver receiver(receiver_options, &sink);
    play(receiver, data + 2, data + size);
    if (receiver.finished() && sink.open)
        abort();
    return 0;
}
