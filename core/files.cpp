#include "files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace hop {

const char* const kMissingFile = "falta el archivo";

std::string fileProblem(const std::string& path) {
    struct stat st;
    if (path.empty()) return kMissingFile;
    if (stat(path.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? kMissingFile : std::string("no se puede abrir: ") + std::strerror(errno);
    if (S_ISREG(st.st_mode)) return "";
    if (S_ISDIR(st.st_mode)) return "es una carpeta, no un archivo";
    return "no es un archivo normal (una tubería, un dispositivo…)";
}

}  // namespace hop
