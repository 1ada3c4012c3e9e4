#include "platform/flash/avm1/path_syntax.h"

namespace pencora::avm1 {

std::optional<ParsedPath> parsePath(const QString& path) {
    ParsedPath out;
    qsizetype i = 0;
    const qsizetype n = path.size();
    bool slashes = false;
    if (n > 0 && path[0] == u'/') {
        out.fromRoot = true;
        slashes = true;
        i = 1;
    }
    while (i < n) {
        // "..": the parent, in either syntax, when it stands alone between separators.
        if (path[i] == u'.' && i + 1 < n && path[i + 1] == u'.' &&
            (i + 2 == n || path[i + 2] == u'/' || path[i + 2] == u':')) {
            out.steps.push_back({PathStep::Kind::Parent, {}});
            i += 2;
            if (i < n) {
                slashes = slashes || path[i] == u'/';
                ++i;
            }
            continue;
        }
        qsizetype end = i;
        while (end < n && path[end] != u'/' && path[end] != u':' &&
               (slashes || path[end] != u'.')) {
            ++end;
        }
        const QString name = path.mid(i, end - i);
        if (end < n && path[end] == u'/') {
            if (name.isEmpty() && slashes) {
                return std::nullopt;  // "a//b", "//a"
            }
            slashes = true;
        }
        if (!name.isEmpty()) {
            out.steps.push_back({PathStep::Kind::Name, name});
        }
        i = end + 1;
    }
    return out;
}

}  // namespace pencora::avm1
