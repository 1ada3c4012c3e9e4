// How a movie's address reads to scripts (_url, System's and Stage's views of it). A movie
// opened from a local file reads as a file: address, and a movie loaded by a relative address
// reads as that address taken against the first movie's own.
#pragma once

#include <QString>

namespace pencora::runtime {

// `address` as an absolute address: one with a scheme stays as it is; an absolute path
// ("/a/b.swf", "C:\a\b.swf") becomes a file: address with its unsafe characters escaped; a
// relative one is taken against `base` (itself already absolute), or stays as it is without
// one.
QString absoluteMovieUrl(const QString& address, const QString& base = {});

}  // namespace pencora::runtime
