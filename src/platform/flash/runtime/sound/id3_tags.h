// The ID3 version 2 tag at the start of an MP3 file (versions 2.2 to 2.4), as Sound.id3 shows
// it: every text frame ("TIT2", "TPE1", ...) and comment frame ("COMM") by its four-letter
// name, in the order of the file. Frames whose contents are not text are left out.
#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace pencora::runtime {

struct Id3Frame {
    QString id;     // four letters; a version 2.2 name is given its version 2.3 equal
    QString value;  // the text; a comment's text without its language and description
};

// The frames of the tag at the start of `file`; empty when it has none. A tag or frame that
// claims more bytes than there are ends the reading there.
std::vector<Id3Frame> readId3Frames(std::span<const uint8_t> file);

// The short name scripts also read a frame by ("TIT2" is also "songname"); empty for frames
// that have none.
QString id3Alias(const QString& id);

}  // namespace pencora::runtime
