// Player labels: how the tool names the 22 players ("O1".."O11" for players 0..10,
// "D1".."D11" for 11..21) on buttons and over the video and the field plans, and the
// width of the box a label is drawn in.
#pragma once

#include "tracking/player_track.h"

constexpr int SIDE_PLAYER_COUNT = PLAYER_COUNT / 2;  // players per side: 0..10 O, 11..21 D
constexpr int PLAYER_LABEL_SIZE = 4;                 // bytes of a label: "O11" and its terminator

// True for the O side (players 0..SIDE_PLAYER_COUNT-1).
bool isOSidePlayer(int player);
// The player's number within its side, 1..11.
int playerNumber(int player);
// Writes the label of player 0..PLAYER_COUNT-1, "O<number>" or "D<number>", into text.
void playerLabelText(int player, char text[PLAYER_LABEL_SIZE]);
// Width of the player's label box in the units it is drawn in (video pixels, plan
// units): 17 for a one-digit number, 6 more for a two-digit one.
int playerLabelWidth(int player);
