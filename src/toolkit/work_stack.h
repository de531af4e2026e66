// The one work stack of object pointers that the tree walks and the hit test share.
// A walk runs between workStackBegin and workStackEnd; walks must not nest.
#pragma once

struct InterfaceObject;

// Starts a walk: checks (debug builds) that no walk is running and empties the stack.
void workStackBegin();
// Ends a walk: checks (debug builds) that the walk left the stack empty.
void workStackEnd();
void workStackPush(InterfaceObject* object);  // puts object on top; the stack grows as needed
InterfaceObject* workStackPop();              // the top object; the stack must not be empty
bool workStackEmpty();                        // no object left for the walk
