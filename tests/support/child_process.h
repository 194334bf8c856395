#pragma once
// Runs a program, or a piece of code, in a child process and collects what it
// writes and how it ends: the way to test fatal paths, whose message goes to
// standard output and which end the process, and the real binary.

#include <sys/types.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct ChildResult {
    bool exited = false;  // ended through exit, not a signal
    int exitStatus = -1;  // 0..255 when exited
    std::string out;      // everything written to standard output
    std::string err;      // everything written to standard error
};

// A child that runs while the test goes on; its output is collected as it
// comes. Standard input is /dev/null, so the console pause never waits.
class ChildProcess {
  public:
    // A program with arguments (no shell), in workingDir (empty: the current one).
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingDir = "");
    // Code run in a forked child, which then exits with status 0.
    explicit ChildProcess(const std::function<void()>& body);
    // Kills the child if it still runs and collects it, so that a failed
    // assertion leaves neither a process nor a joinable thread behind.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True as soon as standard output holds `text`; false when `seconds`
    // pass or the output ends without it.
    bool waitForOutput(const std::string& text, double seconds);
    // Waits for the end, killing the child after `seconds`.
    ChildResult finish(double seconds);

  private:
    void start(const std::function<void()>& childBody);

    pid_t pid_ = -1;
    bool finished_ = false;
    ChildResult result_;
    std::mutex mutex_;
    std::condition_variable grew_;
    bool outputEnded_ = false;
    std::thread reader_;
};

// A child running body, collected; killed after two minutes.
ChildResult runInChild(const std::function<void()>& body);

// A program run to its end; killed after timeoutSeconds.
ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir = "", double timeoutSeconds = 60.0);
