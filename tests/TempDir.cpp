#include "TempDir.h"

#include <random>
#include <system_error>

namespace qz::test {

TempDir::TempDir() {
    std::random_device entropy;
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = base / ("quarzel-test-" + std::to_string(entropy()));
        if (std::filesystem::create_directory(candidate)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

} // namespace qz::test
