// One lesson selection on a 600-entry character file, beside one plain libxml2 parse of the
// same file. The selection parses the file three times (XMLRead and the two lists), so
// about three plain parses is its floor; the ratio shows what our layer adds on top.
#include "content/content_paths.h"
#include "content/lesson_selection.h"
#include "platform/fs/program_path.h"
#include "platform/xml/xml_document.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// 600 entries over 8 groups of 5 lessons (15 entries a lesson), like a full book.
struct BookFile {
    QTemporaryDir dir;
    QString path;
    BookFile() {
        QDir(dir.path()).mkpath("Data/xml");
        path = dir.filePath("Data/xml/hanzi3.xml");
        const QStringList syllables = {"chūn", "xià", "qiū", "dōng", "shān", "shuǐ", "huà", "lǜ"};
        QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<hanzi>\n");
        for (int i = 0; i < 600; ++i) {
            const int group = 1 + i / 75, lesson = 1 + (i % 75) / 15;
            text += QStringLiteral("  <lesson%1%2 Chinese=\"%3\" PinYin1=\"%4\"/>\n")
                        .arg(group)
                        .arg(lesson, 2, 10, QLatin1Char('0'))
                        .arg(QChar(0x4E00 + i))
                        .arg(syllables[i % syllables.size()]);
        }
        text += QStringLiteral("</hanzi>\n");
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text.toUtf8());
        pencora::fs::setProgramFolder(dir.path());
    }
};

BookFile& book() {
    static BookFile file;
    return file;
}

void BM_LessonSelection(benchmark::State& state) {
    BookFile& file = book();
    pencora::StudyState study;
    pencora::xml::XmlDocument xmlRead;
    const pencora::content::LessonNode node{2, 3, 2, QStringLiteral("二年级上册"),
                                            QStringLiteral("课")};
    for (auto _ : state) {
        pencora::content::selectLesson(study, xmlRead, node, nullptr);
        benchmark::DoNotOptimize(study.CurrentWords.size());
    }
    if (study.CurrentWords.size() != 15) {
        state.SkipWithError("wrong lesson read");
    }
    (void)file;
}
BENCHMARK(BM_LessonSelection)->Unit(benchmark::kMicrosecond);

void BM_PlainLibxml2Parse(benchmark::State& state) {
    const QByteArray path = QFile::encodeName(book().path);
    for (auto _ : state) {
        xmlDocPtr doc = xmlReadFile(path.constData(), nullptr, XML_PARSE_NONET);
        if (doc == nullptr) {
            state.SkipWithError("the file did not parse");
            break;
        }
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
}
BENCHMARK(BM_PlainLibxml2Parse)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
