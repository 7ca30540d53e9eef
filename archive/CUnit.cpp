#include "archive/CUnit.h"

#include "archive/Helpers.h"

#include <array>
#include <cstdint>

namespace qz {

namespace {

std::array<uint8_t, 8> CipherKeyBytes(std::string_view key) {
    const std::string_view used = key.empty() ? std::string_view(&DefaultCipherKey, 1) : key;
    std::array<uint8_t, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(used[i % used.size()]);
    }
    return bytes;
}

// The block read as an 8 x 8 bit matrix with rows and columns swapped: bit j of output
// byte i is bit i of input byte j.
std::array<uint8_t, 8> Transpose(const std::array<uint8_t, 8>& block) {
    std::array<uint8_t, 8> result{};
    for (int i = 0; i < 8; ++i) {
        uint8_t byte = 0;
        for (int j = 0; j < 8; ++j) {
            byte |= static_cast<uint8_t>(((block[j] >> i) & 1) << j);
        }
        result[i] = byte;
    }
    return result;
}

} // namespace

void CipherStream(TMemoryStream& source, TMemoryStream& dest, std::string_view key) {
    const std::array<uint8_t, 8> k = CipherKeyBytes(key);
    dest.Clear();
    source.SetPosition(0);
    std::array<uint8_t, 8> block{};
    size_t read = 0;
    do {
        read = source.Read(block.data(), block.size());
        for (size_t i = 0; i < block.size(); ++i) {
            block[i] ^= k[i];
        }
        if (read == block.size()) {
            std::array<uint8_t, 8> transposed = Transpose(block);
            for (size_t i = 0; i < transposed.size(); ++i) {
                transposed[i] ^= k[i];
            }
            dest.Write(transposed.data(), transposed.size());
        } else {
            dest.Write(block.data(), read);
        }
    } while (read == block.size());
    dest.SetPosition(0);
    source.Clear();
}

bool IsPlainText(const TMemoryStream& stream) {
    const uint8_t* bytes = stream.Data();
    uint16_t counter = 0;
    bool havePrevious = false;
    uint8_t previous = 0;
    for (size_t i = 0; i < stream.Size(); ++i) {
        const uint8_t byte = bytes[i];
        ++counter;
        const bool afterCR = havePrevious && previous == 13;
        if (afterCR && byte == 10) {
            counter = 0;
        }
        if (byte < 32 && afterCR && byte != 10) {
            return false;
        }
        if (counter > 255) {
            return false;
        }
        previous = byte;
        havePrevious = true;
    }
    return true;
}

std::string EncodeText(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        const unsigned code = static_cast<unsigned char>(c);
        if (code >= 32) {
            c = static_cast<char>(code <= 204 ? code + 51 : code - 173);
        }
    }
    return result;
}

std::string DecodeText(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        const unsigned code = static_cast<unsigned char>(c);
        if (code >= 32) {
            c = static_cast<char>(code >= 83 ? code - 51 : code + 173);
        }
    }
    return result;
}

std::string KeepDigits(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits += c;
        }
    }
    return digits;
}

std::string ShuffleString(std::string_view text) {
    const size_t length = text.size();
    if (length % 2 != 0 || length == 0) {
        return std::string(text);
    }
    std::string result(length, '\0');
    for (size_t i = 1; i <= length; ++i) {
        result[(2 * i) % (length + 1) - 1] = text[i - 1];
    }
    return result;
}

std::string DigitsToText(std::string_view text) {
    std::string digits = ShuffleString(KeepDigits(text));
    digits.erase(0, std::min<size_t>(3, digits.size()));
    const size_t firstNonZero = digits.find_first_not_of('0');
    digits.erase(0, firstNonZero == std::string::npos ? digits.size() : firstNonZero);
    const uint64_t value = static_cast<uint64_t>(TryStrToInt64(digits).value_or(0));
    std::string result;
    for (int i = 0; i < 8; ++i) {
        const char code = static_cast<char>((value >> (8 * i)) & 0x7F);
        if (code != 0) {
            result += code;
        }
    }
    return result;
}

std::string DataKey() {
    return DigitsToText(DataKeyDigits);
}

} // namespace qz
