// What LoadVars and XML share of a load: the request that fetches text for an object and hands
// it to the object's onData (undefined where the load failed), and the default onData.
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

#include "platform/flash/avm1/machine_impl.h"

namespace pencora::avm1 {

// Told the size of what came before onData runs.
using ArrivedSize = void (*)(Object* receiver, double size);

// Keeps `receiver` alive until the answer comes, then tells `arrived` and calls its onData.
void fetchTextFor(Machine& m, Object* receiver, const QString& url, UrlRequest::Method method,
                  const QByteArray& body, ArrivedSize arrived);

// The default onData: the text read in by `read` where it came, `loaded` set, and
// onLoad(success) called.
Value defaultOnData(Machine& m, const Value& self, std::vector<Value>& args, NativeFn read);

}  // namespace pencora::avm1
