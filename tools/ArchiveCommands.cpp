// The archive, cipher, codec and XML commands of quarzel-data.

#include "Commands.h"
#include "archive/CUnit.h"
#include "archive/Error.h"
#include "archive/FileFolder.h"
#include "archive/Helpers.h"
#include "xml/NyxParser.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>

namespace qz::tool {

namespace {

std::string ReadStandardInput() {
    std::ios::sync_with_stdio(false);
    return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

void WriteStandardOutput(std::string_view bytes) {
    std::cout.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::cout.flush();
}

TMemoryStream ReadFile(const std::string& fileName) {
    TMemoryStream stream;
    stream.LoadFromFile(fileName);
    return stream;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::string HexToBytes(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        const int high = HexDigit(hex[i]);
        const int low = HexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            break;
        }
        bytes += static_cast<char>(high * 16 + low);
    }
    if (bytes.size() * 2 != hex.size()) {
        throw Error("Key \"" + hex + "\" is not a string of hex byte pairs");
    }
    return bytes;
}

int ZxcList(const std::string& archive) {
    const auto folder = TFileFolder::Open(archive);
    for (const TDirEntry& entry : folder->Dir) {
        std::cout << entry.Name() << '\t' << entry.Size << '\t' << entry.Kind << '\n';
    }
    return 0;
}

int ZxcCreate(const std::string& archive) {
    TFileFolder::CreateNew(archive)->Save();
    return 0;
}

int ZxcAdd(const Arguments& arguments) {
    const std::string& archive = arguments[1];
    const std::string& file = arguments[2];
    const std::string name =
        arguments.size() > 3 ? arguments[3] : std::filesystem::path(file).filename().string();
    uint16_t kind = 0;
    if (arguments.size() > 4) {
        const auto value = TryStrToInt(arguments[4]);
        if (!value || *value < 0 || *value > 0xFFFF) {
            throw Error("Kind \"" + arguments[4] + "\" is not a number from 0 to 65535");
        }
        kind = static_cast<uint16_t>(*value);
    }
    const TMemoryStream content = ReadFile(file);
    const auto folder = TFileFolder::Open(archive);
    folder->AddFile(name, kind, content);
    folder->Save();
    return 0;
}

int ZxcExtract(const std::string& archive, const std::string& name, const std::string& out) {
    const auto folder = TFileFolder::Open(archive);
    folder->LoadFile(name);
    folder->MemFiles[static_cast<size_t>(folder->IndexOf(name))].Stream->SaveToFile(out);
    return 0;
}

// The entry keeps its place and kind; only its bytes change.
int ZxcReplace(const std::string& archive, const std::string& name, const std::string& file) {
    TMemoryStream content = ReadFile(file);
    const auto folder = TFileFolder::Open(archive);
    folder->LoadFile(name);
    const int index = folder->IndexOf(name);
    folder->Entry(index) = std::move(content);
    folder->Dir[static_cast<size_t>(index)].Size =
        static_cast<uint32_t>(folder->Entry(index).Size());
    folder->Save();
    return 0;
}

} // namespace

int RunZxc(const Arguments& arguments) {
    if (arguments.empty()) {
        throw UsageError{};
    }
    const std::string& verb = arguments[0];
    if (verb == "list" && arguments.size() == 2) {
        return ZxcList(arguments[1]);
    }
    if (verb == "create" && arguments.size() == 2) {
        return ZxcCreate(arguments[1]);
    }
    if (verb == "add" && arguments.size() >= 3 && arguments.size() <= 5) {
        return ZxcAdd(arguments);
    }
    if (verb == "extract" && arguments.size() == 4) {
        return ZxcExtract(arguments[1], arguments[2], arguments[3]);
    }
    if (verb == "replace" && arguments.size() == 4) {
        return ZxcReplace(arguments[1], arguments[2], arguments[3]);
    }
    throw UsageError{};
}

int RunCipher(const Arguments& arguments) {
    std::string key;
    size_t first = 0;
    if (arguments.size() == 4 && arguments[0] == "--hex") {
        key = HexToBytes(arguments[1]);
        first = 2;
    } else if (arguments.size() == 3) {
        key = arguments[0];
        first = 1;
    } else {
        throw UsageError{};
    }
    TMemoryStream source = ReadFile(arguments[first]);
    TMemoryStream dest;
    CipherStream(source, dest, key);
    dest.SaveToFile(arguments[first + 1]);
    return 0;
}

int RunEncodeText(const Arguments& arguments) {
    if (!arguments.empty()) {
        throw UsageError{};
    }
    // Control characters pass the codec unchanged, so coding the whole text at once is the
    // same as coding it line by line.
    WriteStandardOutput(EncodeText(ReadStandardInput()));
    return 0;
}

int RunDecodeText(const Arguments& arguments) {
    if (!arguments.empty()) {
        throw UsageError{};
    }
    WriteStandardOutput(DecodeText(ReadStandardInput()));
    return 0;
}

int RunIsPlainText(const Arguments& arguments) {
    if (arguments.size() != 1) {
        throw UsageError{};
    }
    std::cout << (IsPlainText(ReadFile(arguments[0])) ? "plain" : "not plain") << '\n';
    return 0;
}

int RunDigitsToText(const Arguments& arguments) {
    if (arguments.size() != 1) {
        throw UsageError{};
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char c : DigitsToText(arguments[0])) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    std::cout << hex << '\n';
    return 0;
}

int RunXmlFormat(const Arguments& arguments) {
    if (arguments.size() != 1) {
        throw UsageError{};
    }
    TNyxParser parser;
    parser.LoadFromStream(ReadFile(arguments[0]));
    TMemoryStream out;
    parser.SaveToStream(out);
    WriteStandardOutput(out.View());
    return 0;
}

} // namespace qz::tool
