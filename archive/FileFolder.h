#pragma once
// The ".zxc" archive: a flat directory of named entries followed by their bytes. The
// archive keeps entry bytes in memory once loaded or added, and writes everything on Save.

#include "archive/MemoryStream.h"
#include "archive/ReplaceFile.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qz {

inline constexpr uint16_t FileFolderMagic = 0x3039;
inline constexpr uint16_t FileFolderVersion = 0;
inline constexpr size_t FileFolderNameLength = 32;
inline constexpr size_t FileFolderEntrySize = 48;

// One directory entry, kept as on disk so that reserved bytes survive a rewrite.
struct TDirEntry {
    uint8_t NameLength = 0;
    std::array<char, FileFolderNameLength> NameChars{};
    std::array<uint8_t, 3> Reserved1{};
    uint32_t Offset = 0;
    uint32_t Size = 0;
    uint16_t Kind = 0;
    std::array<uint8_t, 2> Reserved2{};

    std::string Name() const;
    void SetName(std::string_view name);
};
using TDir = std::vector<TDirEntry>;

enum class TMemFileState : uint8_t {
    Loaded = 0,    // the stream holds the bytes read from the archive file
    NotLoaded = 1, // the bytes are only in the archive file
    Added = 2,     // added in memory; the archive file does not hold them yet
};

struct TMemFile {
    std::unique_ptr<TMemoryStream> Stream;
    TMemFileState State = TMemFileState::NotLoaded;
};
using TMemFiles = std::vector<TMemFile>;

class TFileFolder {
public:
    // Reads the header and directory of an existing archive; no entry bytes are read.
    static std::unique_ptr<TFileFolder> Open(const std::string& fileName);
    // An empty archive that Save will write to fileName; nothing is read or written now.
    static std::unique_ptr<TFileFolder> CreateNew(const std::string& fileName);

    TFileFolder(const TFileFolder&) = delete;
    TFileFolder& operator=(const TFileFolder&) = delete;

    // First entry whose name equals name ignoring ASCII case, or -1.
    int IndexOf(std::string_view name) const;
    // Reads the entry's bytes from the archive file into its stream (state becomes Loaded).
    void LoadFile(std::string_view name);
    void LoadAll();
    void UpdateOffsets();
    // Appends an entry holding a copy of all of stream; the caller keeps stream.
    void AddFile(std::string_view name, uint16_t kind, const TMemoryStream& stream);
    // Writes the whole archive through the safe writer (calls: the test seam), so that a
    // failed save leaves the old archive file whole.
    void Save(const TWriteCalls& calls = {});

    // The stream of entry index, loading it first when it is still only in the file.
    TMemoryStream& Entry(int index);

    const std::string FileName;
    uint32_t DataStart = 8;
    uint16_t Magic = FileFolderMagic;
    uint16_t Version = FileFolderVersion;
    uint16_t Count = 0;
    uint16_t CountCheck = 0xFFFF;
    TDir Dir;
    TMemFiles MemFiles;

private:
    explicit TFileFolder(std::string fileName) : FileName(std::move(fileName)) {}
    void LoadIndex(int index);
};

} // namespace qz
