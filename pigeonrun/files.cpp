#include "files.h"

#include <sys/stat.h>

namespace pigeonrun {

std::string fileProblem(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return "cannot open the file";
    if (S_ISDIR(info.st_mode)) return "is a folder, not a file";
    if (!S_ISREG(info.st_mode)) return "is not a regular file";
    return "";
}

}  // namespace pigeonrun
