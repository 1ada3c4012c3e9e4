// Timelines and scripts working on one display list at random: ticks, gotos both ways,
// script placements over timeline depths, swaps and removals. After every step each child
// must sit at the depth it names, point back at its parent, be the list's own object and
// show a frame its timeline has; drawing the list must still work.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/flash/runtime/drawing/draw_list.h"
#include "test_movies.h"

namespace pencora::runtime {
namespace {

std::string checkTree(const Player& player, const DisplayObject& container, int level = 0) {
    for (const auto& [depth, child] : container.children) {
        const std::string at =
            "depth " + std::to_string(depth) + " of level " + std::to_string(level);
        if (!child) {
            return at + ": empty slot";
        }
        if (child->depth != depth) {
            return at + ": the child says depth " + std::to_string(child->depth);
        }
        if (child->parent != &container) {
            return at + ": wrong parent";
        }
        if (player.sharedOf(*child).get() != child.get() || !player.onList(*child)) {
            return at + ": not the list's own";
        }
        if (child->isClip() && child->totalFrames > 0 &&
            (child->frame < -1 || child->frame >= child->totalFrames)) {
            return at + ": frame " + std::to_string(child->frame) + " of " +
                   std::to_string(child->totalFrames);
        }
        if (std::string inner = checkTree(player, *child, level + 1); !inner.empty()) {
            return inner;
        }
    }
    return {};
}

// A root of eight frames over four depths with shapes and a two-level sprite that moves
// its own child about.
std::shared_ptr<const swf::Movie> busyMovie(std::mt19937& random, std::vector<uint16_t>& ids) {
    swfwrite::MovieBuilder b;
    const uint16_t shape = b.define(test::square(0, 0, 10, 10, {255, 0, 0, 255}));
    swfwrite::TimelineBuilder leaf;
    leaf.place(shape, 1).showFrame().remove(1).showFrame().place(shape, 2).showFrame();
    const uint16_t leafId = b.define(leaf.sprite());
    swfwrite::TimelineBuilder branch;
    branch.place(leafId, 1).showFrame().move(1, test::at(5, 5)).place(shape, 3).showFrame();
    branch.remove(3).showFrame();
    const uint16_t branchId = b.define(branch.sprite());
    ids = {shape, leafId, branchId};
    std::vector<bool> used(5, false);
    for (int f = 0; f < 8; ++f) {
        for (uint16_t d = 1; d <= 4; ++d) {
            const int roll = int(random() % 6);
            if (!used[d] && roll < 3) {
                b.place(ids[random() % ids.size()], d, test::at(double(random() % 100), 0));
                used[d] = true;
            } else if (used[d] && roll == 3) {
                b.remove(d);
                used[d] = false;
            } else if (used[d] && roll == 4) {
                swf::PlaceObject replace;
                replace.move = true;
                replace.depth = d;
                replace.characterId = ids[random() % ids.size()];
                b.place(replace);
            }
        }
        b.showFrame();
    }
    return test::share(b);
}

TEST(DisplayListInvariants, RandomTicksGotosAndScriptEditsKeepTheListSound) {
    std::mt19937 random(99);
    for (int round = 0; round < 30; ++round) {
        Player player;
        std::vector<uint16_t> ids;
        player.load(0, busyMovie(random, ids));
        player.runFrame();
        for (int step = 0; step < 120; ++step) {
            DisplayObject& root = *player.root(0);
            // A clip anywhere in the tree, to act on.
            DisplayObject* target = &root;
            while (!target->children.empty() && random() % 2) {
                auto it = target->children.begin();
                std::advance(it, random() % target->children.size());
                target = it->second.get();
            }
            const int depth = int(random() % 3) == 0 ? int(1 + random() % 4)
                                                     : kScriptDepthBase + int(random() % 4);
            std::string op;
            switch (random() % 7) {
                case 0:
                case 1:
                    op = "tick";
                    player.runFrame();
                    break;
                case 2:
                    op = "goto";
                    if (target->isClip()) {
                        player.gotoFrame(*target, int(random() % 10), random() % 2);
                    }
                    break;
                case 3:
                    op = "place by script";
                    if (target->isClip()) {
                        Player::ScriptPlacement p;
                        p.characterId = random() % 2 ? ids[random() % ids.size()] : 0;
                        p.depth = depth;
                        p.name = QStringLiteral("s%1").arg(step);
                        player.placeByScript(*target, p);
                    }
                    break;
                case 4:
                    op = "swap";
                    if (target != &root) {
                        player.swapDepth(*target, depth);
                    }
                    break;
                case 5:
                    op = "remove";
                    if (target->parent) {
                        player.removeObject(*target->parent, target->depth);
                    }
                    break;
                case 6:
                    op = "duplicate";
                    if (target->parent && target->isClip()) {
                        Player::ScriptPlacement p;
                        p.characterId = target->characterId;
                        p.depth = depth;
                        p.copyOf = target;
                        player.placeByScript(*target->parent, p);
                    }
                    break;
            }
            const std::string fault = checkTree(player, *player.root(0));
            ASSERT_EQ(fault, "") << "round " << round << ", step " << step << " (" << op << ")";
        }
        buildDrawList(player);  // walks whatever the steps left without tripping
    }
}

}  // namespace
}  // namespace pencora::runtime
