#pragma once

#include <cstdint>
#include <span>

#include "platform/flash/video/h263_picture.h"

namespace pencora::flash::video::h263 {

// Decodes a Sorenson H.263 stream picture by picture. Inter pictures predict from the last
// intra or inter picture; disposable ones are shown but predicted from by none.
class Decoder {
  public:
    // The picture a packet holds, valid until the next call; nothing when the packet does not
    // decode (the pictures predicted from stay as they were) or is an inter picture with no
    // picture before it.
    const Picture* decode(std::span<const uint8_t> packet);

    // Forgets the picture inter pictures would predict from.
    void reset() { hasReference_ = false; }

  private:
    Picture reference_;
    Picture current_;
    bool hasReference_ = false;
};

// The largest picture decoded, in pixels.
inline constexpr int64_t kMaxPicturePixels = 2880 * 2880;

}  // namespace pencora::flash::video::h263
