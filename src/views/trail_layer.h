// TrailLayer: a plan view's trails up to each player's last key, kept off screen
// between redisplays, so that a redisplay draws only what changed since the last one
// (new keys reached, the last segment of each trail, the dots).
//
// The picture is the one the direct player pass draws. Each trail pixel of the layer
// remembers its player (stencil value player + 1); the parts drawn at every redisplay
// pass only where no later player has drawn, which keeps players in index order. The
// layer is rebuilt when a drawn key changes or disappears (edits, loads, going back
// in time), when the selection, the view size, the video height or the registration
// table changes.
#pragma once

#include "views/field_view.h"

// The player pass of drawPlayerMarks for `view` (its scene, in the current plan
// projection and viewport) through the view's layer. Returns false, drawing nothing,
// when layers are off, trails are off, or the GL context offers no off-screen stencil
// framebuffer: the caller then draws directly.
bool drawPlayerMarksLayered(const View* view, const PlanMarkStyle& style);
// Turns the layers on (the default) or off for every view.
void setTrailLayersEnabled(bool enabled);
