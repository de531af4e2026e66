// Field view: the flat plan of the field with every player's trail, dot and label,
// and the plan drawing that the subfield view shares.
#pragma once

#include "views/field_plan.h"
#include "views/view.h"

// How a plan view marks its players.
struct PlanMarkStyle {
    float dotSize;     // coloured point under the black centre, pixels
    float centreSize;  // black centre point, pixels
    bool labels;       // draw labels when the scene's showNumbers is set
};

constexpr PlanMarkStyle FIELD_VIEW_MARKS = {7.0f, 5.0f, true};

// Depths in the plan projection (near -2, far 2); with the depth test off they only
// have to lie inside it, the drawing order decides what covers what.
constexpr double PLAN_MARK_Z = 0.9;     // trails and the coloured points of the dots
constexpr double PLAN_CENTRE_Z = 0.91;  // black centres of the dots

// Sets the current colour to the player's team colour (teamColour), opaque.
void setPlayerColour(int player, int selectedPlayer);
// Draws the player's dot at plan point `at`: a coloured point of style.dotSize under
// a black one of style.centreSize, which leaves a coloured ring. Changes the point
// size and the current colour.
void drawPlayerDot(PlanPoint at, int player, int selectedPlayer, const PlanMarkStyle& style);

// The plan view in full: displayView, the artwork stretched over the view, then, in
// an 800 x 400 plan projection, the player pass (through the view's trail layer when
// trails are on, see trail_layer.h) and, style and scene permitting, the label pass.
// Without a scene only the artwork and background are drawn.
void drawPlanView(View* view, const PlanMarkStyle& style);
// The player pass in the current plan projection, drawn directly: for each player in
// order, its trail (when the scene's showTrails is set) and its dot at the current frame.
void drawPlayerMarks(const Scene* scene, const PlanMarkStyle& style);
// The label pass in the current plan projection: a dark box and the player's label
// at each dot.
void drawPlayerLabels(const Scene* scene);

// Display callback of the "field" view. Returns 1.
int drawFieldView(InterfaceObject* object);
