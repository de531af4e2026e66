#include "views/subfield_view.h"

int drawSubfieldView(InterfaceObject* object) {
    drawPlanView(static_cast<View*>(object), SUBFIELD_VIEW_MARKS);
    return 1;
}
