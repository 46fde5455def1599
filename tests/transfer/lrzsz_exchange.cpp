// The engines against an independent implementation, as one table: lrzsz's
// sx and sb send to them, rx and rb receive from them, over a
// pseudo-terminal, in each block size, with files of awkward sizes checked
// byte for byte. Skipped when lrzsz is missing.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <memory>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>
#include "tests/transfer/memory_files.h"
#include "transfer/file_receiver.h"
#include "transfer/file_sender.h"

namespace {

const std::vector<uint32_t> sizes = {0, 1, 127, 128, 129, 1023, 1024, 1025, 1 << 20};
const uint32_t file_time = 1700000000;

uint32_t now_ms()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint32_t>(t.tv_sec * 1000 + t.tv_nsec / 1000000);
}

uint64_t now_us()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<uint64_t>(t.tv_sec) * 1000000 + static_cast<uint64_t>(t.tv_nsec) / 1000;
}

bool installed(const char* program)
{
    std::string path = getenv("PATH") ? getenv("PATH") : "/usr/bin";
    for (size_t at = 0; at <= path.size();) {
        size_t end = path.find(':', at);
        end = end == std::string::npos ? path.size() : end;
        if (access((path.substr(at, end - at) + "/" + program).c_str(), X_OK) == 0)
            return true;
        at = end + 1;
    }
    return false;
}

std::vector<uint8_t> read_whole(const std::string& path)
{
    std::vector<uint8_t> bytes;
    FILE* f = fopen(path.c_str(), "rb");
    for (int c; f && (c = fgetc(f)) != EOF;)
        bytes.push_back(static_cast<uint8_t>(c));
    if (f)
        fclose(f);
    return bytes;
}

void write_whole(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
    utimbuf times = {file_time, file_time};
    utime(path.c_str(), &times);
}

// Files read from a folder a block at a time, as the program reads them.
class FolderSource final : public TransferSource {
public:
    FolderSource(std::string folder, std::vector<std::string> names) : folder_(folder), names_(names) {}
    ~FolderSource() { close(); }
    bool next_file(TransferFile* file) override
    {
        close();
        if (next_ >= names_.size())
            return false;
        const std::string& name = names_[next_++];
        file_ = fopen((folder_ + "/" + name).c_str(), "rb");
        struct stat st;
        fstat(fileno(file_), &st);
        snprintf(file->name, sizeof file->name, "%s", name.c_str());
        file->size = static_cast<uint32_t>(st.st_size);
        file->size_known = true;
        file->mtime = static_cast<uint32_t>(st.st_mtime);
        return true;
    }
    int read(uint32_t offset, uint8_t* out, int count) override
    {
        fseek(file_, offset, SEEK_SET);
        return static_cast<int>(fread(out, 1, static_cast<size_t>(count), file_));
    }

private:
    void close()
    {
        if (file_)
            fclose(file_);
        file_ = nullptr;
    }
    std::string folder_;
    std::vector<std::string> names_;
    size_t next_ = 0;
    FILE* file_ = nullptr;
};

// Files written into a folder; XMODEM's, which has no name, as `xmodem_name`.
class FolderSink final : public TransferSink {
public:
    FolderSink(std::string folder, std::string xmodem_name) : folder_(folder), xmodem_name_(xmodem_name) {}
    std::string calls;
    bool begin_file(const TransferFile& file) override
    {
        std::string name = file.name[0] ? file.name : xmodem_name_;
        calls += "begin " + name + " " + (file.size_known ? std::to_string(file.size) : "?") + " " +
                 std::to_string(file.mtime) + ";";
        file_ = fopen((folder_ + "/" + name).c_str(), "wb");
        return file_ != nullptr;
    }
    bool write(const uint8_t* bytes, int count) override
    {
        return fwrite(bytes, 1, static_cast<size_t>(count), file_) == static_cast<size_t>(count);
    }
    void end_file(bool whole) override
    {
        calls += whole ? "end 1;" : "end 0;";
        fclose(file_);
        file_ = nullptr;
    }

private:
    std::string folder_, xmodem_name_;
    FILE* file_ = nullptr;
};

// One of lrzsz's programs, its standard input and output the far end of a
// pseudo-terminal, run in `folder`.
struct FarEnd {
    pid_t pid = -1;
    int fd = -1;

