#include "parameters/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iterator>
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

// The target's name with a suffix for mkstemp, the name cut short where the
// whole would pass the longest name a folder entry may have.
std::string temporaryName(const std::string& target) {
    const std::string suffix = ".tmp-XXXXXX";
    const std::size_t nameStart = target.rfind('/') + 1;  // 0 without a folder
    std::string name = target.substr(nameStart);
    if (name.size() + suffix.size() > NAME_MAX) name.resize(NAME_MAX - suffix.size());
    return target.substr(0, nameStart) + name + suffix;
}

// A plain save over the file itself, for where no temporary file can be made
// beside it (a folder the user may not write to). The previous bytes are
// kept and written back when the new ones cannot all be written, so that a
// failed save still leaves the previous file; a file that cannot be read
// for them is not written.
bool writeInPlace(const std::string& target, const IniDocument& document) {
    std::string previous;
    try {
        std::ifstream in(target, std::ios::binary);
        if (!in) return false;
        previous.assign(std::istreambuf_iterator<char>(in), {});
        if (in.bad()) return false;
    } catch (const std::exception&) {  // no memory for them
        return false;
    }
    IniWriter writer(target);
    if ((writer << document) && writer.close() && syncFile(target)) return true;
    std::ofstream restore(target, std::ios::binary | std::ios::trunc);
    restore.write(previous.data(), static_cast<std::streamsize>(previous.size()));
    return false;
}

}  // namespace

bool IniFile::write(const IniDocument& document) {
    if (path.empty()) return false;
    const std::string target = saveTarget(path);
    struct stat status;
    const bool exists = stat(target.c_str(), &status) == 0;
    if (exists && !S_ISREG(status.st_mode)) return false;

    // Next to the target, so that the rename stays on one file system.
    std::string temporary = temporaryName(target);
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return exists && writeInPlace(target, document);
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
