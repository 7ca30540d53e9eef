#pragma once
// A growable in-memory byte buffer with a position: what archives hand out, what the
// cipher transforms and what every reader of game data consumes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

class TMemoryStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string_view bytes);

    // Copies up to count bytes from the position on; returns how many were copied.
    size_t Read(void* buffer, size_t count);
    // Writes at the position, growing the stream as needed.
    void Write(const void* buffer, size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }

    size_t Size() const { return bytes_.size(); }
    // Grows (with zero bytes) or cuts the stream; the position is kept inside the new size.
    void SetSize(size_t size);
    size_t Position() const { return position_; }
    // Positions past the end are allowed; a write there fills the gap with zero bytes.
    void SetPosition(size_t position) { position_ = position; }
    void Clear();

    // Replaces the content with all of source (from its start, whatever its position) and
    // puts the position at the end, as a copy of a whole stream does.
    void CopyFrom(const TMemoryStream& source);

    uint8_t* Data() { return bytes_.data(); }
    const uint8_t* Data() const { return bytes_.data(); }
    std::string_view View() const {
        return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
    }
    std::string ToString() const { return std::string(View()); }

    // Whole-file transfer; failures raise IOError with the file name. Only a regular file of
    // at most limit bytes is read: a folder, a pipe, a device or a larger file is an error.
    void LoadFromFile(const std::string& fileName, size_t limit = SIZE_MAX);
    void SaveToFile(const std::string& fileName) const;

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

} // namespace qz
