#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "toolkit/interface_object.h"

namespace {

std::vector<std::string> calls;

void record(const InterfaceObject* object, const char* what) {
    calls.push_back(std::string(what) + " " + object->name);
}

int recordInit(InterfaceObject* object) {
    record(object, "init");
    return 1;
}
int recordIdle(InterfaceObject* object) {
    record(object, "idle");
    return 1;
}
int recordDisplay(InterfaceObject* object) {
    record(object, "display");
    return 1;
}
int recordKey(InterfaceObject* object, int key, int x, int y) {
    calls.push_back("key " + std::string(object->name) + " " + std::to_string(key) + " " +
                    std::to_string(x) + " " + std::to_string(y));
    return 1;
}
int answerPress(InterfaceObject*, int x, int y) {
    return 1000 * x + y;
}

// Objects of one test; their child arrays are given back at the end.
class Tree : public testing::Test {
  protected:
    void SetUp() override { calls.clear(); }
    void TearDown() override {
        for (InterfaceObject& object : objects) pointerListRelease(&object.children);
    }
    InterfaceObject* make(const char* name, int x, int y, int w, int h, int level = 0,
                          InterfaceObject* parent = nullptr) {
        objects.emplace_back();
        InterfaceObject* object = &objects.back();
        initObject(object, x, y, w, h, name, level, OBJ_ACTIVE, nullptr, recordInit, recordDisplay,
                   recordKey, recordIdle, nullptr, nullptr, nullptr, 0, 0);
        if (parent) insertChild(parent, object);
        return object;
    }
    std::vector<std::string> childNames(const InterfaceObject* parent) {
        std::vector<std::string> names;
        for (int i = 0; i < parent->children.count; ++i)
            names.push_back(static_cast<InterfaceObject*>(parent->children.items[i])->name);
        return names;
    }
    // Every object's OBJ_VISITED bit, named, for the objects that have it.
    std::vector<std::string> visited() {
        std::vector<std::string> names;
        for (InterfaceObject& object : objects)
            if (flagsSet(&object, OBJ_VISITED)) names.push_back(object.name);
        return names;
    }
    std::deque<InterfaceObject> objects;
};

using Names = std::vector<std::string>;

TEST_F(Tree, InitialisationCutsLongNamesAndDoesNotInsert) {
    InterfaceObject* parent = make("parent", 0, 0, 10, 10);
    InterfaceObject object;
    std::string longName(600, 'n');
    initObject(&object, 1, 2, 3, 4, longName.c_str(), 5, OBJ_HIDDEN, parent, nullptr, recordDisplay,
               nullptr, nullptr, nullptr, nullptr, nullptr, 6, 7);
    EXPECT_EQ(std::strlen(object.name), 511u);
    EXPECT_EQ(object.parent, parent);
    EXPECT_EQ(parent->children.count, 0);
    pointerListRelease(&object.children);

    InterfaceObject basic;
    initObjectBasic(&basic, 0, 0, 5, 5, "basic", 3, recordDisplay);
    EXPECT_EQ(basic.flags, OBJ_ACTIVE);
    EXPECT_EQ(basic.init, defaultInit);
    EXPECT_EQ(defaultInit(&basic), 1);
    EXPECT_TRUE(flagsSet(&basic, OBJ_INITIALIZED));
    EXPECT_EQ(defaultInit(&basic), 0);
    pointerListRelease(&basic.children);
}

TEST_F(Tree, FlagTestsAndInvokers) {
    InterfaceObject* object = make("o", 0, 0, 1, 1);
    assignFlags(object, OBJ_HIDDEN);
    EXPECT_EQ(setFlags(object, OBJ_PRESSED | OBJ_PLAYING), OBJ_HIDDEN | OBJ_PRESSED | OBJ_PLAYING);
    EXPECT_EQ(clearFlags(object, OBJ_HIDDEN | OBJ_LOOP), OBJ_PRESSED | OBJ_PLAYING);
    toggleFlags(object, OBJ_PRESSED | OBJ_SWITCHED_ON);
    EXPECT_EQ(object->flags, OBJ_PLAYING | OBJ_SWITCHED_ON);
    // flagsSet wants every given bit; flagsNotSet is true as soon as one is missing.
    EXPECT_FALSE(flagsSet(object, OBJ_PLAYING | OBJ_HIDDEN));
    EXPECT_TRUE(flagsNotSet(object, OBJ_PLAYING | OBJ_HIDDEN));
    EXPECT_FALSE(flagsNotSet(object, OBJ_PLAYING));
    EXPECT_TRUE(isPlaying(object));
    EXPECT_FALSE(isPressed(object));

    EXPECT_EQ(invokePress(object, 3, 4), 0);
    setPressCallback(object, answerPress);
    object->releaseOutside = [](InterfaceObject*, int x, int y, int pressX, int pressY) {
        return x * 1000 + y + pressX * 100 + pressY * 10;
    };
    EXPECT_EQ(invokePress(object, 3, 4), 3004);
    EXPECT_EQ(invokeReleaseOutside(object, 7, 8, 1, 2), 7128);
    EXPECT_EQ(invokeRelease(object, 5, 6, 1, 2), 0);
    EXPECT_EQ(invokeDrag(object, 5, 6, 1, 2), 0);
}

TEST_F(Tree, InsertionKeepsLevelOrderAndInsertionOrderWithinALevel) {
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    make("zero", 0, 0, 1, 1, 0, root);
    make("two", 0, 0, 1, 1, 2, root);
    make("one-a", 0, 0, 1, 1, 1, root);
    InterfaceObject* last = make("one-b", 0, 0, 1, 1, 1, root);
    EXPECT_EQ(childNames(root), (Names{"zero", "one-a", "one-b", "two"}));
    EXPECT_EQ(last->parent, root);
    make("minus", 0, 0, 1, 1, -1, root);
    EXPECT_EQ(childNames(root), (Names{"minus", "zero", "one-a", "one-b", "two"}));
}

TEST_F(Tree, InsertionWithoutParentIsReported) {
    InterfaceObject* child = make("child", 0, 0, 1, 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(insertChild(nullptr, child), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "error, list = NULL\n");
    EXPECT_EQ(child->parent, nullptr);
}

// root { a { a1, a2 (hidden) { a2x } }, b (hidden) }
class Walks : public Tree {
  protected:
    void SetUp() override {
        Tree::SetUp();
        root = make("root", 0, 0, 100, 100);
        a = make("a", 10, 10, 50, 50, 0, root);
        b = make("b", 70, 10, 20, 20, 1, root);
        a1 = make("a1", 12, 12, 5, 5, 0, a);
        a2 = make("a2", 20, 20, 10, 10, 0, a);
        a2x = make("a2x", 21, 21, 2, 2, 0, a2);
        setFlags(a2, OBJ_HIDDEN);
        setFlags(b, OBJ_HIDDEN);
    }
    InterfaceObject *root, *a, *b, *a1, *a2, *a2x;
};

TEST_F(Walks, InitIdleAndKeyboardVisitEveryObjectLastChildFirst) {
    EXPECT_EQ(initWalk(root), 1);
    EXPECT_EQ(calls, (Names{"init root", "init b", "init a", "init a2", "init a2x", "init a1"}));
    calls.clear();
    EXPECT_EQ(idleWalk(root), 1);
    EXPECT_EQ(calls, (Names{"idle root", "idle b", "idle a", "idle a2", "idle a2x", "idle a1"}));
    calls.clear();
    a->keyboard = nullptr;
    EXPECT_EQ(keyboardWalk(root, 'k', 3, 4), 1);
    EXPECT_EQ(calls, (Names{"key root 107 3 4", "key b 107 3 4", "key a2 107 3 4",
                            "key a2x 107 3 4", "key a1 107 3 4"}));
}

TEST_F(Walks, DisplayDrawsParentsFirstAndSkipsHiddenSubtrees) {
    clearFlags(b, OBJ_HIDDEN);
    EXPECT_EQ(displayWalk(root), 1);
    EXPECT_EQ(calls, (Names{"display root", "display a", "display a1", "display b"}));
    calls.clear();
    clearFlags(a2, OBJ_HIDDEN);
    displayWalk(root);
    EXPECT_EQ(calls, (Names{"display root", "display a", "display a1", "display a2", "display a2x",
                            "display b"}));
    calls.clear();
    setFlags(root, OBJ_HIDDEN);
    EXPECT_EQ(displayWalk(root), 0);
    EXPECT_EQ(displayWalk(nullptr), 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Walks, MoveShiftsTheSubtreeOnly) {
    EXPECT_EQ(moveWalk(a, 5, -3), 1);
    EXPECT_EQ(a->x, 15);
    EXPECT_EQ(a->y, 7);
    EXPECT_EQ(a1->x, 17);
    EXPECT_EQ(a2x->x, 26);
    EXPECT_EQ(a2x->y, 18);
    EXPECT_EQ(root->x, 0);
    EXPECT_EQ(b->x, 70);
}

// Each object of the test's tree answers when it contains the point; the order
// in which the hit test reaches them shows in which one answers first.
class HitTest : public Tree {};

TEST_F(HitTest, TopmostDeepestActiveObjectWins) {
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    InterfaceObject* low = make("low", 10, 10, 50, 50, 0, root);
    InterfaceObject* lowChild = make("lowChild", 20, 20, 10, 10, 0, low);
    InterfaceObject* high = make("high", 40, 40, 40, 40, 2, root);
    InterfaceObject* sameLevelLater = make("later", 0, 0, 15, 15, 0, root);

    EXPECT_EQ(hitTest(root, 25, 25), lowChild) << "a child before its parent";
    EXPECT_EQ(hitTest(root, 45, 45), high) << "the higher level over the lower";
    EXPECT_EQ(hitTest(root, 12, 12), sameLevelLater) << "the later of equal levels";
    EXPECT_EQ(hitTest(root, 55, 15), low);
    EXPECT_EQ(hitTest(root, 95, 5), root);
    EXPECT_EQ(hitTest(root, 101, 5), nullptr);
    EXPECT_TRUE(visited().empty());
}

TEST_F(HitTest, EdgesAreInclusive) {
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    clearFlags(root, OBJ_ACTIVE);
    InterfaceObject* box = make("box", 10, 20, 30, 40, 0, root);
    EXPECT_EQ(hitTest(root, 10, 20), box);
    EXPECT_EQ(hitTest(root, 40, 60), box);
    EXPECT_EQ(hitTest(root, 40, 20), box);
    EXPECT_EQ(hitTest(root, 41, 60), nullptr);
    EXPECT_EQ(hitTest(root, 40, 61), nullptr);
    EXPECT_EQ(hitTest(root, 9, 30), nullptr);
}

TEST_F(HitTest, HiddenSubtreesAreNeverHit) {
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    InterfaceObject* under = make("under", 0, 0, 50, 50, 0, root);
    InterfaceObject* panel = make("panel", 0, 0, 50, 50, 1, root);
    make("panelChild", 10, 10, 10, 10, 0, panel);
    setFlags(panel, OBJ_HIDDEN);
    EXPECT_EQ(hitTest(root, 15, 15), under);
    setFlags(root, OBJ_HIDDEN);
    EXPECT_EQ(hitTest(root, 15, 15), nullptr);
    EXPECT_TRUE(visited().empty());
}

TEST_F(HitTest, PassiveObjectsPassTheSearchOn) {
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    clearFlags(root, OBJ_ACTIVE);
    // A passive text inside an active frame, over an earlier active sibling.
    InterfaceObject* earlier = make("earlier", 0, 0, 60, 60, 0, root);
    InterfaceObject* frame = make("frame", 20, 20, 30, 30, 1, root);
    InterfaceObject* text = make("text", 25, 25, 10, 10, 0, frame);
    InterfaceObject* textLine = make("textLine", 26, 26, 2, 2, 0, text);
    clearFlags(text, OBJ_ACTIVE);
    EXPECT_EQ(hitTest(root, 30, 30), frame);
    EXPECT_EQ(hitTest(root, 27, 27), textLine) << "children of a passive object are searched";
    clearFlags(frame, OBJ_ACTIVE);
    EXPECT_EQ(hitTest(root, 30, 30), earlier);
    clearFlags(earlier, OBJ_ACTIVE);
    EXPECT_EQ(hitTest(root, 30, 30), nullptr);
    EXPECT_TRUE(visited().empty());
}

TEST_F(HitTest, VisitedMarksAreClearedOnHitAndMiss) {
    // Deep, wide tree: a hit early in the search leaves marks on many ancestors.
    InterfaceObject* root = make("root", 0, 0, 100, 100);
    InterfaceObject* parent = root;
    for (int depth = 0; depth < 5; ++depth) {
        make("left", 0, 0, 10, 10, 0, parent);
        parent = make("deeper", 0, 0, 100, 100, 1, parent);
    }
    InterfaceObject* leaf = make("leaf", 50, 50, 1, 1, 0, parent);
    EXPECT_EQ(hitTest(root, 50, 50), leaf);
    EXPECT_TRUE(visited().empty());
    EXPECT_EQ(hitTest(root, 5, 5), parent) << "the deepest 'deeper' covers the point";
    EXPECT_TRUE(visited().empty());
    for (InterfaceObject& object : objects) clearFlags(&object, OBJ_ACTIVE);
    EXPECT_EQ(hitTest(root, 5, 5), nullptr);
    EXPECT_TRUE(visited().empty());
}

#ifndef NDEBUG
InterfaceObject* nestedStart = nullptr;
int startNestedWalk(InterfaceObject*) {
    return idleWalk(nestedStart);
}

TEST_F(Tree, NestedWalksAreCaught) {
    InterfaceObject* root = make("root", 0, 0, 10, 10);
    make("child", 0, 0, 1, 1, 0, root);
    nestedStart = root;
    root->init = startNestedWalk;
    EXPECT_DEATH(initWalk(root), "must not nest");
}
#endif

}  // namespace
