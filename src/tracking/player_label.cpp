#include "tracking/player_label.h"

#include <cstdio>

namespace {

constexpr int LABEL_WIDTH = 17;           // a one-digit number
constexpr int LABEL_WIDTH_PER_DIGIT = 6;  // added for a two-digit number

}  // namespace

bool isOSidePlayer(int player) {
    return player < SIDE_PLAYER_COUNT;
}

int playerNumber(int player) {
    return player % SIDE_PLAYER_COUNT + 1;
}

void playerLabelText(int player, char text[PLAYER_LABEL_SIZE]) {
    std::snprintf(text, PLAYER_LABEL_SIZE, "%c%d", isOSidePlayer(player) ? 'O' : 'D',
                  playerNumber(player));
}

int playerLabelWidth(int player) {
    return playerNumber(player) / 10 * LABEL_WIDTH_PER_DIGIT + LABEL_WIDTH;
}
