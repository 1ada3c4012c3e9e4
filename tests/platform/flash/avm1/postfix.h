// Action blocks written as one line of postfix words, for tests that check many small
// expressions: 'text' pushes a string, numbers, undefined, null, true and false push themselves,
// @x reads variable x, >x stores the top into x (popping it), .p reads member p of the top,
// f/n calls function f with the n values below (pushed last argument first), :m/n calls method m
// of the top with the n values below it, new:C/n constructs C, and any other word is the name of
// an action without operands (Add2, TypeOf, ...).
#pragma once

#include <cctype>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>

#include "assembler.h"

namespace pencora::avm1::test {

inline swf::ActionCode actionNamed(const std::string& name) {
    for (int c = 1; c < 0x80; ++c) {
        const char* n = swf::actionName(swf::ActionCode(c));
        if (n && name == n) {
            return swf::ActionCode(c);
        }
    }
    throw std::invalid_argument("no action named " + name);
}

// `count` and `name` split from "name/count".
inline std::pair<std::string, int> nameAndCount(const std::string& word) {
    size_t slash = word.rfind('/');
    if (slash == std::string::npos) {
        return {word, 0};
    }
    return {word.substr(0, slash), std::atoi(word.c_str() + slash + 1)};
}

inline void postfixWord(Assembler& as, const std::string& w) {
    using Code = swf::ActionCode;
    char* end = nullptr;
    double n = w[0] == '.' ? 0 : std::strtod(w.c_str(), &end);
    if (end && *end == 0) {
        as.push({n == int(n) && w.find('.') == std::string::npos ? integer(int(n)) : num(n)});
    } else if (w == "undefined" || w == "null" || w == "true" || w == "false") {
        as.push({w == "undefined" ? undef() : w == "null" ? null() : boolean(w == "true")});
    } else if (w[0] == '@') {
        as.getVar(w.substr(1));
    } else if (w[0] == '>') {
        as.push({str(w.substr(1))}).op(Code::StackSwap).op(Code::SetVariable);
    } else if (w[0] == '.') {
        as.push({str(w.substr(1))}).op(Code::GetMember);
    } else if (w[0] == ':') {
        auto [name, count] = nameAndCount(w.substr(1));
        as.push({integer(count)}).op(Code::StackSwap).push({str(name)}).op(Code::CallMethod);
    } else if (w.rfind("new:", 0) == 0) {
        auto [name, count] = nameAndCount(w.substr(4));
        as.push({integer(count), str(name)}).op(Code::NewObject);
    } else if (w.find('/') != std::string::npos) {
        auto [name, count] = nameAndCount(w);
        as.push({integer(count), str(name)}).op(Code::CallFunction);
    } else {
        as.op(actionNamed(w));
    }
}

// The block for `text`; a word in single quotes may hold spaces.
inline Assembler postfix(const std::string& text) {
    Assembler as;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
        } else if (text[i] == '\'') {
            size_t close = text.find('\'', i + 1);
            as.push({str(text.substr(i + 1, close - i - 1))});
            i = close + 1;
        } else {
            size_t space = text.find(' ', i);
            space = space == std::string::npos ? text.size() : space;
            postfixWord(as, text.substr(i, space - i));
            i = space;
        }
    }
    return as;
}

}  // namespace pencora::avm1::test
