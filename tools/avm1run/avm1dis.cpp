// Usage: avm1dis MOVIE.swf   lists every action block of a movie (frame scripts, init actions,
//                            clip events, button actions), one action a line, with operands
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>
#include <vector>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/swf/movie.h"

namespace swf = pencora::swf;

namespace {

std::string pushText(const swf::PushValue& v) {
    using T = swf::PushValue::Type;
    char buf[64];
    switch (v.type) {
        case T::String:
            return "\"" + v.text + "\"";
        case T::Float:
        case T::Double:
        case T::Integer:
            std::snprintf(buf, sizeof buf, "%.17g", v.number);
            return buf;
        case T::Null:
            return "null";
        case T::Undefined:
            return "undefined";
        case T::Register:
            return "r" + std::to_string(v.index);
        case T::Boolean:
            return v.number != 0 ? "true" : "false";
        case T::Constant:
            return "c" + std::to_string(v.index);
    }
    return "?";
}

void dumpBlock(const char* title, const swf::Bytes& bytes) {
    std::printf("=== %s (%zu bytes)\n", title, bytes.size());
    swf::ActionBlock b = swf::decodeActions(bytes);
    std::vector<std::string> pool;
    for (size_t i = 0; i < b.actions.size(); ++i) {
        const swf::Action& a = b.actions[i];
        std::string line = std::to_string(i) + ": " + swf::actionName(a.code);
        switch (a.code) {
            case swf::ActionCode::Push:
                for (const auto& v : a.values) {
                    line += " " + pushText(v);
                    if (v.type == swf::PushValue::Type::Constant && v.index < pool.size()) {
                        line += "(\"" + pool[v.index] + "\")";
                    }
                }
                break;
            case swf::ActionCode::ConstantPool:
                pool = a.strings;
                for (size_t k = 0; k < a.strings.size(); ++k) {
                    line += " c" + std::to_string(k) + "=\"" + a.strings[k] + "\"";
                }
                break;
            case swf::ActionCode::Jump:
            case swf::ActionCode::If:
            case swf::ActionCode::With:
            case swf::ActionCode::WaitForFrame:
            case swf::ActionCode::WaitForFrame2:
                line += " -> " + std::to_string(a.target);
                break;
            case swf::ActionCode::StoreRegister:
                line += " r" + std::to_string(a.byteArg);
                break;
            case swf::ActionCode::GetURL:
            case swf::ActionCode::SetTarget:
            case swf::ActionCode::GoToLabel:
                line += " \"" + a.text + "\" \"" + a.text2 + "\"";
                break;
            case swf::ActionCode::GotoFrame:
                line += " " + std::to_string(a.frame);
                break;
            case swf::ActionCode::DefineFunction:
            case swf::ActionCode::DefineFunction2: {
                const auto& f = *a.function;
                line += " " + f.name + "(";
                for (const auto& p : f.params) {
                    line += (p.reg ? "r" + std::to_string(p.reg) + ":" : "") + p.name + ",";
                }
                line += ") body " + std::to_string(f.bodyBegin) + ".." + std::to_string(f.bodyEnd);
                char buf[64];
                std::snprintf(buf, sizeof buf, " regs %u flags 0x%x", f.registerCount, f.flags);
                line += buf;
                break;
            }
            default:
                if (a.code != swf::ActionCode(a.rawCode)) {
                    line += " raw " + std::to_string(a.rawCode);
                }
                break;
        }
        std::printf("%s\n", line.c_str());
    }
    for (const auto& n : b.notes) {
        std::printf("note: %s\n", n.c_str());
    }
}

void dumpTimeline(const swf::Timeline& tl, const std::string& owner) {
    for (size_t f = 0; f < tl.frames.size(); ++f) {
        for (const auto& t : tl.frames[f].tags) {
            std::string title = owner + " frame " + std::to_string(f + 1);
            if (auto* d = std::get_if<swf::DoAction>(&t)) {
                dumpBlock((title + " DoAction").c_str(), d->actions);
            } else if (auto* i = std::get_if<swf::DoInitAction>(&t)) {
                dumpBlock((title + " InitAction sprite " + std::to_string(i->spriteId)).c_str(),
                          i->actions);
            } else if (auto* p = std::get_if<swf::PlaceObject>(&t)) {
                for (const auto& ca : p->clipActions) {
                    char buf[128];
                    std::snprintf(buf, sizeof buf, " clip event 0x%x depth %u name %s", ca.events,
                                  p->depth, p->name ? p->name->c_str() : "-");
                    dumpBlock((title + buf).c_str(), ca.actions);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: avm1dis MOVIE.swf\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    auto result = swf::readMovie(bytes);
    if (!result) {
        std::fprintf(stderr, "rejected: %s\n", result.error.c_str());
        return 1;
    }
    const swf::Movie& m = *result.movie;
    std::printf("SWF %u\n", m.header.version);
    dumpTimeline(m.timeline, "root");
    for (const auto& [id, c] : m.dictionary) {
        if (auto* s = std::get_if<swf::Sprite>(&c)) {
            dumpTimeline(s->timeline, "sprite " + std::to_string(id));
        } else if (auto* b = std::get_if<swf::Button>(&c)) {
            for (const auto& a : b->actions) {
                char buf[96];
                std::snprintf(buf, sizeof buf, "button %u conditions 0x%x key %u", id, a.conditions,
                              a.keyCode);
                dumpBlock(buf, a.actions);
            }
        }
    }
    return 0;
}
