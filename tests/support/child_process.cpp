#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace {

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    return text;
}

// Forks; the child redirects its streams and runs childBody, which never
// returns. The parent drains both pipes and waits (killing after timeout).
ChildResult forkAndCollect(const std::function<void()>& childBody, double timeoutSeconds) {
    std::cout.flush();
    std::fflush(nullptr);
    int outPipe[2], errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, STDIN_FILENO);
        dup2(outPipe[1], STDOUT_FILENO);
        dup2(errPipe[1], STDERR_FILENO);
        close(outPipe[0]);
        close(errPipe[0]);
        close(outPipe[1]);
        close(errPipe[1]);
        childBody();
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);
    ChildResult result;
    std::string err;
    std::thread errReader([&] { err = readAll(errPipe[0]); });
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
        while (!done && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (!done) kill(pid, SIGKILL);
    });
    result.out = readAll(outPipe[0]);
    errReader.join();
    int status = 0;
    waitpid(pid, &status, 0);
    done = true;
    watchdog.join();
    close(outPipe[0]);
    close(errPipe[0]);
    result.err = err;
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace

ChildResult runInChild(const std::function<void()>& body) {
    return forkAndCollect(
        [&] {
            body();
            std::cout.flush();
            std::fflush(nullptr);
            _exit(0);
        },
        120.0);
}

ChildResult runProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& workingDir, double timeoutSeconds) {
    return forkAndCollect(
        [&] {
            if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(126);
            std::vector<char*> argv;
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execvp(program.c_str(), argv.data());
            _exit(127);
        },
        timeoutSeconds);
}
