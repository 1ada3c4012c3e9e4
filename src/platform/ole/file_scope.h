// Where local fetches may read. A file is served to a movie only when its canonical path (every
// symbolic link resolved) lies below an allowed folder, so that no absolute path, file: URL or
// link inside the folder leads a movie to the user's other files.
#pragma once

#include <filesystem>

namespace pencora::ole {

// The folder of the running executable, canonical; empty when it cannot be found.
std::filesystem::path executableFolder();

// True when `file` exists and, with `folder`, resolves to a path strictly below that folder.
// A file that does not exist, or a folder that does not, lies nowhere.
bool liesBelow(const std::filesystem::path& file, const std::filesystem::path& folder);

}  // namespace pencora::ole
