#pragma once
#include <cstdint>
#include "script/script.h"

// What a running script asks of the program around it.
class ScriptHost {
public:
    // Queues bytes for the port; false when they could not be queued.
    virtual bool send(const unsigned char* bytes, int count) = 0;
    virtual void set_dtr(bool on) = 0;
    virtual void set_rts(bool on) = 0;
    // Holds a break for `ms`; the script waits that long itself.
    virtual void send_break(int32_t ms) = 0;
    virtual void set_baud(int32_t baud) = 0;
    virtual void open_port() = 0;
    virtual void close_port() = 0;
    // Starts capturing to `path`, or stops with null; false when it could not.
    virtual bool capture(const char* path) = 0;
    virtual void log(const char* text) = 0;
    // The script ended: "pass", or "fail: line N: reason".
    virtual void finished(bool passed, const char* verdict) = 0;

protected:
    ~ScriptHost() = default;
};

// Runs a parsed script as a state machine: received bytes go in through
// feed, the time through tick, which runs the script's steps until one has
// to wait (for bytes, for a time) or a budget of steps is used up, so that
// a loop without a wait still gives the window back. It keeps no thread and
// never sleeps; its time is the caller's milliseconds, which may wrap.
class ScriptMachine {
public:
    // Steps run in one tick at most.
    static constexpr int steps_per_tick = 500;
    // The received bytes kept for waits; older ones are dropped.
    static constexpr int seen_bytes = 8192;

    ScriptMachine(const Script& script, ScriptHost& host) : script_(script), host_(host) {}
    ScriptMachine(const ScriptMachine&) = delete;
    ScriptMachine& operator=(const ScriptMachine&) = delete;

    // Starts from the first step; `line_end` ends each `send` ("\r\n"...).
    void start(uint32_t now, const char* line_end);
    void feed(const char* bytes, int count);
    void tick(uint32_t now);
    // Ends a running script with "fail: line N: stopped".
    void stop();
    bool running() const { return running_; }
    // The line of the step running or waiting.
    int32_t line() const;
    bool passed() const { return passed_; }
    const char* verdict() const { return verdict_; }

    static constexpr int max_variables = 32;
    static constexpr int max_value = 128;

private:
    enum class Outcome { next, waiting, jumped, ended };
    Outcome run_step(const ScriptStep& step, uint32_t now);
    Outcome run_wait(const ScriptStep& step, uint32_t now);
    Outcome run_send(const ScriptStep& step);
    Outcome run_set(const ScriptStep& step);
    bool compare(const ScriptStep& step);
    bool wait_over(const ScriptStep& step, uint32_t now);
    bool found(const ScriptStep& step);
    void finish(bool passed, const char* reason);
    // `text` with $1..$9, $NAME and $$ replaced, into `out` (room for `size`).
    void expand(const char* text, char* out, int size) const;
    const char* variable(const char* name, int length) const;
    bool store_variable(const char* name, const char* value);
    void keep_room(int count);

    const Script& script_;
    ScriptHost& host_;
    bool running_ = false;
    bool passed_ = false;
    char verdict_[160] = {};
    char line_end_[3] = {};
    int pc_ = 0;
    bool waiting_ = false;     // the step at pc_ has begun waiting
    uint32_t deadline_ = 0;
    int32_t remaining_[Script::max_steps];  // each repeat's rounds left
    char seen_[seen_bytes];
    int seen_length_ = 0;
    int matched_to_ = 0;       // bytes before this were matched by a wait
    int sent_at_ = 0;          // the received bytes when the last send went out
    int scanned_to_ = 0;       // a pattern's wait: lines before this were tried
    char groups_[LinePattern::max_groups][max_value];
    char names_[max_variables][24];
    char values_[max_variables][max_value];
    int variable_count_ = 0;
};
