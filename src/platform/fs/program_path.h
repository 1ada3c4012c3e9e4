// Paths of files that live beside the executable (the content folder `Data` and its
// subfolders). Content paths are written Windows-style ("Data\\sound\\xiáng.mp3"); here
// '\' and '/' both separate components and each component is matched ignoring case, so
// `Data`, `DATA` and `data` name one folder.
#pragma once

#include <QString>
#include <QStringView>

namespace pencora::fs {

// The folder of the running executable, without a trailing separator. The executable is
// found through its links, so a command linked from elsewhere reads the `Data` beside the
// real program.
QString programFolder();

// The folder of the file `executable` names once every link on its way is followed; a path
// that does not exist keeps its own folder.
QString realExecutableFolder(const QString& executable);

// Replaces the program folder for the rest of the run (tests point it at a fixture folder).
// An empty string returns to the executable's own folder.
void setProgramFolder(const QString& folder);

// True when `name` can stand as one file-name component taken from content (a pinyin, a
// lesson code, a prompt name): not empty, no separator, no NUL, not "." or "..", no drive
// colon. Content names that fail this name no file.
bool isPlainFileName(QStringView name);

// True when the relative path stays inside the program folder: no component is "..", it is
// not absolute, has no drive letter and holds no NUL.
bool isContainedRelativePath(QStringView relativePath);

// The full path of `relativePath` below the program folder. Each component is looked up
// ignoring case; where a component does not exist the rest is appended as written, so the
// result names the file that would be there. An uncontained path gives an empty string.
QString resolveProgramPath(QStringView relativePath);

// `prefix` + `name` + `suffix` when `name` is a plain file name, else an empty string.
// Callers build content paths from names found in content files through this, so a name
// like "..\\..\\x" or "a/b" never leaves the content folder.
QString contentPath(QStringView prefix, QStringView name, QStringView suffix);

}  // namespace pencora::fs
