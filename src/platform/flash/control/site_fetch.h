// Fetching an address through the host: the site's service provider gives a bind host, the
// bind host a moniker for the address, and binding the moniker to storage delivers the bytes
// to our bind-status callback, which the bind context carries under "_BSCB_Holder_".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ole/site.h"

namespace pencora::flash {

struct SiteFetch {
    enum class Outcome {
        Delivered,  // the host served the address; `bytes` holds all of it
        Failed,     // the host took the address but delivered nothing (or failed)
        Refused,    // no bind host, or it made no moniker: the address is the caller's
    };
    Outcome outcome = Outcome::Refused;
    std::vector<std::uint8_t> bytes;
};

SiteFetch fetchThroughSite(ole::IOleClientSite* site, const std::u16string& address);

}  // namespace pencora::flash
