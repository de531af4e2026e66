// FieldPlan: where the players stand on the 800 x 400 field plan at a frame, and the
// arithmetic the field views share (colours, labels, the 3D scene mapping, the
// camera's focus points). No GL: everything here is testable without a display.
//
// A key is placed with the homography of its own frame. A key whose frame has no
// registration record is left out of every view: it adds no trail point, gives no
// dot, cube or label, and does not count towards a team's focus point. The trail
// joins the neighbouring keys that do have a record; a position interpolated
// between two keys exists only when both keys have one.
#pragma once

#include <cstdint>
#include <vector>

#include "tracking/field_pitch.h"
#include "tracking/player_label.h"
#include "tracking/scene.h"
#include "widgets/colour.h"

constexpr double SCENE_SCALE = 0.0025;  // 3D scene units per plan unit (the field spans -1..1)

struct PlanPoint {
    double x = 0.0;  // plan units
    double y = 0.0;
};

// The colour of every mark of `player`, brighter when it is the selected player.
Colour teamColour(int player, int selectedPlayer);
// Trail line width in pixels: 2 for the selected player, 1 for the others.
float trailWidth(int player, int selectedPlayer);

// P(k): the key's feet point (video pixels, y upward) turned into image convention,
// projected through the homography of the key's own frame to (u, v), and placed at
// (u, 400 - v). False (out untouched) when that frame has no registration record.
bool planPoint(const Scene* scene, const KeyNode* key, PlanPoint* out);

// The player's dot position at frame: at its key on frame, or interpolated on the
// plan between the key before frame and the next one. False when the player has no
// dot: no key at or before frame, a last key before frame, or a key involved that has
// no registration record. Moves the track's seek cursor.
bool playerDotPoint(const Scene* scene, int player, int frame, PlanPoint* out);

// Appends (x, y, z) triples of the player's trail at frame: the plan points of its
// keys at or before frame that have a record, in frame order, then the dot position
// when it lies after the last of them. Returns the number of points appended.
int appendTrail(const Scene* scene, int player, int frame, double z, std::vector<double>* out);

// Appends (x, y, z) triples of the plan points of the player's keys at or before
// frame that have a record, in frame order, leaving out the first `skip` of them.
// Returns how many such keys there are in all, skipped ones included.
int appendKeyTrail(const Scene* scene, int player, int frame, int skip, double z,
                   std::vector<double>* out);
// The trail's last segment when the dot lies after the player's last key at or before
// frame: from that key's plan point to the dot. False when there is none.
bool trailTail(const Scene* scene, int player, int frame, PlanPoint* from, PlanPoint* to);

// A digest of the player's keys at or before frame that have a record (frame and feet
// point, in order): `points` of them in all, `digest` over all and `prefixDigest`
// over the first `prefix` (0 when there are fewer).
struct TrailDigest {
    int points = 0;
    uint64_t digest = 0;
    uint64_t prefixDigest = 0;
};
TrailDigest digestKeyTrail(const Scene* scene, int player, int frame, int prefix);

// A player's label on the plan.
struct PlayerLabel {
    char text[PLAYER_LABEL_SIZE];  // "O1".."O11", "D1".."D11" (playerLabelText)
    int width;                     // b: playerLabelWidth, 17 for one digit, 23 for two
    int left;                      // L: left edge of the text, plan units
    int y;                         // anchor y, plan units (the box spans y - 6 .. y + 6)
};
// The label of `player` (0..21) whose dot is at `at`. False when the position is not finite.
bool playerLabel(int player, PlanPoint at, PlayerLabel* out);

// Q(P): the plan point in 3D scene units on the field plane z = 0, centred on the origin.
PlanPoint scenePoint(PlanPoint plan);

// The mean scene point of each side's visited players at frame (all players when none
// is selected, otherwise only the selected one); (0, 0) for a side with none. A player
// counts with its interpolated point, or with its key's point at or after its last
// key; a player without a key at or before frame, or one whose key lacks a
// registration record, does not count.
void teamFocusPoints(const Scene* scene, int frame, PlanPoint* oSide, PlanPoint* dSide);
// The point the 3D camera looks at: the selected player's side's point, or the
// middle of the two sides' points when none is selected.
PlanPoint cameraTarget(const Scene* scene, int frame);

// A digest of what the field windows show at frame: every player's dot and trail,
// the camera's target and angles, the selection and the trail and label switches.
// Equal digests at two frames mean the windows would draw the same pixels, so that
// playback need not redraw them for a new frame.
uint64_t fieldViewsDigest(const Scene* scene, int frame);
