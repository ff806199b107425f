#include "archivo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace coopdash {

namespace {

// Far above any asset the game has; a larger file is not one of them.
constexpr off_t kMaxBytes = off_t(64) << 20;

const char* typeWhy(mode_t mode) {
    if (S_ISDIR(mode)) return "es una carpeta, no un archivo";
    if (S_ISFIFO(mode)) return "es una tubería con nombre, no un archivo";
    return "no es un archivo regular";
}

}  // namespace

bool readAssetFile(const std::string& path, std::string& bytes, std::string& why) {
    bytes.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        why = errno == ENOENT ? "no existe" : std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        why = typeWhy(st.st_mode);
        return false;
    }
    // Non-blocking, and the type checked again on what was opened: the path
    // may have changed between stat and open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) why = std::strerror(errno);
    else if (!S_ISREG(st.st_mode)) {
        why = typeWhy(st.st_mode);
        ok = false;
    } else if (st.st_size > kMaxBytes) {
        why = "es demasiado grande";
        ok = false;
    }
    if (ok) {
        bytes.reserve(std::size_t(st.st_size));
        char buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                bytes.append(buf, std::size_t(n));
                if (off_t(bytes.size()) > kMaxBytes) {
                    why = "es demasiado grande";
                    ok = false;
                    break;
                }
                continue;
            }
            if (n == 0) break;
            if (errno == EINTR) continue;
            why = std::strerror(errno);
            ok = false;
            break;
        }
    }
    ::close(fd);
    if (!ok) bytes.clear();
    return ok;
}

std::string readAssetFile(const std::string& path) {
    std::string bytes, why;
    if (!readAssetFile(path, bytes, why)) throw std::runtime_error(path + ": " + why);
    return bytes;
}

}  // namespace coopdash
