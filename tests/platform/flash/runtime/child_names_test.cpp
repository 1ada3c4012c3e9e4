// Finding a clip's child by instance name through everything that changes the list: children
// placed, replaced, moved to another depth, renamed and removed, names shared and spelled in
// other letter case.
#include <gtest/gtest.h>

#include "platform/flash/runtime/display/display_object.h"

namespace pencora::runtime {
namespace {

std::shared_ptr<DisplayObject> put(DisplayObject& parent, int depth, const QString& name) {
    auto child = std::make_shared<DisplayObject>();
    child->name = name;
    child->depth = depth;
    child->parent = &parent;
    parent.children[depth] = child;
    return child;
}

TEST(ChildNames, LookUpFollowsEveryChangeOfTheList) {
    DisplayObject clip;
    const auto a = put(clip, 5, "ball");
    EXPECT_EQ(clip.childNamed("ball", true), a.get());
    EXPECT_EQ(clip.childNamed("BALL", false), a.get());
    EXPECT_EQ(clip.childNamed("BALL", true), nullptr);

    // The lowest depth wins a shared name, whichever came first.
    const auto b = put(clip, 2, "Ball");
    EXPECT_EQ(clip.childNamed("ball", false), b.get());
    EXPECT_EQ(clip.childNamed("ball", true), a.get());

    // Replaced at its depth, removed, moved.
    const auto c = put(clip, 2, "box");
    EXPECT_EQ(clip.childNamed("ball", false), a.get());
    EXPECT_EQ(clip.childNamed("box", true), c.get());
    clip.children.erase(5);
    EXPECT_EQ(clip.childNamed("ball", false), nullptr);
    auto moving = std::move(clip.children.find(2)->second);
    clip.children.erase(clip.children.find(2));
    moving->depth = 9;
    clip.children[9] = moving;
    EXPECT_EQ(clip.childNamed("box", true), c.get());

    // Renamed on the list.
    c->rename("crate");
    EXPECT_EQ(clip.childNamed("box", true), nullptr);
    EXPECT_EQ(clip.childNamed("crate", true), c.get());

    // A whole list exchanged, then emptied.
    std::map<int, std::shared_ptr<DisplayObject>> other;
    other[1] = std::make_shared<DisplayObject>();
    other[1]->name = "first";
    clip.children.swap(other);
    EXPECT_EQ(clip.childNamed("crate", true), nullptr);
    EXPECT_EQ(clip.childNamed("first", true), clip.childAt(1));
    clip.children.clear();
    EXPECT_EQ(clip.childNamed("first", true), nullptr);
}

TEST(ChildNames, ANameChangedBehindTheListIsStillFoundByItsNewName) {
    DisplayObject clip;
    const auto a = put(clip, 1, "one");
    const auto b = put(clip, 2, "two");
    ASSERT_EQ(clip.childNamed("one", true), a.get());
    // Written straight into the field: the list notices at the next look-up of the old name's
    // bucket and reads itself again.
    a->name = "two";
    EXPECT_EQ(clip.childNamed("one", true), nullptr);
    EXPECT_EQ(clip.childNamed("two", true), a.get());
    (void)b;
}

}  // namespace
}  // namespace pencora::runtime
