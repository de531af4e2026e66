#include "app/key_table.h"

#include <array>
#include <cstdio>

#include "app/commands.h"

namespace {

constexpr int ESC_KEY = 27;

void nextPlayerKey(AppState* state) {
    selectNeighbourPlayer(state, 1);
}
void previousPlayerKey(AppState* state) {
    selectNeighbourPlayer(state, -1);
}
void deleteKeyKey(AppState* state) {
    deleteKeyCommand(state);
}
void exportKey(AppState* state) {
    exportCommand(state);
}
void saveKey(AppState* state) {
    saveCommand(state);
}
void trackForwardKey(AppState* state) {
    trackCommand(state, 1);
}
void trackBackwardKey(AppState* state) {
    trackCommand(state, -1);
}

using KeyTable = std::array<KeyCommand, KEY_TABLE_SIZE>;

KeyTable buildKeyTable() {
    KeyTable table{};
    auto bind = [&table](int key, KeyCommand command) { table[key - KEY_TABLE_FIRST] = command; };
    bind(KEY_CTRL_S, saveKey);
    bind(KEY_CTRL_Y, redoCommand);
    bind(KEY_CTRL_Z, undoCommand);
    bind(ESC_KEY, exitProgram);
    bind(' ', spaceCommand);
    bind(',', previousFrameCommand);
    bind('<', previousFrameCommand);
    bind('.', nextFrameCommand);
    bind('>', nextFrameCommand);
    bind('d', toggleTrails);
    bind('e', exportKey);
    bind('f', flipCamera);
    bind('h', toggleHelp);
    bind('m', nextKeyCommand);
    bind('n', previousKeyCommand);
    bind('o', previousPlayerKey);
    bind('p', nextPlayerKey);
    bind('r', deleteKeyKey);
    bind('s', toggleNumbers);
    bind('t', trackForwardKey);
    bind('T', trackBackwardKey);
    return table;
}

const KeyTable keyTable = buildKeyTable();

}  // namespace

int keyWithModifiers(int key, bool shift) {
    return (key & 0xFF) == KEY_CTRL_Z && shift ? KEY_CTRL_Y : key;
}

KeyCommand keyCommand(int key) {
    const int code = key & 0xFF;
    if (code < KEY_TABLE_FIRST || code >= KEY_TABLE_FIRST + KEY_TABLE_SIZE) return nullptr;
    return keyTable[code - KEY_TABLE_FIRST];
}

bool runKeyCommand(AppState* state, int key) {
    KeyCommand command = keyCommand(key);
    if (command == nullptr) {
        std::printf("key not available\n");
        std::fflush(stdout);
        return false;
    }
    command(state);
    return true;
}
