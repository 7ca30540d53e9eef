#include "platform/SafeFile.h"

namespace qz {

namespace {

std::string Describe(const TWriteFailure& failure) {
    switch (failure.Step) {
    case TWriteStep::Create:
        return "Cannot create " + failure.Temporary + ": " + failure.Reason;
    case TWriteStep::Write:
        return "Cannot write " + failure.Target + ": " + failure.Reason;
    case TWriteStep::Replace:
        break;
    }
    return "Cannot replace " + failure.Target + ": " + failure.Reason;
}

} // namespace

void WriteFileSafely(const std::filesystem::path& path, std::string_view bytes,
                     const TWriteCalls& calls) {
    ReplaceFile(path, bytes, Describe, calls);
}

} // namespace qz
