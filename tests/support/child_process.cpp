#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>

using Clock = std::chrono::steady_clock;

namespace {

Clock::time_point after(double seconds) {
    return Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workingDir) {
    start([&] {
        if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
        _exit(127);
    });
}

ChildProcess::ChildProcess(const std::function<void()>& body) {
    start([&] {
        body();
        std::cout.flush();
        std::fflush(nullptr);
        _exit(0);
    });
}

void ChildProcess::start(const std::function<void()>& childBody) {
    std::cout.flush();
    std::fflush(nullptr);
    // Close-on-exec, so that a child started meanwhile on another thread
    // cannot hold these pipes open.
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        finished_ = true;
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        childBody();
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    if (pid_ < 0) {
        close(out[0]);
        close(err[0]);
        finished_ = true;
        return;
    }
    reader_ = std::thread([this, fds = std::vector<int>{out[0], err[0]}] {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}};
        char buffer[4096];
        for (int open = 2; open > 0 && poll(p, 2, -1) > 0;) {
            for (int k = 0; k < 2; ++k) {
                if (p[k].fd < 0 || !p[k].revents) continue;
                ssize_t n = read(p[k].fd, buffer, sizeof buffer);
                if (n <= 0) {
                    close(p[k].fd);
                    p[k].fd = -1;
                    --open;
                    continue;
                }
                std::lock_guard<std::mutex> lock(mutex_);
                (k == 0 ? result_.out : result_.err).append(buffer, static_cast<size_t>(n));
                grew_.notify_all();
            }
        }
        std::lock_guard<std::mutex> lock(mutex_);
        outputEnded_ = true;
        grew_.notify_all();
    });
}

bool ChildProcess::waitForOutput(const std::string& text, double seconds) {
    std::unique_lock<std::mutex> lock(mutex_);
    return grew_.wait_until(lock, after(seconds), [&] {
        return result_.out.find(text) != std::string::npos || outputEnded_;
    }) && result_.out.find(text) != std::string::npos;
}

ChildResult ChildProcess::finish(double seconds) {
    if (finished_) return result_;
    finished_ = true;
    const Clock::time_point deadline = after(seconds);
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() > deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    reader_.join();  // the pipes close with the child
    result_.exited = WIFEXITED(status);
    result_.exitStatus = result_.exited ? WEXITSTATUS(status) : -1;
    return result_;
}

ChildProcess::~ChildProcess() {
    if (!finished_ && pid_ > 0) kill(pid_, SIGKILL);
    finish(0);
}

ChildResult runInChild(const std::function<void()>& body) {
    return ChildProcess(body).finish(120.0);
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir, double timeoutSeconds) {
    return ChildProcess(program, args, workingDir).finish(timeoutSeconds);
}
