#include "lesson_data.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

namespace lesson_movies {

namespace {

std::u32string wide(const QString& s) {
    const auto ucs4 = s.toUcs4();
    return {ucs4.begin(), ucs4.end()};
}

Sentence readSentence(const QJsonObject& o) {
    Sentence s;
    for (const auto& t : o.value("tokens").toArray()) {
        const auto pair = t.toArray();
        s.tokens.push_back({wide(pair.at(0).toString()), pair.at(1).toString().toStdString()});
    }
    s.start = o.value("start").toInteger();
    s.end = o.value("end").toInteger();
    s.time = o.value("time").toDouble();
    if (s.tokens.empty() || s.start < 0 || s.end <= s.start || s.time < 0) {
        throw std::runtime_error("sentence without text or with a bad byte range");
    }
    return s;
}

}  // namespace

std::vector<Lesson> readLessons(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path);
    }
    QJsonParseError error;
    const auto doc = QJsonDocument::fromJson(file.readAll(), &error);
    if (!doc.isArray()) {
        throw std::runtime_error(path + ": " + error.errorString().toStdString());
    }
    std::vector<Lesson> lessons;
    for (const auto& value : doc.array()) {
        const auto o = value.toObject();
        Lesson l;
        l.code = o.value("code").toString().toStdString();
        l.title = wide(o.value("title").toString());
        l.book = o.value("book").toInt();
        l.pinyin = o.value("pinyin").toBool();
        l.poem = o.value("poem").toBool();
        l.seconds = o.value("seconds").toDouble();
        for (const auto& s : o.value("sentences").toArray()) {
            l.sentences.push_back(readSentence(s.toObject()));
        }
        if (l.code.size() != 6 || l.sentences.empty()) {
            throw std::runtime_error(path + ": lesson '" + l.code + "' incomplete");
        }
        lessons.push_back(std::move(l));
    }
    return lessons;
}

}  // namespace lesson_movies
