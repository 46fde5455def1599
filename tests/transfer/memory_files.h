#pragma once
// Files held in memory for the transfer engines' tests: a source that serves
// them and a sink that keeps what arrives and notes each call.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>
#include "transfer/transfer_file.h"

struct MemoryFile {
    std::string name;
    std::vector<uint8_t> bytes;
    uint32_t mtime = 0;
};

// `size` bytes that differ from file to file and never end in the padding
// byte, so that a receiver that trims it still gets them whole.
inline std::vector<uint8_t> file_bytes(uint32_t size, uint32_t seed = 1)
{
    std::vector<uint8_t> bytes(size);
    uint32_t x = seed * 2654435761u + size;
    for (uint8_t& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    if (size && bytes.back() == transfer_byte::pad)
        bytes.back() = 0;
    return bytes;
}

class MemorySource : public TransferSource {
public:
    std::vector<MemoryFile> files;
    int reads = 0;

    bool next_file(TransferFile* file) override
    {
        if (next_ >= files.size())
            return false;
        current_ = &files[next_++];
        memset(file, 0xff, sizeof *file);  // every field must be set here
        snprintf(file->name, sizeof file->name, "%s", current_->name.c_str());
        file->size = static_cast<uint32_t>(current_->bytes.size());
        file->size_known = true;
        file->mtime = current_->mtime;
        return true;
    }
    int read(uint32_t offset, uint8_t* out, int count) override
    {
        ++reads;
        if (offset + count > current_->bytes.size())
            return -1;
        memcpy(out, current_->bytes.data() + offset, static_cast<size_t>(count));
        return count;
    }

private:
    size_t next_ = 0;
    const MemoryFile* current_ = nullptr;
};

class MemorySink : public TransferSink {
public:
    std::vector<MemoryFile> files;
    std::string calls;  // "begin NAME SIZE MTIME;", "end 1;"
    bool refuse = false;

    bool begin_file(const TransferFile& file) override
    {
        calls += "begin " + std::string(file.name) + " " +
                 (file.size_known ? std::to_string(file.size) : "?") + " " + std::to_string(file.mtime) + ";";
        files.push_back({file.name, {}, file.mtime});
        return !refuse;
    }
    bool write(const uint8_t* bytes, int count) override
    {
        files.back().bytes.insert(files.back().bytes.end(), bytes, bytes + count);
        return true;
    }
    void end_file(bool whole) override { calls += whole ? "end 1;" : "end 0;"; }
};
