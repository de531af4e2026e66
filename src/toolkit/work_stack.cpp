#include "toolkit/work_stack.h"

#include <cassert>
#include <vector>

namespace {

// Kept for the whole run and never shrunk, so the walks stop allocating once the
// stack has reached the depth of the largest tree.
std::vector<InterfaceObject*>& stack() {
    static std::vector<InterfaceObject*> objects;
    return objects;
}

bool walkRunning = false;

}  // namespace

void workStackBegin() {
    // A callback that starts a walk would clobber the stack of the walk that called it.
    assert(!walkRunning && "tree walks and hit tests must not nest");
    walkRunning = true;
    stack().clear();
}

void workStackEnd() {
    assert(stack().empty() && "a walk left objects on the work stack");
    walkRunning = false;
}

void workStackPush(InterfaceObject* object) {
    stack().push_back(object);
}

InterfaceObject* workStackPop() {
    assert(!stack().empty());
    InterfaceObject* object = stack().back();
    stack().pop_back();
    return object;
}

bool workStackEmpty() {
    return stack().empty();
}
