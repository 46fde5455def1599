// The engines against an independent implementation: lrzsz's sx and sb send
// to them, rx and rb receive from them, over a pseudo-terminal, with files
// of awkward sizes checked byte for byte. Skipped when lrzsz is missing.
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

const uint32_t sizes[] = {0, 1, 127, 128, 129, 1023, 1024, 1025, 1 << 20};
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

const size_t size_count = sizeof sizes / sizeof sizes[0];

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
    // A folder under the test's own with the test files in it (or none).
    std::string folder(const std::string& name, bool with_files)
    {
        std::string path = root + "/" + name;
        mkdir(path.c_str(), 0700);
        for (size_t i = 0; with_files && i < size_count; ++i)
            write_whole(path + "/" + name_of(i), file_bytes(sizes[i], static_cast<uint32_t>(i)));
        return path;
    }
};

}  // namespace

// rx asks with 'C' for the CRC (given -c; 1K blocks then) or with NAK for
// the 8-bit sum; XMODEM keeps the padding up to the last 128-byte block.
TEST_F(Lrzsz, RxReceivesEachSizeByXmodem)
{
    std::string here = folder("here", true), crc_there = folder("crc", false), sum_there = folder("sum", false);
    std::vector<std::unique_ptr<FolderSource>> sources;
    std::vector<std::unique_ptr<FileSender>> senders;
    std::vector<Exchange> all;
    for (int crc = 1; crc >= 0; --crc) {
        for (size_t i = 0; i < size_count; ++i) {
            sources.emplace_back(new FolderSource(here, {name_of(i)}));
            senders.emplace_back(new FileSender(SenderOptions{TransferProtocol::xmodem, true, 0}, sources.back().get()));
            std::vector<std::string> args = {"rx", "-q", name_of(i)};
            if (crc)
                args.insert(args.begin() + 1, "-c");
            all.push_back(exchange(senders.back().get(), args, crc ? crc_there : sum_there));
        }
    }
    drive(all, 30000);
    for (size_t k = 0; k < all.size(); ++k) {
        size_t i = k % size_count;
        std::string where = std::string(k < size_count ? "rx -c, " : "rx, ") + std::to_string(sizes[i]) + " bytes";
        EXPECT_EQ("ok", how(*senders[k])) << where;
        EXPECT_EQ(0, all[k].exit_code) << where;
        std::vector<uint8_t> expected = file_bytes(sizes[i], static_cast<uint32_t>(i));
        expected.resize((sizes[i] + 127) / 128 * 128, transfer_byte::pad);
        std::vector<uint8_t> got = read_whole((k < size_count ? crc_there : sum_there) + "/" + name_of(i));
        EXPECT_TRUE(expected == got) << where << ": " << got.size() << " bytes arrived";
    }
}

TEST_F(Lrzsz, RbReceivesABatchByYmodem)
{
    std::string here = folder("here", true), there = folder("there", false);
    std::vector<std::string> names;
    for (size_t i = 0; i < size_count; ++i)
        names.push_back(name_of(i));
    FolderSource source(here, names);
    FileSender sender(SenderOptions{TransferProtocol::ymodem, true, 0}, &source);
    std::vector<Exchange> all;
    all.push_back(exchange(&sender, {"rb", "-q"}, there));
    drive(all, 30000);
    EXPECT_EQ("ok", how(sender));
    EXPECT_EQ(9, sender.files_done());
    EXPECT_EQ(0, all[0].exit_code);
    for (size_t i = 0; i < size_count; ++i) {
        std::vector<uint8_t> got = read_whole(there + "/" + names[i]);
        EXPECT_TRUE(file_bytes(sizes[i], static_cast<uint32_t>(i)) == got) << names[i] << ": " << got.size() << " bytes arrived";
        struct stat st = {};
        stat((there + "/" + names[i]).c_str(), &st);
        EXPECT_EQ(file_time, static_cast<uint32_t>(st.st_mtime)) << names[i];
    }
}

// sx sends 128-byte blocks, with -k 1K blocks; the receiver asks for the CRC
// or the 8-bit sum. The padding is dropped (the files do not end in 0x1A).
TEST_F(Lrzsz, SxSendsEachSizeByXmodem)
{
    std::string there = folder("there", true);
    struct Mode {
        const char* name;
        bool one_k, crc;
    } const modes[] = {{"sx, CRC", false, true}, {"sx -k, CRC", true, true}, {"sx, sum", false, false}};
    std::vector<std::unique_ptr<FolderSink>> sinks;
    std::vector<std::unique_ptr<FileReceiver>> receivers;
    std::vector<Exchange> all;
    for (const Mode& mode : modes) {
        std::string here = folder(std::to_string(all.size()), false);
        for (size_t i = 0; i < size_count; ++i) {
            sinks.emplace_back(new FolderSink(here, name_of(i)));
            ReceiverOptions options{TransferProtocol::xmodem, mode.crc, true, true, 3000};
            receivers.emplace_back(new FileReceiver(options, sinks.back().get()));
            std::vector<std::string> args = {"sx", "-q", name_of(i)};
            if (mode.one_k)
                args.insert(args.begin() + 1, "-k");
            all.push_back(exchange(receivers.back().get(), args, there));
        }
    }
    drive(all, 30000);
    for (size_t k = 0; k < all.size(); ++k) {
        size_t i = k % size_count;
        std::string where = std::string(modes[k / size_count].name) + ", " + std::to_string(sizes[i]) + " bytes";
        EXPECT_EQ("ok", how(*receivers[k])) << where;
        EXPECT_EQ(0, all[k].exit_code) << where;
        EXPECT_EQ("begin " + name_of(i) + " ? 0;end 1;", sinks[k]->calls) << where;
        std::vector<uint8_t> got = read_whole(root + "/" + std::to_string(k / size_count * size_count) + "/" + name_of(i));
        EXPECT_TRUE(file_bytes(sizes[i], static_cast<uint32_t>(i)) == got) << where << ": " << got.size() << " bytes arrived";
    }
}

TEST_F(Lrzsz, SbSendsABatchByYmodem)
{
    std::string there = folder("there", true), here = folder("here", false);
    std::vector<std::string> args = {"sb", "-q"};
    std::string calls;
    for (size_t i = 0; i < size_count; ++i) {
        args.push_back(name_of(i));
        calls += "begin " + name_of(i) + " " + std::to_string(sizes[i]) + " " + std::to_string(file_time) + ";end 1;";
    }
    FolderSink sink(here, "");
    FileReceiver receiver(ReceiverOptions{TransferProtocol::ymodem, true, true, true, 3000}, &sink);
    std::vector<Exchange> all;
    all.push_back(exchange(&receiver, args, there));
    drive(all, 30000);
    EXPECT_EQ("ok", how(receiver));
    EXPECT_EQ(0, all[0].exit_code);
    EXPECT_EQ(calls, sink.calls);
    for (size_t i = 0; i < size_count; ++i) {
        std::vector<uint8_t> got = read_whole(here + "/" + name_of(i));
        EXPECT_TRUE(file_bytes(sizes[i], static_cast<uint32_t>(i)) == got) << name_of(i) << ": " << got.size() << " bytes arrived";
    }
}
