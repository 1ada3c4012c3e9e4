// How the text of a loaded file (variables, XML, LoadVars data) becomes a string. A byte-order
// mark always decides (UTF-8, or UTF-16 in either order). Without one the text is UTF-8 while
// System.useCodepage is false; while it is true, text that is not valid UTF-8 is read in the
// system's code page, that of the Chinese Windows the course movies were made for (936, read
// through its superset GB18030). Valid UTF-8 stays UTF-8 either way: a file saved as UTF-8
// reads right, which a code-page reading would garble.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

namespace pencora::avm1 {

class Machine;

QString decodeLoadedText(const QByteArray& data, bool useCodepage);
QString decodeMovieString(const std::string& bytes, int swfVersion);
// The reverse of decodeMovieString: text a movie sends out as bytes, UTF-8 from version 6 on,
// in the system's code page before (Latin-1 where that code page is missing).
QByteArray encodeMovieString(const QString& text, int swfVersion);

// What System.useCodepage says now; false when the movie has no System object.
bool usesCodepage(Machine& m);

}  // namespace pencora::avm1
