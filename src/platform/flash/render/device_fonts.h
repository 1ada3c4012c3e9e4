// Device fonts: the installed face a movie's font name is shown with. Movies name the
// generic faces `_sans`, `_serif` and `_typewriter`, Windows faces such as Arial, and Chinese
// faces by their Chinese, GB2312 or English names (宋体, 楷体_GB2312, SimHei); none of these
// need exist here, so a table gives each name the installed faces to try in turn.
#pragma once

#include <QString>
#include <QStringList>

namespace pencora::swf::render {

// The face for `name` among `installed` (family names): a generic name always goes through
// the table; any other name is used as is when installed (any letter case), else through the
// table; a name the table does not know falls back to the CJK default when it holds CJK
// characters and to the Latin default otherwise. Empty when no candidate is installed.
QString deviceFace(const QString& name, const QStringList& installed);

// Same, against the faces installed on this machine; `name` itself when the font database
// cannot be read (no GUI application) or holds none of the candidates.
QString deviceFace(const QString& name);

}  // namespace pencora::swf::render
