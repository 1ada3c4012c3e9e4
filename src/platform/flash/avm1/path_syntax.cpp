#include "platform/flash/avm1/path_syntax.h"

#include <QList>

#include <cstdint>

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

namespace {

// _levelN or _flashN as the first name of a SWF 4 path: the number of its leading digits.
std::optional<int> swf4Level(QStringView name) {
    if (!name.startsWith(u"_level", Qt::CaseInsensitive) &&
        !name.startsWith(u"_flash", Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    int n = 0;
    int digits = 0;
    for (qsizetype i = 6; i < name.size() && name[i].isDigit() && digits < 9; ++i, ++digits) {
        n = n * 10 + name[i].digitValue();
    }
    return digits > 0 ? std::optional<int>(n) : std::nullopt;
}

// A child's name in a SWF 4 path: no separators of later versions, no name of a special clip.
bool swf4ChildName(QStringView name) {
    if (name.contains(u'.') || name.contains(u':') || swf4Level(name)) {
        return false;
    }
    for (const char16_t* special : {u"_root", u"this", u"_parent", u"_global"}) {
        if (name.compare(QStringView(special), Qt::CaseInsensitive) == 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<Swf4Path> parseSwf4Path(const QString& path) {
    Swf4Path out;
    QStringView rest(path);
    if (rest.startsWith(u'/')) {
        out.start = Swf4Path::Start::Root;
        rest = rest.mid(1);
    } else {
        const qsizetype slash = rest.indexOf(u'/');
        if (std::optional<int> level = swf4Level(rest.left(slash < 0 ? rest.size() : slash))) {
            out.start = Swf4Path::Start::Level;
            out.level = *level;
            rest = slash < 0 ? QStringView() : rest.mid(slash + 1);
        }
    }
    const QList<QStringView> names = rest.split(u'/');
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QStringView name = names[i];
        if (name.isEmpty()) {
            if (i + 1 == names.size()) {
                break;  // "a/", or nothing at all after the start
            }
            return std::nullopt;
        }
        if (name == u"..") {
            out.steps.push_back({PathStep::Kind::Parent, {}});
        } else if (swf4ChildName(name)) {
            out.steps.push_back({PathStep::Kind::Name, name.toString()});
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<int> levelOfName(QStringView name, Qt::CaseSensitivity cs) {
    if (!name.startsWith(u"_level", cs) && !name.startsWith(u"_flash", cs)) {
        return std::nullopt;
    }
    const bool negative = name.size() > 6 && name[6] == u'-';
    uint32_t n = 0;
    for (qsizetype i = negative ? 7 : 6; i < name.size() && name[i].isDigit(); ++i) {
        n = n * 10 + uint32_t(name[i].digitValue());
    }
    return int(int32_t(negative ? 0u - n : n));
}

}  // namespace pencora::avm1
