#include "platform/file_dialogs.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

extern char** environ;

namespace {

struct ToolResult {
    bool ran = false;
    int exitStatus = -1;
    std::string out;
};

// Runs argv[0] (a full path) with the argument vector as given, standard
// output captured, standard input and error on /dev/null, pumping events
// until it ends.
ToolResult runTool(const std::vector<std::string>& args, const EventPump& pump) {
    ToolResult result;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return result;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    // The GTK tool's warnings are its own business, not this program's.
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        close(fds[0]);
        return result;
    }
    result.ran = true;

    char buffer[4096];
    bool outputOpen = true;
    int status = 0;
    for (;;) {
        // Read what is there without blocking, so a long answer never fills the pipe.
        while (outputOpen) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 0) <= 0) break;
            ssize_t n = read(fds[0], buffer, sizeof buffer);
            if (n <= 0) {
                outputOpen = false;
                break;
            }
            result.out.append(buffer, (size_t)n);
        }
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (done < 0) {
            status = -1;
            break;
        }
        if (pump) {
            pump();
        } else {
            pollfd p{fds[0], POLLIN, 0};
            poll(&p, outputOpen ? 1 : 0, 20);
            if (!outputOpen) usleep(20000);
        }
    }
    // Whatever the tool wrote just before it ended.
    while (outputOpen) {
        ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.out.append(buffer, (size_t)n);
    }
    close(fds[0]);
    result.exitStatus = (status >= 0 && WIFEXITED(status)) ? WEXITSTATUS(status) : -1;
    return result;
}

// The one chosen path from a tool's output; empty on cancel or failure.
std::string runDialog(DialogKind kind, const std::string& title, const std::string& startPath,
                      const std::vector<std::string>& filters, const EventPump& pump) {
    std::vector<std::string> args;
    std::string tool = findOnPath("zenity");
    if (!tool.empty()) {
        args = zenityArguments(kind, title, startPath, filters);
    } else {
        tool = findOnPath("kdialog");
        if (tool.empty()) {
            printf("No file dialog available: install zenity or kdialog\n");
            return "";
        }
        args = kdialogArguments(kind, title, startPath, filters);
    }
    args[0] = tool;
    ToolResult r = runTool(args, pump);
    if (!r.ran || r.exitStatus != 0) return "";
    // The path is the first line; a name may hold any character but a line end.
    std::string path = r.out.substr(0, r.out.find('\n'));
    return path;
}

}  // namespace

std::vector<std::string> openFileDialog(const std::string& title, const std::string& startPath,
                                        const std::vector<std::string>& filters,
                                        const EventPump& pump) {
    std::string path = runDialog(DialogKind::Open, title, startPath, filters, pump);
    if (path.empty()) return {};
    return {path};
}

std::string saveFileDialog(const std::string& title, const std::string& startPath,
                           const std::vector<std::string>& filters, const EventPump& pump) {
    return runDialog(DialogKind::Save, title, startPath, filters, pump);
}

std::string absoluteStartPath(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path absolute = fs::absolute(fs::path(path), ec);
    if (!ec && !path.empty()) return absolute.lexically_normal().string();
    fs::path current = fs::current_path(ec);
    if (ec) return "./";
    std::string s = current.string();
    return s.back() == '/' ? s : s + "/";
}

std::vector<std::string> zenityArguments(DialogKind kind, const std::string& title,
                                         const std::string& startPath,
                                         const std::vector<std::string>& filters) {
    std::vector<std::string> args = {"zenity", "--file-selection", "--title=" + title};
    if (kind == DialogKind::Save) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    if (!startPath.empty()) args.push_back("--filename=" + startPath);
    for (size_t i = 0; i + 1 < filters.size(); i += 2)
        args.push_back("--file-filter=" + filters[i] + " | " + filters[i + 1]);
    return args;
}

std::vector<std::string> kdialogArguments(DialogKind kind, const std::string& title,
                                          const std::string& startPath,
                                          const std::vector<std::string>& filters) {
    std::string filterText;
    for (size_t i = 0; i + 1 < filters.size(); i += 2) {
        if (!filterText.empty()) filterText += "\n";
        filterText += filters[i + 1] + "|" + filters[i];
    }
    std::string mode = kind == DialogKind::Save ? "--getsavefilename" : "--getopenfilename";
    return {"kdialog", "--title", title, mode, startPath.empty() ? "." : startPath, filterText};
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    std::string dirs = path;
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}
