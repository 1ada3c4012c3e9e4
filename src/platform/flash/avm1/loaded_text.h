// How the text of a loaded file (variables, XML, LoadVars data) becomes a string. A byte-order
// mark always decides (UTF-8, or UTF-16 in either order). Without one the text is UTF-8 while
// System.useCodepage is false; while it is true, text that is not valid UTF-8 is read in the
// system's code page, that of the Chinese Windows the course movies were made for (936, read
// through its superset GB18030). Valid UTF-8 stays UTF-8 either way: a file saved as UTF-8
// reads right, which a code-page reading would garble.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

namespace pencora::avm1 {

class Machine;

QString decodeLoadedText(const QByteArray& data, bool useCodepage);
QString decodeMovieString(const std::string& bytes, int swfVersion);
// The reverse of decodeMovieString: text a movie sends out as bytes, UTF-8 from version 6 on,
// in the system's code page before (Latin-1 where that code page is missing).
QByteArray encodeMovieString(const QString& text, int swfVersion);

// Whether escape(), unescape() and the variable encoders of the running movie work in the
// system's code page rather than UTF-8: always before version 6, from it while
// System.useCodepage is true.
bool escapesInCodePage(Machine& m);
// The bytes escape() and the variable encoders put out: UTF-8, or in the code page a character
// Latin-1 holds as that byte and any other in the system's code page, so no character is lost
// to a question mark.
QByteArray escapedBytes(const QString& text, bool codePage);
// The text unescape() makes of bytes: UTF-8, or in the code page a pair of bytes that is one
// double-byte character of the system's code page as that character and every other byte as
// Latin-1, the reverse of escapedBytes.
QString unescapedText(const QByteArray& bytes, bool codePage);

// A name or value of URL-encoded variables ("a+b%20c") as text: "+" is a space and each %XX a
// byte, the bytes read as unescapedText reads them.
QString formDecoded(const QString& encoded, bool codePage);

// A character's number in the system's code page, as the multibyte functions of movies before
// version 6 give it: one byte as itself, a double-byte character as lead * 256 + trail; none
// for a character the code page does not hold in one or two bytes.
std::optional<uint16_t> codePageNumber(const QString& character);
// The reverse: the character a code-page number names, none where it names no character.
std::optional<QString> codePageCharacter(uint16_t number);

// What System.useCodepage says now; false when the movie has no System object.
bool usesCodepage(Machine& m);

}  // namespace pencora::avm1
