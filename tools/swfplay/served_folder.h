// swfplay's bind host: one folder served as the root of every address a movie asks for, so a
// movie reads as if it sat at the top of a site of its own ("file:///test.swf"), whatever
// folder holds it on this machine. Network addresses read from a subfolder named after their
// host ("http://localhost:8000/a.swf" is <folder>/localhost/a.swf). Nothing outside the
// folder is ever read: an address that leads out of it, or names no file, delivers nothing.
// It opens no socket of its own: connections go to the service it is given, if any.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ole/binding.h"
#include "platform/ole/socket_host.h"

namespace pencora::swfplay {

// The address under which a movie file of the served folder is loaded: "file:///" and its
// name, percent-escaped where needed.
std::u16string servedAddress(const std::filesystem::path& movieFile);

// The file of `folder` that `address` names: "file:///a/b" and "file://localhost/a/b" are
// <folder>/a/b, "http://host[:port]/a/b" (and https:, ftp:) <folder>/host/a/b, a relative
// address <folder>/address. Escapes are decoded, '\' reads as '/', a query or fragment is not
// part of the name. nullopt for other schemes and for names with a ".." step or a link that
// leaves the folder.
std::optional<std::filesystem::path> servedPath(const std::filesystem::path& folder,
                                                std::u16string_view address);

// A bind host over `folder`: every address gets a moniker; binding it delivers the named
// file or fails. Socket connections go to `sockets`; without it every one is refused.
ole::ComPtr<ole::IBindHost> makeServedFolder(const std::filesystem::path& folder,
                                             ole::ComPtr<ole::ISocketHost> sockets = {});

}  // namespace pencora::swfplay
