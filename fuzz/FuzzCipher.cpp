// The cipher must restore any input when applied twice with the same key; the first input
// byte chooses how much of the rest is the key.

#include "archive/CUnit.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const size_t keyLength = std::min<size_t>(data[0] % 12, size - 1);
    const std::string_view key(reinterpret_cast<const char*>(data + 1), keyLength);
    const std::string_view payload(reinterpret_cast<const char*>(data + 1 + keyLength),
                                   size - 1 - keyLength);
    qz::TMemoryStream source(payload);
    qz::TMemoryStream hidden;
    qz::CipherStream(source, hidden, key);
    if (hidden.Size() != payload.size() || source.Size() != 0) {
        std::abort();
    }
    qz::TMemoryStream restored;
    qz::CipherStream(hidden, restored, key);
    if (restored.View() != payload) {
        std::abort();
    }
    qz::IsPlainText(restored);
    if (qz::DecodeText(qz::EncodeText(payload)) != payload) {
        std::abort();
    }
    return 0;
}
