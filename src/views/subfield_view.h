// Subfield view: the small plan of the field beside the video, with smaller dots and
// no labels.
#pragma once

#include "views/field_view.h"

constexpr PlanMarkStyle SUBFIELD_VIEW_MARKS = {4.0f, 2.0f, false};

// Display callback of the "subfield" view. Returns 1.
int drawSubfieldView(InterfaceObject* object);
