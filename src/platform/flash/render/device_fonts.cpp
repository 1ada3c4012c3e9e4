#include "platform/flash/render/device_fonts.h"

#include <QFontDatabase>
#include <QGuiApplication>

#include <string_view>
#include <vector>

namespace pencora::swf::render {

namespace {

// One row of the table: the names a movie may use and the faces to try, best first.
using Faces = std::vector<std::u16string_view>;

struct FaceRule {
    Faces names;
    Faces faces;
};

const Faces kSansFaces = {u"Noto Sans", u"DejaVu Sans"};
const Faces kCjkFaces = {u"Noto Sans CJK SC", u"WenQuanYi Zen Hei", u"AR PL UMing CN"};

// Rows are data; the renderer's README shows the same table.
const std::vector<FaceRule> kFaceRules = {
    {{u"_sans"}, kSansFaces},
    {{u"_serif"}, {u"Noto Serif", u"DejaVu Serif"}},
    {{u"_typewriter"}, {u"Noto Sans Mono", u"DejaVu Sans Mono"}},
    {{u"Times New Roman", u"Times"},
     {u"Liberation Serif", u"Nimbus Roman", u"Noto Serif", u"DejaVu Serif"}},
    {{u"Arial", u"Helvetica"}, {u"Liberation Sans", u"Nimbus Sans", u"Noto Sans", u"DejaVu Sans"}},
    {{u"Courier New", u"Courier"},
     {u"Liberation Mono", u"Nimbus Mono PS", u"Noto Sans Mono", u"DejaVu Sans Mono"}},
    {{u"宋体", u"新宋体", u"宋体_GB2312", u"SimSun", u"NSimSun", u"Song", u"STSong"},
     {u"AR PL UMing CN", u"Noto Serif CJK SC", u"WenQuanYi Zen Hei", u"Noto Sans CJK SC"}},
    {{u"黑体", u"黑体_GB2312", u"SimHei", u"微软雅黑", u"Microsoft YaHei", u"STHeiti", u"幼圆",
      u"YouYuan"},
     {u"Noto Sans CJK SC", u"WenQuanYi Zen Hei", u"AR PL UMing CN"}},
    {{u"楷体", u"楷体_GB2312", u"KaiTi", u"KaiTi_GB2312", u"STKaiti", u"华文楷体", u"隶书",
      u"LiSu"},
     {u"AR PL UKai CN", u"Noto Serif CJK SC", u"AR PL UMing CN", u"Noto Sans CJK SC"}},
    {{u"仿宋", u"仿宋_GB2312", u"FangSong", u"FangSong_GB2312", u"STFangsong", u"华文仿宋"},
     {u"Noto Serif CJK SC", u"AR PL UMing CN", u"AR PL UKai CN", u"Noto Sans CJK SC"}},
    {{u"Microsoft JhengHei", u"MingLiU", u"PMingLiU", u"细明体", u"新细明体"},
     {u"AR PL UMing TW", u"Noto Serif CJK TC", u"AR PL UMing CN", u"Noto Sans CJK SC"}},
};

QString installedSpelling(const QString& face, const QStringList& installed) {
    for (const QString& f : installed) {
        if (f.compare(face, Qt::CaseInsensitive) == 0) {
            return f;
        }
    }
    return {};
}

QString text(std::u16string_view s) {
    return QString::fromUtf16(s.data(), qsizetype(s.size()));
}

QString firstInstalled(const Faces& faces, const QStringList& installed) {
    for (std::u16string_view face : faces) {
        const QString found = installedSpelling(text(face), installed);
        if (!found.isEmpty()) {
            return found;
        }
    }
    return {};
}

const FaceRule* ruleFor(const QString& name) {
    for (const FaceRule& rule : kFaceRules) {
        for (std::u16string_view n : rule.names) {
            if (name.compare(text(n), Qt::CaseInsensitive) == 0) {
                return &rule;
            }
        }
    }
    return nullptr;
}

// Han ideographs (with extension A and the compatibility block), kana and hangul.
bool holdsCjk(const QString& name) {
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if ((u >= 0x3040 && u <= 0x30FF) || (u >= 0x3400 && u <= 0x9FFF) ||
            (u >= 0xAC00 && u <= 0xD7AF) || (u >= 0xF900 && u <= 0xFAFF)) {
            return true;
        }
    }
    return false;
}

}  // namespace

QString deviceFace(const QString& name, const QStringList& installed) {
    const QString trimmed = name.trimmed();
    const bool generic = trimmed.startsWith(u'_');
    if (!generic && !trimmed.isEmpty()) {
        const QString asIs = installedSpelling(trimmed, installed);
        if (!asIs.isEmpty()) {
            return asIs;
        }
    }
    if (const FaceRule* rule = ruleFor(trimmed)) {
        const QString face = firstInstalled(rule->faces, installed);
        if (!face.isEmpty()) {
            return face;
        }
    }
    return holdsCjk(trimmed) ? firstInstalled(kCjkFaces, installed)
                             : firstInstalled(kSansFaces, installed);
}

QString deviceFace(const QString& name) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return name;
    }
    // The font database is read once; faces installed while running show after a restart.
    static const QStringList installed = QFontDatabase::families();
    const QString face = deviceFace(name, installed);
    return face.isEmpty() ? name : face;
}

}  // namespace pencora::swf::render
