#include "files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace orbitdash {

bool openFile(const std::string& path, std::ifstream& file, std::string& problem) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        problem = errno == ENOENT || errno == ENOTDIR ? "not found" : std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    if (S_ISDIR(info.st_mode)) {
        problem = "is a folder, not a file";
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        problem = "is not a regular file (a named pipe, a device or a socket)";
        return false;
    }
    file.open(path, std::ios::binary);
    if (!file) {
        problem = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace orbitdash
