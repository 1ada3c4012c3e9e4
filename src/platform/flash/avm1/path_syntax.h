// How a target path is read, for the machine and the display list alike: "/a/b", "a/../c",
// "_root.a.b", "a:b", "_level1/a". Slashes, colons and dots all separate names until the first
// slash; from there on a dot belongs to the name ("a/b.c" names a child "b.c"), and ".." is the
// parent (string_paths_hidden). An empty name between two slashes makes the path name nothing.
#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace pencora::avm1 {

struct PathStep {
    enum class Kind { Name, Parent };
    Kind kind = Kind::Name;
    QString name;
};

struct ParsedPath {
    bool fromRoot = false;  // began with '/': from the movie's root
    std::vector<PathStep> steps;
};

// Null when the path can name nothing ("a//b").
std::optional<ParsedPath> parsePath(const QString& path);

// A target path as SWF 4 movies write it: slashes only. It starts from the root after a
// leading slash, from a level when its first name is _levelN or _flashN (whatever follows the
// number up to the next slash is ignored: "_level0:x" is _level0), else from the current
// target; then come children's names and ".." for the parent, with one trailing slash allowed.
// Dots and colons are no separators there, and _root, this and _parent name nothing.
struct Swf4Path {
    enum class Start { Target, Root, Level };
    Start start = Start::Target;
    int level = 0;
    std::vector<PathStep> steps;
};

// Null when the path can name nothing ("//", "a.b", "_root", "/_level0").
std::optional<Swf4Path> parseSwf4Path(const QString& path);

// The level a name such as "_level3" or "_flash3" stands for, as a variable or a member of a
// clip: the digits after the prefix read as a 32-bit integer that wraps ("_level4294967296" is
// level 0; "_level-1" and "_level2147483648" are negative levels, which are none), no digits
// at all as 0, and whatever follows them ignored ("_level0a" is level 0). Null for any other
// name.
std::optional<int> levelOfName(QStringView name, Qt::CaseSensitivity cs);

}  // namespace pencora::avm1
