#include "archive/MemoryStream.h"

#include "archive/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace qz {

TMemoryStream::TMemoryStream(std::string_view bytes) : bytes_(bytes.begin(), bytes.end()) {}

size_t TMemoryStream::Read(void* buffer, size_t count) {
    if (position_ >= bytes_.size()) {
        return 0;
    }
    const size_t available = std::min(count, bytes_.size() - position_);
    if (available > 0) {
        std::memcpy(buffer, bytes_.data() + position_, available);
    }
    position_ += available;
    return available;
}

void TMemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) {
        return;
    }
    if (position_ + count > bytes_.size()) {
        bytes_.resize(position_ + count);
    }
    std::memcpy(bytes_.data() + position_, buffer, count);
    position_ += count;
}

void TMemoryStream::SetSize(size_t size) {
    bytes_.resize(size);
    position_ = std::min(position_, size);
}

void TMemoryStream::Clear() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    position_ = 0;
}

void TMemoryStream::CopyFrom(const TMemoryStream& source) {
    if (&source == this) {
        position_ = bytes_.size();
        return;
    }
    bytes_ = source.bytes_;
    position_ = bytes_.size();
}

void TMemoryStream::LoadFromFile(const std::string& fileName, size_t limit) {
    // Opened without waiting, so that a pipe in the file's place cannot hold the game up;
    // only a regular file is read, so that a device cannot feed it without end.
    const int handle = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        throw IOError("Cannot open file \"" + fileName + "\": " + std::strerror(errno));
    }
    const auto closeHandle = [handle] { ::close(handle); };
    struct stat status {};
    if (::fstat(handle, &status) != 0) {
        closeHandle();
        throw IOError("Cannot read file \"" + fileName + "\": " + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        closeHandle();
        throw IOError("Cannot read file \"" + fileName + "\": " +
                      (S_ISDIR(status.st_mode) ? "it is a folder" : "it is not a regular file"));
    }
    const auto tooLarge = [&] {
        closeHandle();
        return IOError("Cannot read file \"" + fileName + "\": it is larger than " +
                       std::to_string(limit) + " bytes");
    };
    if (static_cast<uint64_t>(status.st_size) > limit) {
        throw tooLarge();
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(status.st_size));
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            // The file may have grown since it was measured.
            if (bytes.size() >= limit) {
                uint8_t probe = 0;
                const ssize_t more = ::read(handle, &probe, 1);
                if (more > 0) {
                    throw tooLarge();
                }
                break;
            }
            bytes.resize(std::min(limit, std::max<size_t>(bytes.size() * 2, 4096)));
        }
        const ssize_t got = ::read(handle, bytes.data() + filled, bytes.size() - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            const std::string reason = std::strerror(errno);
            closeHandle();
            throw IOError("Cannot read file \"" + fileName + "\": " + reason);
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<size_t>(got);
    }
    closeHandle();
    bytes.resize(filled);
    bytes_ = std::move(bytes);
    position_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw IOError("Cannot create file \"" + fileName + "\"");
    }
    file.write(reinterpret_cast<const char*>(bytes_.data()),
               static_cast<std::streamsize>(bytes_.size()));
    file.flush();
    if (!file) {
        throw IOError("Cannot write file \"" + fileName + "\"");
    }
}

} // namespace qz