    FarEnd(std::vector<std::string> args, const std::string& folder)
    {
        termios raw;
        memset(&raw, 0, sizeof raw);
        cfmakeraw(&raw);
        int far;
        if (openpty(&fd, &far, nullptr, &raw, nullptr) != 0)
            return;
        pid = fork();
        if (pid == 0) {
            setsid();
            if (chdir(folder.c_str()) != 0)
                _exit(126);
            setenv("LD_PRELOAD", LINE_DRAIN_SHIM, 1);
            dup2(far, 0);
            dup2(far, 1);
            int null = open("/dev/null", O_WRONLY);
            dup2(null, 2);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(&a[0]);
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(far);
        fcntl(fd, F_SETFL, O_NONBLOCK);
    }

    // True while it waits in a read of its standard input (Linux's
    // /proc/PID/syscall: call 0, first argument 0), or has ended.
    bool reading() const
    {
        char path[64], call[32] = "";
        snprintf(path, sizeof path, "/proc/%d/syscall", static_cast<int>(pid));
        FILE* f = fopen(path, "r");
        if (!f)
            return true;
        size_t got = fread(call, 1, sizeof call - 1, f);
        fclose(f);
        call[got] = '\0';
        // Nothing read: it was caught between two states; ask again.
        return strncmp(call, "0 0x0 ", 6) == 0;
    }

    // Its exit code once it has ended (it is killed after `most_ms`).
    int finish(uint32_t most_ms)
    {
        uint32_t began = now_ms();
        int status = 0;
        uint8_t rest[4096];
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (now_ms() - began > most_ms) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, 20) > 0 && read(fd, rest, sizeof rest) <= 0)
                poll(nullptr, 0, 5);  // the far end has closed: only the exit is left
        }
        close(fd);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// One of our engines and the far end it talks to.
struct Exchange {
    std::unique_ptr<FarEnd> far;
    TransferEngine* engine;
    std::function<void(const uint8_t*, int, uint32_t)> feed;
    std::function<void(uint32_t)> tick;
    // When its output began to wait for the far end, and when the far end
    // was first seen reading, in microseconds.
    uint64_t waiting_since = 0, reading_since = 0;
    int exit_code = -1;
};

template <typename Engine>
Exchange exchange(Engine* engine, std::vector<std::string> args, const std::string& folder)
{
    Exchange e;
    e.far.reset(new FarEnd(args, folder));
    e.engine = engine;
    e.feed = [engine](const uint8_t* bytes, int count, uint32_t now) { engine->feed(bytes, count, now); };
    e.tick = [engine](uint32_t now) { engine->tick(now); };
    engine->start(now_ms());
    return e;
}

// Runs every exchange at once until each engine has ended, or for
// `most_ms`; then waits for the far ends to exit.
void drive(std::vector<Exchange>& all, uint32_t most_ms)
{
    uint32_t began = now_ms();
    uint8_t bytes[4096];
    for (;;) {
        bool pending = false, running = false;
        std::vector<pollfd> polls;
        for (Exchange& e : all) {
            // rx and rb empty their input just after each answer they
            // write. A real line's time would keep a reply from coming
            // before that; on a pseudo-terminal it would be lost, so a reply
            // waits until the far end has been back in its read for 1 ms
            // (or for 100 ms at most).
            if (e.engine->has_output()) {
                if (!e.waiting_since)
                    e.waiting_since = now_us() | 1;
                if (!e.reading_since && e.far->reading())
                    e.reading_since = now_us() | 1;
                uint64_t now = now_us();
                if ((!e.reading_since || now - e.reading_since < 1000) && now - e.waiting_since < 100000) {
                    pending = true;
                    continue;
                }
            }
            e.waiting_since = e.reading_since = 0;
            for (int n; (n = e.engine->output(bytes, sizeof bytes)) > 0;) {
                for (int done = 0; done < n;) {
                    ssize_t wrote = write(e.far->fd, bytes + done, static_cast<size_t>(n - done));
                    if (wrote > 0) {
                        done += static_cast<int>(wrote);
                    } else {
                        pollfd p = {e.far->fd, POLLOUT, 0};
                        poll(&p, 1, 20);
                    }
                }
            }
            if (!e.engine->finished()) {
                running = true;
                polls.push_back({e.far->fd, POLLIN, 0});
            }
        }
        if ((!running && !pending) || now_ms() - began > most_ms)
            break;
        poll(polls.data(), polls.size(), pending ? 0 : 50);
        if (pending && polls.empty()) {
            timespec pause = {0, 100000};
            nanosleep(&pause, nullptr);
        }
        for (Exchange& e : all) {
            ssize_t got = e.engine->finished() ? 0 : read(e.far->fd, bytes, sizeof bytes);
            if (got > 0)
                e.feed(bytes, static_cast<int>(got), now_ms());
            e.tick(now_ms());
        }
    }
    for (Exchange& e : all)
        e.exit_code = e.far->finish(5000);
}

