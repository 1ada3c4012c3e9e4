// The error the player raises when its control answers a failure code: the code travels
// with it.
#pragma once

#include <stdexcept>
#include <string>

#include "platform/ole/hresult.h"

namespace pencora::player {

class OleError : public std::runtime_error {
  public:
    explicit OleError(ole::HRESULT code, const std::string& what = {})
        : std::runtime_error(what.empty() ? "OLE error " + ole::describeResult(code) : what),
          code_(code) {}
    ole::HRESULT code() const { return code_; }

  private:
    ole::HRESULT code_;
};

// Raises OleError for a failure code; returns success codes.
inline ole::HRESULT check(ole::HRESULT code) {
    if (ole::FAILED(code)) {
        throw OleError(code);
    }
    return code;
}

}  // namespace pencora::player
