// The control's own fetching, used only for addresses its host's bind host refuses: a
// readable local file and nothing else. Network addresses (any scheme but file:) are never
// fetched, so a movie cannot take the program online.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pencora::flash {

// The file an address names: "file:///a/b.swf" and "file://localhost/a/b.swf" (percent
// escapes decoded), absolute paths, drive paths, and relative paths resolved against `base`
// (a folder path or file: address; relative addresses without a base name nothing). '\' reads
// as '/', and a query ("?...") or fragment ("#...") is not part of the file name. Addresses
// with any other scheme ("http:", "https:", "ftp:", "rtmp:", "javascript:", ...) give nullopt.
std::optional<std::filesystem::path> localFilePath(std::u16string_view address,
                                                   std::u16string_view base);

// The file a movie may read for `address`: `localFilePath(address, base)` when that file's
// canonical path (symbolic links resolved) lies below `programFolder`, or, for a relative
// address, below the folder `base` names. Anything else gives nullopt, as a missing file: an
// absolute path or file: URL outside the program, a link leading out of either folder.
std::optional<std::filesystem::path> movieFilePath(std::u16string_view address,
                                                   std::u16string_view base,
                                                   const std::filesystem::path& programFolder);

// The folder of a local address (for relative fetches of a movie loaded from it), as a path
// string; empty when the address is not local.
std::u16string localFolderOf(std::u16string_view address);

// The whole file when it is a readable regular file of at most `limit` bytes.
std::optional<std::vector<std::uint8_t>> readLocalFile(const std::filesystem::path& path,
                                                       std::uintmax_t limit = 256u << 20);

}  // namespace pencora::flash
