#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::string& workingDir) {
    start([&] {
        if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(126);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(program.c_str(), argv.data());
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
    // Close-on-exec: another child started meanwhile must not hold them open.
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0 || (pid_ = fork()) < 0) {
        finished_ = true;
        return;
    }
    if (pid_ == 0) {
        dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        childBody();
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
}

bool ChildProcess::collect(int milliseconds) {
    pollfd p[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
    if (out_ < 0 && err_ < 0) return false;
    if (poll(p, 2, milliseconds) <= 0) return true;
    char buffer[4096];
    for (int k = 0; k < 2; ++k) {
        if (p[k].fd < 0 || !p[k].revents) continue;
        ssize_t n = read(p[k].fd, buffer, sizeof buffer);
        if (n > 0) {
            (k == 0 ? result_.out : result_.err).append(buffer, static_cast<size_t>(n));
        } else {
            close(p[k].fd);
            (k == 0 ? out_ : err_) = -1;
        }
    }
    return true;
}

bool ChildProcess::waitForOutput(const std::string& text, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (result_.out.find(text) == std::string::npos && Clock::now() < deadline && collect(50)) {
    }
    return result_.out.find(text) != std::string::npos;
}

ChildResult ChildProcess::finish(double seconds) {
    if (finished_) return result_;
    finished_ = true;
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline && collect(50)) {
    }
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {  // the pipes close before the exit ends
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        if (!collect(10)) usleep(10000);
    }
    for (const auto drain = Clock::now() + std::chrono::seconds(5);
         Clock::now() < drain && collect(50);) {
    }
    result_.exited = WIFEXITED(status);
    result_.exitStatus = result_.exited ? WEXITSTATUS(status) : -1;
    return result_;
}

ChildResult runInChild(const std::function<void()>& body) {
    return ChildProcess(body).finish(120.0);
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir, double timeoutSeconds) {
    return ChildProcess(program, args, workingDir).finish(timeoutSeconds);
}

void limitAddressSpace(std::size_t bytes) {
    std::size_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * sysconf(_SC_PAGESIZE) + bytes;
    rlimit r{limit, limit};
    setrlimit(RLIMIT_AS, &r);
}
