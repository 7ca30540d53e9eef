#include "platform/SafeFile.h"

#include "archive/Error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qz {

void WriteFileSafely(const std::filesystem::path& path, std::string_view bytes) {
    std::string temp = path.string() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        throw IOError("Cannot create " + temp + ": " + std::strerror(errno));
    }
    const auto failed = [&](const char* what) {
        const std::string reason = std::strerror(errno);
        close(fd);
        unlink(temp.c_str());
        return IOError(std::string(what) + " " + path.string() + ": " + reason);
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw failed("Cannot write");
        }
        done += static_cast<size_t>(n);
    }
    // mkstemp makes the file private; the game's files are ordinary user files.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    if (fsync(fd) != 0) {
        throw failed("Cannot write");
    }
    if (close(fd) != 0) {
        unlink(temp.c_str());
        throw IOError("Cannot write " + path.string() + ": " + std::strerror(errno));
    }
    if (rename(temp.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(temp.c_str());
        throw IOError("Cannot replace " + path.string() + ": " + reason);
    }
}

} // namespace qz
