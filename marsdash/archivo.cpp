#include "archivo.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace marsdash {

std::string problemaDeArchivo(const std::string& ruta) {
    struct stat st;
    if (ruta.empty() || stat(ruta.c_str(), &st) != 0)
        return ruta.empty() || errno == ENOENT || errno == ENOTDIR ? "cannot open the file"
                                                                    : std::string("cannot open the file: ") + std::strerror(errno);
    if (S_ISREG(st.st_mode)) return "";
    if (S_ISDIR(st.st_mode)) return "is a folder, not a file";
    return "is not a regular file (a pipe, a device)";
}

}  // namespace marsdash
