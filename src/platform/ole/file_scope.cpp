#include "platform/ole/file_scope.h"

#include <system_error>

namespace pencora::ole {

std::filesystem::path executableFolder() {
    std::error_code ec;
    const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

bool liesBelow(const std::filesystem::path& file, const std::filesystem::path& folder) {
    if (file.empty() || folder.empty()) {
        return false;
    }
    std::error_code ec;
    const auto real = std::filesystem::canonical(file, ec);
    if (ec) {
        return false;
    }
    const auto root = std::filesystem::canonical(folder, ec);
    if (ec) {
        return false;
    }
    auto at = real.begin();
    for (auto part = root.begin(); part != root.end(); ++part, ++at) {
        if (at == real.end() || *at != *part) {
            return false;
        }
    }
    return at != real.end();
}

}  // namespace pencora::ole
