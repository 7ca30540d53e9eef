#include "archive/FileFolder.h"

#include "archive/Error.h"
#include "archive/Helpers.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace qz {

namespace {

uint16_t ReadU16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] | bytes[1] << 8);
}

uint32_t ReadU32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void WriteU16(uint8_t* bytes, uint16_t value) {
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
}

void WriteU32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

TDirEntry DecodeEntry(const uint8_t* bytes) {
    TDirEntry entry;
    entry.NameLength = bytes[0];
    std::memcpy(entry.NameChars.data(), bytes + 1, FileFolderNameLength);
    std::memcpy(entry.Reserved1.data(), bytes + 33, 3);
    entry.Offset = ReadU32(bytes + 36);
    entry.Size = ReadU32(bytes + 40);
    entry.Kind = ReadU16(bytes + 44);
    std::memcpy(entry.Reserved2.data(), bytes + 46, 2);
    return entry;
}

void EncodeEntry(const TDirEntry& entry, uint8_t* bytes) {
    bytes[0] = entry.NameLength;
    std::memcpy(bytes + 1, entry.NameChars.data(), FileFolderNameLength);
    std::memcpy(bytes + 33, entry.Reserved1.data(), 3);
    WriteU32(bytes + 36, entry.Offset);
    WriteU32(bytes + 40, entry.Size);
    WriteU16(bytes + 44, entry.Kind);
    std::memcpy(bytes + 46, entry.Reserved2.data(), 2);
}

// Only a regular file is an archive: a pipe in its place would hold the game up, a device
// would feed it without end.
const std::string& RegularFile(const std::string& name) {
    std::error_code error;
    const auto status = std::filesystem::status(name, error);
    if (!error && status.type() != std::filesystem::file_type::regular) {
        throw IOError("Cannot open file \"" + name + "\": " +
                      (status.type() == std::filesystem::file_type::directory
                           ? "it is a folder"
                           : "it is not a regular file"));
    }
    return name;
}

// Closes the file on every path out of an operation.
class File {
public:
    File(const std::string& name, const char* mode)
        : handle_(std::fopen(RegularFile(name).c_str(), mode)) {
        if (handle_ == nullptr) {
            throw IOError("Cannot open file \"" + name + "\": " + std::strerror(errno));
        }
    }
    ~File() { Close(); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    std::FILE* Handle() const { return handle_; }
    size_t Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, handle_); }
    int Close() {
        int result = 0;
        if (handle_ != nullptr) {
            result = std::fclose(handle_);
            handle_ = nullptr;
        }
        return result;
    }

private:
    std::FILE* handle_;
};

std::string DescribeFailure(const TWriteFailure& failure) {
    switch (failure.Step) {
    case TWriteStep::Create:
        return "Cannot open file \"" + failure.Temporary + "\": " + failure.Reason;
    case TWriteStep::Write:
        return "Cannot write file \"" + failure.Temporary + "\": " + failure.Reason;
    case TWriteStep::Replace:
        break;
    }
    return "Cannot replace file \"" + failure.Target + "\": " + failure.Reason;
}

uint64_t FileSize(const std::string& name) {
    std::error_code error;
    const auto size = std::filesystem::file_size(name, error);
    if (error) {
        throw IOError("Cannot read file \"" + name + "\": " + error.message());
    }
    return size;
}

} // namespace

std::string TDirEntry::Name() const {
    return std::string(NameChars.data(), std::min<size_t>(NameLength, FileFolderNameLength));
}

void TDirEntry::SetName(std::string_view name) {
    const std::string_view cut = name.substr(0, FileFolderNameLength);
    NameChars.fill(0);
    std::memcpy(NameChars.data(), cut.data(), cut.size());
    NameLength = static_cast<uint8_t>(cut.size());
}

std::unique_ptr<TFileFolder> TFileFolder::Open(const std::string& fileName) {
    std::unique_ptr<TFileFolder> folder(new TFileFolder(fileName));
    File file(fileName, "rb");

    uint8_t header[8];
    if (file.Read(header, sizeof header) < sizeof header) {
        throw Error("Cannot open FileFolder (wrong file size)");
    }
    folder->Magic = ReadU16(header);
    folder->Version = ReadU16(header + 2);
    folder->Count = ReadU16(header + 4);
    folder->CountCheck = ReadU16(header + 6);
    if (folder->Magic != FileFolderMagic) {
        throw Error("Cannot open FileFolder (broked label)");
    }
    if (folder->Version > FileFolderVersion) {
        throw Error("Cannot open FileFolder (wrong version)");
    }
    if (folder->Count != static_cast<uint16_t>(~folder->CountCheck)) {
        throw Error("Cannot open FileFolder (wrong sizing)");
    }

    const size_t dirBytes = size_t{folder->Count} * FileFolderEntrySize;
    // A directory longer than the file can never be read in full: refuse it before
    // allocating room for it.
    if (FileSize(fileName) < sizeof header + dirBytes) {
        throw Error("Cannot open Dir (wrong size)");
    }
    std::vector<uint8_t> dirBlock(dirBytes);
    if (file.Read(dirBlock.data(), dirBytes) < dirBytes) {
        throw Error("Cannot open Dir (wrong size)");
    }
    folder->Dir.reserve(folder->Count);
    folder->MemFiles.reserve(folder->Count);
    for (size_t i = 0; i < folder->Count; ++i) {
        folder->Dir.push_back(DecodeEntry(dirBlock.data() + i * FileFolderEntrySize));
        folder->MemFiles.push_back({std::make_unique<TMemoryStream>(), TMemFileState::NotLoaded});
    }
    folder->DataStart = static_cast<uint32_t>(dirBytes + sizeof header);
    return folder;
}

