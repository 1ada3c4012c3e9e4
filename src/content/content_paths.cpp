#include "content/content_paths.h"

#include "platform/fs/program_path.h"

namespace pencora::content {

namespace {

QString twoDigits(int value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

}  // namespace

QString catalogueRelativePath() {
    return QStringLiteral("Data\\xml\\unit.xml");
}

QString hanziFileRelativePath(int bookNo) {
    return QStringLiteral("Data\\xml\\hanzi%1.xml").arg(bookNo);
}

QString pronunciationRelativePath(QStringView pinyin) {
    return fs::contentPath(u"Data\\sound\\", pinyin, u".mp3");
}

QString cueRelativePath(QStringView fileName) {
    return fs::contentPath(u"Data\\sndsoft\\", fileName, u"");
}

QString promptRelativePath(QStringView hint) {
    return fs::contentPath(u"Data\\sndsoft\\", hint, u".mp3");
}

QString lessonReadingRelativePath(QStringView lessonCode) {
    return fs::contentPath(u"DATA\\lessonread\\", lessonCode, u".mp3");
}

QString lessonLibraryRelativePath() {
    return QStringLiteral("Data\\lesson\\book.dll");
}

QString audioLibraryRelativePath() {
    return QStringLiteral("Data\\systxt\\snd.txt");
}

QString contentFile(QStringView relativePath) {
    if (relativePath.isEmpty()) {
        return {};
    }
    return fs::resolveProgramPath(relativePath);
}

int groupNumber(int bookNo, int groupPosition) {
    return bookNo == 1 ? groupPosition + 2 : groupPosition + 1;
}

QString lessonKey(int groupNo, int lessonNo) {
    return QStringLiteral("lesson") + QString::number(groupNo) + twoDigits(lessonNo);
}

QString lessonCode(int bookNo, int groupNo, int lessonNo) {
    return twoDigits(bookNo) + twoDigits(groupNo) + twoDigits(lessonNo);
}

QString lessonMovieName(QStringView lessonCode) {
    return u'a' + lessonCode.toString();
}

}  // namespace pencora::content
