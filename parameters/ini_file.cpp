#include "parameters/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "parameters/ini_reader.h"
#include "parameters/ini_writer.h"

bool IniFile::read(IniDocument& document) {
    if (document.size() > 0) document.clear();
    if (path.empty()) return false;
    IniReader reader(path);
    return reader >> document;
}

namespace {

// The file that a save really replaces: the end of a symbolic link, so that
// the link survives, or the path itself.
std::string saveTarget(const std::string& path) {
    std::vector<char> resolved(PATH_MAX + 1);
    struct stat link;
    if (lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode) &&
        realpath(path.c_str(), resolved.data())) {
        return resolved.data();
    }
    return path;
}

// The permissions the saved file gets: those of the file it replaces, or
// what a plain create would give under the current umask.
mode_t savedFileMode(const std::string& target) {
    struct stat status;
    if (stat(target.c_str(), &status) == 0) return status.st_mode & 07777;
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

bool syncFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    bool synced = fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

bool IniFile::write(const IniDocument& document) {
    if (path.empty()) return false;
    const std::string target = saveTarget(path);
    struct stat status;
    if (stat(target.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) return false;

    // Next to the target, so that the rename stays on one file system.
    std::string temporary = target + ".tmp-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return false;
    bool ok = fchmod(fd, savedFileMode(target)) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) {
        IniWriter writer(temporary);
        ok = (writer << document) && writer.close();
    }
    ok = ok && syncFile(temporary) && std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}
