#include "archive/MemoryStream.h"

#include "archive/Error.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

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

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) {
        throw IOError("Cannot open file \"" + fileName + "\"");
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                               std::istreambuf_iterator<char>()};
    if (file.bad()) {
        throw IOError("Cannot read file \"" + fileName + "\"");
    }
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