std::string how(const TransferEngine& engine)
{
    return !engine.finished() ? "running" : engine.succeeded() ? "ok" : engine.reason();
}

std::string name_of(size_t i)
{
    return "file" + std::to_string(i) + ".bin";
}

class Lrzsz : public testing::Test {
protected:
    std::string root;

    void SetUp() override
    {
        if (!installed("sx") || !installed("rx") || !installed("sb") || !installed("rb"))
            GTEST_SKIP() << "lrzsz (sx, rx, sb, rb) is not installed";
        char folder[] = "/tmp/quorvex-transfer-XXXXXX";
        ASSERT_TRUE(mkdtemp(folder));
        root = folder;
    }
    void TearDown() override
    {
        if (!root.empty())
            EXPECT_EQ(0, system(("rm -rf '" + root + "'").c_str()));
    }
    // A folder under the test's own.
    std::string folder(const std::string& name)
    {
        std::string path = root + "/" + name;
        mkdir(path.c_str(), 0700);
        return path;
    }
};

}  // namespace


// A file of the table: `size` bytes, the last `pads` of them 0x1A.
std::vector<uint8_t> table_file(uint32_t size, size_t index, int pads)
{
    std::vector<uint8_t> bytes = file_bytes(size, static_cast<uint32_t>(index));
    for (int k = 1; k <= pads && k <= static_cast<int>(size); ++k)
        bytes[size - k] = transfer_byte::pad;
    return bytes;
}

