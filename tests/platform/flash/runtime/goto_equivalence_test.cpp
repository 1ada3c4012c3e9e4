// A goto must land on the display list that playing to the same frame builds. Random
// timelines of places, moves, replacements and removals are played frame by frame once for
// reference; then gotos from every frame to every other, and chains of them, must give the
// same characters with the same placements at every depth, and forward the same objects.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <sstream>

#include "test_movies.h"

namespace pencora::runtime {
namespace {

using test::square;

constexpr int kDepths = 6;
constexpr int kFrames = 9;

// What a depth of the root shows, as far as the timeline decides it.
std::string snapshot(const DisplayObject& root) {
    std::ostringstream out;
    for (const auto& [depth, o] : root.children) {
        out << depth << ":" << o->characterId << "@" << o->matrix.tx << "," << o->matrix.ty << "/"
            << o->matrix.a << " c" << o->colorTransform.rMult << " r" << o->ratio << " m"
            << o->clipDepth;
        // Names the tags gave; unnamed clips are numbered in the order they are made, which
        // gotos change, and a replacement may take over such a number.
        if (!o->name.isEmpty() && !o->name.startsWith(QStringLiteral("instance"))) {
            out << " '" << o->name.toStdString() << "'";
        }
        out << "; ";
    }
    return out.str();
}

// A timeline of places (with names, ratios and mask depths), moves, replacements, removals,
// and now and then a place on an occupied depth, which fails.
swfwrite::MovieBuilder randomMovie(std::mt19937& random) {
    swfwrite::MovieBuilder b;
    std::vector<uint16_t> characters;
    characters.push_back(b.define(square(0, 0, 10, 10, {255, 0, 0, 255})));
    characters.push_back(b.define(square(0, 0, 20, 5, {0, 255, 0, 255})));
    swfwrite::TimelineBuilder kid;
    kid.showFrame().showFrame();
    characters.push_back(b.define(kid.sprite()));
    const auto pick = [&] { return characters[random() % characters.size()]; };
    const auto matrix = [&] {
        swf::Matrix m = test::at(double(random() % 200), double(random() % 200));
        if (random() % 3 == 0) {
            m.a = m.d = 0.5 * double(1 + random() % 4);
        }
        return m;
    };
    std::vector<uint16_t> at(kDepths + 1, 0);  // character per depth, 0: empty
    for (int f = 0; f < kFrames; ++f) {
        for (uint16_t depth = 1; depth <= kDepths; ++depth) {
            const int roll = int(random() % 10);
            swf::PlaceObject p;
            p.depth = depth;
            if (!at[depth]) {
                if (roll < 4) {
                    p.characterId = at[depth] = pick();
                    p.matrix = matrix();
                    if (roll == 0) {
                        p.ratio = uint16_t(random() % 100);
                    } else if (roll == 1) {
                        p.name = "n" + std::to_string(random() % 3);
                    } else if (roll == 2 && depth < kDepths) {
                        p.clipDepth = uint16_t(depth + 1 + random() % (kDepths - depth));
                    }
                    b.place(p);
                }
                continue;
            }
            if (roll < 3) {
                p.move = true;
                p.matrix = matrix();
                if (roll == 0) {
                    p.colorTransform = swf::ColorTransform{};
                    p.colorTransform->rMult = int16_t(random() % 256);
                }
                b.place(p);
            } else if (roll < 5) {
                p.move = true;
                p.characterId = at[depth] = pick();
                if (roll == 3) {
                    p.matrix = matrix();
                }
                b.place(p);
            } else if (roll < 7) {
                b.remove(depth);
                at[depth] = 0;
            } else if (roll == 7) {
                p.characterId = pick();  // placing on an occupied depth fails
                b.place(p);
            }
        }
        b.showFrame();
    }
    return b;
}

struct Played {
    Player player;
    explicit Played(const std::shared_ptr<const swf::Movie>& movie, int frame) {
        player.load(0, movie);
        player.runFrame();
        while (player.root(0)->frame < frame) {
            player.runFrame();
        }
    }
    DisplayObject& root() { return *player.root(0); }
};

TEST(GotoEquivalence, GotosLandOnTheListThatPlayingBuilds) {
    std::mt19937 random(7321);
    for (int movie = 0; movie < 25; ++movie) {
        const auto shared = test::share(randomMovie(random));
        std::vector<std::string> reference;
        for (int f = 0; f < kFrames; ++f) {
            reference.push_back(snapshot(Played(shared, f).root()));
        }
        // Which object is which in one run from the first frame to the last.
        std::vector<std::map<int, uint64_t>> serials;
        for (Played run(shared, 0);; run.player.runFrame()) {
            std::map<int, uint64_t> s;
            for (const auto& [depth, o] : run.root().children) {
                s[depth] = o->serial;
            }
            serials.push_back(std::move(s));
            if (run.root().frame == kFrames - 1) {
                break;
            }
        }
        // Every pair of frames, one goto each.
        for (int from = 0; from < kFrames; ++from) {
            for (int to = 0; to < kFrames; ++to) {
                Played p(shared, from);
                std::map<int, uint64_t> before;
                for (const auto& [depth, o] : p.root().children) {
                    before[depth] = o->serial;
                }
                p.player.gotoFrame(p.root(), to, false);
                ASSERT_EQ(snapshot(p.root()), reference[size_t(to)])
                    << "movie " << movie << ": goto from frame " << from << " to " << to;
                if (to <= from) {
                    continue;
                }
                // Forward, an object survives the goto exactly when it survives playing on.
                for (const auto& [depth, o] : p.root().children) {
                    const bool kept = before.count(depth) && before[depth] == o->serial;
                    const auto& a = serials[size_t(from)];
                    const auto& b = serials[size_t(to)];
                    const bool played =
                        a.count(depth) && b.count(depth) && a.at(depth) == b.at(depth);
                    EXPECT_EQ(kept, played) << "movie " << movie << ": depth " << depth << " from "
                                            << from << " to " << to;
                }
            }
        }
        // Chains of gotos and ticks in between.
        Played p(shared, 0);
        for (int step = 0; step < 40; ++step) {
            const int to = int(random() % kFrames);
            p.player.gotoFrame(p.root(), to, step % 2 == 0);
            if (step % 2 == 0 && to + 1 < kFrames) {
                p.player.runFrame();
                ASSERT_EQ(snapshot(p.root()), reference[size_t(to + 1)])
                    << "movie " << movie << ": step " << step << ", played on from " << to;
            } else {
                ASSERT_EQ(snapshot(p.root()), reference[size_t(to)])
                    << "movie " << movie << ": step " << step << ", goto " << to;
            }
        }
    }
}

}  // namespace
}  // namespace pencora::runtime
