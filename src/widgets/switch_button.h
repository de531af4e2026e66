// SwitchButton: a Button with a second set of three looks for its on state
// (OBJ_SWITCHED_ON, flipped by every click).
#pragma once

#include "widgets/button.h"

struct SwitchButton : Button {
    Texture switchDefaultTexture;               // on-state default look
    Texture switchPressTexture;                 // on-state pressed look
    Texture switchRollOverTexture;              // on-state roll-over look
    int switchPlainLists[BUTTON_LOOKS] = {};    // on-state plain faces
    int switchTextureLists[BUTTON_LOOKS] = {};  // lists drawing the three on-state textures
};

// Constructors: as createButton, with displaySwitchButton. The label switch
// draws its name, on the switch face colour when on; the play/pause switch
// draws a play triangle when off and two pause bars when on.
void createSwitchButton(SwitchButton* button, int x, int y, int w, int h, const char* name,
                        int level);
void createPlayPauseButton(SwitchButton* button, int x, int y, int w, int h, const char* name,
                           int level);

// createTexture on one on-state texture; call while the button's window is
// current and before its lists are built.
void setSwitchDefaultTexture(SwitchButton* button, const unsigned char* pixels, int width,
                             int height, int bytesPerPixel, int format, int updateFlags);
void setSwitchPressTexture(SwitchButton* button, const unsigned char* pixels, int width, int height,
                           int bytesPerPixel, int format, int updateFlags);
void setSwitchRollOverTexture(SwitchButton* button, const unsigned char* pixels, int width,
                              int height, int bytesPerPixel, int format, int updateFlags);

// The list triple a switch draws from: when OBJ_TEXTURED is set and all six
// textures were created, the texture lists of its state, else the plain lists
// of its state.
const int* switchButtonListSet(const SwitchButton* button);

// Builds the off-state lists with offFace and then the on-state ones with onFace,
// once. Returns 1 when it built them, 0 when already initialised.
int buildSwitchButtonLists(SwitchButton* button, FaceFn offFace, Colour offColour, FaceFn onFace,
                           Colour onColour);
int initSwitchButton(InterfaceObject* object);     // label faces
int initPlayPauseButton(InterfaceObject* object);  // play and pause faces
// Display callback: drawButtonLook from switchButtonListSet. Returns 1.
int displaySwitchButton(InterfaceObject* object);
