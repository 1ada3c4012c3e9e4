// Where everything of the course lives inside the content folder `Data` beside the
// executable, and how lesson keys and lesson codes are spelt. Relative paths are written
// as the course names them (`\` separators, `Data` or `DATA`); `contentFile` turns one
// into a full path, matching each component ignoring case.
//
// A name taken from content (a pinyin, a lesson code, a prompt name) that could leave the
// content folder — "..", an absolute path, a separator inside it, a NUL, a drive colon —
// names no file: the path functions return an empty string and loading or playing an empty
// path behaves as a missing file.
#pragma once

#include <QString>
#include <QStringView>

namespace pencora::content {

// Relative paths of the course's files.
QString catalogueRelativePath();                            // Data\xml\unit.xml
QString hanziFileRelativePath(int bookNo);                  // Data\xml\hanzi<N>.xml
QString pronunciationRelativePath(QStringView pinyin);      // Data\sound\<pinyin>.mp3
QString cueRelativePath(QStringView fileName);              // Data\sndsoft\<name.ext>
QString promptRelativePath(QStringView hint);               // Data\sndsoft\<hint>.mp3
QString lessonReadingRelativePath(QStringView lessonCode);  // DATA\lessonread\<code>.mp3
QString lessonLibraryRelativePath();                        // Data\lesson\book.dll
QString audioLibraryRelativePath();                         // Data\systxt\snd.txt

// The full path below the program folder; empty for an empty or uncontained path.
QString contentFile(QStringView relativePath);

// The group number of the character file for the group at `groupPosition` (0-based) of
// book `bookNo`: book 1's first catalogue group is the file's group 2.
int groupNumber(int bookNo, int groupPosition);

// "lesson" + group + two-digit lesson: lesson201, lesson312, lesson210.
QString lessonKey(int groupNo, int lessonNo);

// Book, group and lesson, each as two digits: 010201.
QString lessonCode(int bookNo, int groupNo, int lessonNo);

// The resource name of a lesson's text movie in the lesson library: "a" + code.
QString lessonMovieName(QStringView lessonCode);

}  // namespace pencora::content
