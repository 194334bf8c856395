#pragma once
// A program, or a piece of code, run in a child process, with what it writes
// and how it ends: for fatal paths (which end the process) and the real binary.

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct ChildResult {
    bool exited = false;  // ended through exit, not a signal
    int exitStatus = -1;  // 0..255 when exited
    std::string out, err;
};

// Runs while the test goes on; standard input is /dev/null (the console pause never waits).
class ChildProcess {
  public:
    // A program with arguments (no shell), in workingDir (empty: the current one).
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDir = "");
    // Code run in a forked child, which then exits with status 0.
    explicit ChildProcess(const std::function<void()>& body);
    ~ChildProcess() { finish(0); }  // a failed assertion leaves no process behind

    // True once standard output holds text, false if it ends or `seconds` pass first.
    bool waitForOutput(const std::string& text, double seconds);
    // Waits for the end, killing the child after `seconds`.
    ChildResult finish(double seconds);

  private:
    void start(const std::function<void()>& childBody);
    bool collect(int milliseconds);  // false once both pipes are closed

    pid_t pid_ = -1;
    int out_ = -1, err_ = -1;
    bool finished_ = false;
    ChildResult result_;
};

ChildResult runInChild(const std::function<void()>& body);  // killed after two minutes
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir = "", double timeoutSeconds = 60.0);

// For a child: any allocation that would take the address space more than
// `bytes` beyond its present size fails (std::bad_alloc). AddressSanitizer
// reserves terabytes of it, so its builds skip the tests that need this.
void limitAddressSpace(std::size_t bytes);
#ifdef __SANITIZE_ADDRESS__
#define REQUIRE_ADDRESS_LIMIT() GTEST_SKIP() << "no address-space limit under AddressSanitizer"
#else
#define REQUIRE_ADDRESS_LIMIT() (void)0
#endif
