// A text measure for layout tests that needs no fonts: every character 10 px wide, 12 px
// ascent, 3 px descent, whatever the format.
#pragma once

#include "platform/flash/runtime/text/text_field.h"

namespace pencora::runtime::test {

class FixedMeasure : public TextMeasure {
  public:
    double advance(const TextFormat&, QStringView text) const override {
        return 200.0 * double(text.size());
    }
    double ascent(const TextFormat&) const override { return 240; }
    double descent(const TextFormat&) const override { return 60; }
};

}  // namespace pencora::runtime::test
