// One lesson as the text generator describes it: its code, title, book, whether the text
// carries pinyin, and its sentences with their byte ranges and start times in the reading.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lesson_movies {

struct Token {
    std::u32string text;  // one character
    std::string pinyin;   // empty for punctuation
};

struct Sentence {
    std::vector<Token> tokens;
    int64_t start = 0;  // bytes into the reading
    int64_t end = 0;
    double time = 0;  // seconds into the reading
};

struct Lesson {
    std::string code;
    std::u32string title;
    int book = 0;
    bool pinyin = false;
    bool poem = false;  // lines of verse: one page, centred
    double seconds = 0;
    std::vector<Sentence> sentences;
};

// Reads the generator's lessons.json; throws std::runtime_error naming what is wrong.
std::vector<Lesson> readLessons(const std::string& path);

}  // namespace lesson_movies