// Direction x block size x file size x lrzsz program. Each XMODEM file is a
// transfer of its own; YMODEM carries the row's files as one batch. XMODEM
// can't tell the padding from a file's end: a receiver keeps it up to the
// last 128-byte block (as rx does), unless asked to remove it.
TEST_F(Lrzsz, EveryDirectionBlockSizeAndFileSize)
{
    struct Row {
        const char* what;
        TransferProtocol protocol;
        bool we_send;
        std::vector<std::string> program;  // lrzsz's side, the file names added
        bool one_k;           // our XMODEM sender's 1K blocks
        bool crc;             // our receiver asks for the CRC, not the sum
        bool remove_padding;  // our XMODEM receiver's option
        std::vector<uint32_t> sizes;
        int pads;           // the files end in this many 0x1A
        uint32_t padded_to; // what arrives is filled up to a multiple of this
    } const rows[] = {
        {"XMODEM 128 to rx -c", TransferProtocol::xmodem, true, {"rx", "-c"}, false, true, false, sizes, 0, 128},
        {"XMODEM-1K to rx -c", TransferProtocol::xmodem, true, {"rx", "-c"}, true, true, false, sizes, 0, 128},
        {"XMODEM sum to rx", TransferProtocol::xmodem, true, {"rx"}, false, true, false, sizes, 0, 128},
        {"YMODEM to rb", TransferProtocol::ymodem, true, {"rb"}, false, true, false, sizes, 0, 1},
        {"XMODEM 128 from sx", TransferProtocol::xmodem, false, {"sx"}, false, true, false, sizes, 0, 128},
        {"XMODEM-1K from sx -k, padding removed", TransferProtocol::xmodem, false, {"sx", "-k"}, false, true, true, sizes, 0, 1},
        {"XMODEM sum from sx, padding removed", TransferProtocol::xmodem, false, {"sx"}, false, false, true, sizes, 0, 1},
        {"YMODEM from sb", TransferProtocol::ymodem, false, {"sb"}, false, true, false, sizes, 0, 1},
        {"YMODEM-1K from sb -k", TransferProtocol::ymodem, false, {"sb", "-k"}, false, true, false, sizes, 0, 1},
        // A file's own 0x1A bytes at its end are kept.
        {"XMODEM 128 from sx, ending in 0x1A", TransferProtocol::xmodem, false, {"sx"}, false, true, false, {102400, 1000}, 3, 128},
        {"YMODEM from sb, ending in 0x1A", TransferProtocol::ymodem, false, {"sb"}, false, true, false, {102400, 1000}, 3, 1},
    };
    struct Run {
        size_t row;
        std::vector<size_t> files;  // indexes into the row's sizes
        std::string here, there;    // our folder, lrzsz's
        std::unique_ptr<FolderSource> source;
        std::unique_ptr<FolderSink> sink;
        std::unique_ptr<FileSender> sender;
        std::unique_ptr<FileReceiver> receiver;
    };
    std::vector<Run> runs;
    std::vector<Exchange> all;
    for (size_t r = 0; r < sizeof rows / sizeof rows[0]; ++r) {
        const Row& row = rows[r];
        bool batch = row.protocol == TransferProtocol::ymodem;
        for (size_t first = 0; first < row.sizes.size(); first += batch ? row.sizes.size() : 1) {
            Run run;
            run.row = r;
            std::string tag = std::to_string(r) + "-" + std::to_string(first);
            run.here = folder("here" + tag);
            run.there = folder("there" + tag);
            std::vector<std::string> names, args = row.program;
            args.insert(args.begin() + 1, "-q");
            for (size_t i = first; i < (batch ? row.sizes.size() : first + 1); ++i) {
                run.files.push_back(i);
                names.push_back(name_of(i));
                write_whole((row.we_send ? run.here : run.there) + "/" + name_of(i), table_file(row.sizes[i], i, row.pads));
                if (!row.we_send || row.protocol == TransferProtocol::xmodem)
                    args.push_back(name_of(i));
            }
            if (row.we_send) {
                run.source.reset(new FolderSource(run.here, names));
                SenderOptions options;
                options.protocol = row.protocol;
                if (row.one_k)  // else the default
                    options.one_k = true;
                run.sender.reset(new FileSender(options, run.source.get()));
                all.push_back(exchange(run.sender.get(), args, run.there));
            } else {
                run.sink.reset(new FolderSink(run.here, batch ? "" : names[0]));
                ReceiverOptions options;
                options.protocol = row.protocol;
                options.crc = row.crc;
                if (row.remove_padding)  // else the default
                    options.trim_padding = true;
                run.receiver.reset(new FileReceiver(options, run.sink.get()));
                all.push_back(exchange(run.receiver.get(), args, run.there));
            }
            runs.push_back(std::move(run));
        }
    }
    drive(all, 60000);
    for (size_t k = 0; k < runs.size(); ++k) {
        const Run& run = runs[k];
        const Row& row = rows[run.row];
        const TransferEngine& engine = row.we_send ? static_cast<const TransferEngine&>(*run.sender) : *run.receiver;
        std::string where = std::string(row.what) + (run.files.size() == 1 ? ", " + std::to_string(row.sizes[run.files[0]]) + " bytes" : "");
        EXPECT_EQ("ok", how(engine)) << where;
        EXPECT_EQ(0, all[k].exit_code) << where;
        std::string calls;
        for (size_t i : run.files) {
            uint32_t size = row.sizes[i];
            calls += "begin " + name_of(i) + " " + (row.protocol == TransferProtocol::ymodem ? std::to_string(size) + " " + std::to_string(file_time) : "? 0") + ";end 1;";
            std::vector<uint8_t> expected = table_file(size, i, row.pads);
            expected.resize((size + row.padded_to - 1) / row.padded_to * row.padded_to, transfer_byte::pad);
            std::vector<uint8_t> got = read_whole((row.we_send ? run.there : run.here) + "/" + name_of(i));
            EXPECT_TRUE(expected == got) << where << ", " << name_of(i) << ": " << got.size() << " bytes arrived, " << expected.size() << " expected";
        }
        if (run.sink)
            EXPECT_EQ(calls, run.sink->calls) << where;
    }
}
