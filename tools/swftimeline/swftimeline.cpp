// Usage: swftimeline MOVIE.swf
// Prints the root timeline and every sprite's timeline frame by frame: placements (depth,
// character, name, clip events), removals, labels, init actions and the decoded actions of
// each block, one record a line.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <variant>

#include "platform/flash/actions/action_decoder.h"
#include "platform/flash/swf/movie.h"

namespace {

using namespace pencora;

void dumpActions(const swf::Bytes& bytes, const char* indent) {
    const swf::ActionBlock block = swf::decodeActions(bytes);
    for (size_t i = 0; i < block.actions.size(); ++i) {
        const swf::Action& a = block.actions[i];
        std::printf("%s%4zu %s", indent, i, swf::actionName(a.code));
        for (const swf::PushValue& v : a.values) {
            using T = swf::PushValue::Type;
            switch (v.type) {
                case T::String:
                    std::printf(" \"%s\"", v.text.c_str());
                    break;
                case T::Register:
                    std::printf(" r%u", v.index);
                    break;
                case T::Constant:
                    std::printf(" c%u", v.index);
                    break;
                case T::Null:
                    std::printf(" null");
                    break;
                case T::Undefined:
                    std::printf(" undef");
                    break;
                case T::Boolean:
                    std::printf(" %s", v.number ? "true" : "false");
                    break;
                default:
                    std::printf(" %g", v.number);
                    break;
            }
        }
        for (size_t s = 0; s < a.strings.size(); ++s) {
            std::printf(" c%zu='%s'", s, a.strings[s].c_str());
        }
        if (a.function) {
            std::printf(" fn '%s' end=%u", a.function->name.c_str(), a.function->bodyEnd);
        }
        if (a.code == swf::ActionCode::Jump || a.code == swf::ActionCode::If) {
            std::printf(" -> %u", a.target);
        }
        if (a.code == swf::ActionCode::GotoFrame || a.code == swf::ActionCode::WaitForFrame) {
            std::printf(" frame=%u", a.frame);
        }
        if (!a.text.empty()) {
            std::printf(" '%s'", a.text.c_str());
        }
        if (!a.text2.empty()) {
            std::printf(" '%s'", a.text2.c_str());
        }
        std::printf("\n");
    }
}

void dumpTimeline(const swf::Timeline& timeline) {
    for (size_t f = 0; f < timeline.frames.size(); ++f) {
        std::printf("  frame %zu\n", f + 1);
        for (const swf::ControlTag& tag : timeline.frames[f].tags) {
            if (auto* p = std::get_if<swf::PlaceObject>(&tag)) {
                std::printf("    Place%u depth=%u%s", p->version, p->depth, p->move ? " move" : "");
                if (p->characterId) {
                    std::printf(" char=%u", *p->characterId);
                }
                if (p->name) {
                    std::printf(" name='%s'", p->name->c_str());
                }
                if (p->ratio) {
                    std::printf(" ratio=%u", *p->ratio);
                }
                if (p->clipDepth) {
                    std::printf(" clipDepth=%u", *p->clipDepth);
                }
                if (p->matrix) {
                    const swf::Matrix& m = *p->matrix;
                    std::printf(" at=(%d,%d)", m.tx, m.ty);
                    if (m.a != 1.0 || m.b != 0.0 || m.c != 0.0 || m.d != 1.0) {
                        std::printf(" abcd=(%g,%g,%g,%g)", m.a, m.b, m.c, m.d);
                    }
                }
                std::printf("\n");
                for (const swf::ClipAction& c : p->clipActions) {
                    std::printf("      onClipEvent 0x%x\n", c.events);
                    dumpActions(c.actions, "        ");
                }
            } else if (auto* r = std::get_if<swf::RemoveObject>(&tag)) {
                std::printf("    Remove depth=%u\n", r->depth);
            } else if (auto* a = std::get_if<swf::DoAction>(&tag)) {
                std::printf("    DoAction\n");
                dumpActions(a->actions, "      ");
            } else if (auto* i = std::get_if<swf::DoInitAction>(&tag)) {
                std::printf("    DoInitAction sprite=%u\n", i->spriteId);
                dumpActions(i->actions, "      ");
            } else if (auto* l = std::get_if<swf::FrameLabel>(&tag)) {
                std::printf("    Label '%s'\n", l->name.c_str());
            } else if (auto* e = std::get_if<swf::ExportAssets>(&tag)) {
                (void)e;
                std::printf("    ExportAssets\n");
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: swftimeline MOVIE.swf\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto result = swf::readMovie(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    if (!result.movie) {
        std::fprintf(stderr, "not a movie\n");
        return 1;
    }
    const swf::Movie& movie = *result.movie;
    std::printf("SWF %u, %zu frames\nroot\n", movie.header.version, movie.timeline.frames.size());
    dumpTimeline(movie.timeline);
    for (const auto& [id, c] : movie.dictionary) {
        if (auto* s = std::get_if<swf::Sprite>(&c)) {
            std::printf("sprite %u (%zu frames, %u declared)\n", id, s->timeline.frames.size(),
                        s->frameCount);
            dumpTimeline(s->timeline);
        } else if (auto* b = std::get_if<swf::Button>(&c)) {
            std::printf("button %u\n", id);
            for (const auto& cond : b->actions) {
                std::printf("  condition 0x%04x key=%u\n", unsigned(cond.conditions),
                            unsigned(cond.keyCode));
                dumpActions(cond.actions, "    ");
            }
        }
    }
    return 0;
}
