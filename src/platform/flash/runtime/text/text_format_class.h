// TextFormat as scripts see it: an object holding a runtime::TextFormat, its fields read and
// written through getter/setter pairs on TextFormat.prototype.
#pragma once

#include "platform/flash/avm1/machine.h"
#include "platform/flash/runtime/text/text_format.h"

namespace pencora::runtime {

class TextFormatObject : public avm1::Object {
  public:
    explicit TextFormatObject(avm1::Object* proto) : avm1::Object(proto, avm1::ObjectKind::Host) {}
    TextFormat format;
};

void installTextFormatClass(avm1::Machine& m);
// The format behind a script value; null when it is not a TextFormat.
const TextFormat* textFormatOf(const avm1::Value& v);
avm1::Object* makeTextFormatObject(avm1::Machine& m, const TextFormat& format);

// Script numbers as format fields: rounded to even from SWF 8 (an out-of-range value gives the
// lowest int), cut toward zero before.
int formatInteger(avm1::Machine& m, double v);

}  // namespace pencora::runtime
