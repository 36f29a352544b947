#pragma once
// A new, empty folder under the system's temporary folder for one test, on every system.

#include <atomic>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>

namespace testsupport {

// Creates "<temporary folder>/<prefix>-<random>" and returns it; an empty path when no folder could
// be created. Creating the folder is what claims the name, so two tests never share one.
inline std::filesystem::path MakeTempFolder(const std::string& prefix) {
    static std::atomic<unsigned> counter{0};
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) {
        return {};
    }
    std::random_device entropy;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::filesystem::path candidate =
            base / (prefix + "-" + std::to_string(entropy()) + "-" + std::to_string(counter.fetch_add(1)));
        if (std::filesystem::create_directory(candidate, error)) {
            return candidate;
        }
    }
    return {};
}

} // namespace testsupport
