#include "files.h"

#include <sys/stat.h>

namespace boardhop {

bool notAPlainFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

}  // namespace boardhop