std::unique_ptr<TFileFolder> TFileFolder::CreateNew(const std::string& fileName) {
    return std::unique_ptr<TFileFolder>(new TFileFolder(fileName));
}

int TFileFolder::IndexOf(std::string_view name) const {
    const std::string wanted = LowerCase(name);
    for (size_t i = 0; i < Dir.size(); ++i) {
        if (LowerCase(Dir[i].Name()) == wanted) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TFileFolder::LoadFile(std::string_view name) {
    const int index = IndexOf(name);
    if (index < 0) {
        throw Error("Cannot load file (wrong file name)");
    }
    LoadIndex(index);
}

void TFileFolder::LoadIndex(int index) {
    const TDirEntry& entry = Dir[static_cast<size_t>(index)];
    TMemoryStream& stream = *MemFiles[static_cast<size_t>(index)].Stream;
    File file(FileName, "rb");
    stream.Clear();

    const uint64_t start = uint64_t{DataStart} + entry.Offset;
    // An entry reaching past the end of the file cannot be read in full: refuse it before
    // allocating its size, which a damaged directory may give as gigabytes.
    if (start + entry.Size > FileSize(FileName)) {
        throw Error("Cannot load file (wrong file size)");
    }
    stream.SetSize(entry.Size);
    if (entry.Size == 0) {
        MemFiles[static_cast<size_t>(index)].State = TMemFileState::Loaded;
        return;
    }
    if (std::fseek(file.Handle(), static_cast<long>(start), SEEK_SET) != 0 ||
        file.Read(stream.Data(), entry.Size) < entry.Size) {
        stream.Clear();
        throw Error("Cannot load file (wrong file size)");
    }
    MemFiles[static_cast<size_t>(index)].State = TMemFileState::Loaded;
}

void TFileFolder::LoadAll() {
    for (size_t i = 0; i < MemFiles.size(); ++i) {
        if (MemFiles[i].State == TMemFileState::NotLoaded) {
            LoadIndex(static_cast<int>(i));
        }
    }
}

void TFileFolder::UpdateOffsets() {
    DataStart = static_cast<uint32_t>(FileFolderEntrySize * Count + 8);
    uint32_t offset = 0;
    for (TDirEntry& entry : Dir) {
        entry.Offset = offset;
        offset += entry.Size;
    }
}

void TFileFolder::AddFile(std::string_view name, uint16_t kind, const TMemoryStream& stream) {
    if (IndexOf(name) >= 0) {
        throw Error("Cannot add file (dublicate)");
    }
    TDirEntry entry;
    entry.SetName(name);
    entry.Kind = kind;
    entry.Size = static_cast<uint32_t>(stream.Size());
    auto copy = std::make_unique<TMemoryStream>();
    copy->CopyFrom(stream);
    Dir.push_back(entry);
    MemFiles.push_back({std::move(copy), TMemFileState::Added});
    ++Count;
    CountCheck = static_cast<uint16_t>(~Count);
}

TMemoryStream& TFileFolder::Entry(int index) {
    TMemFile& file = MemFiles.at(static_cast<size_t>(index));
    if (file.State == TMemFileState::NotLoaded) {
        LoadIndex(index);
    }
    return *file.Stream;
}

void TFileFolder::Save(const TWriteCalls& calls) {
    LoadAll();
    UpdateOffsets();

    std::vector<uint8_t> head(8 + FileFolderEntrySize * Dir.size());
    WriteU16(head.data(), Magic);
    WriteU16(head.data() + 2, Version);
    WriteU16(head.data() + 4, Count);
    WriteU16(head.data() + 6, CountCheck);
    for (size_t i = 0; i < Dir.size(); ++i) {
        EncodeEntry(Dir[i], head.data() + 8 + i * FileFolderEntrySize);
    }

    // Each entry is written whole from position 0, which leaves its stream at the end.
    std::vector<std::string_view> pieces{
        std::string_view(reinterpret_cast<const char*>(head.data()), head.size())};
    for (const TMemFile& file : MemFiles) {
        pieces.push_back(file.Stream->View());
        file.Stream->SetPosition(file.Stream->Size());
    }
    ReplaceFile(FileName, pieces, DescribeFailure, calls);
}

} // namespace qz
