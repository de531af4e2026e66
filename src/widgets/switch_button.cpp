#include "widgets/switch_button.h"

void createSwitchButton(SwitchButton* button, int x, int y, int w, int h, const char* name,
                        int level) {
    createButton(button, x, y, w, h, name, level);
    setDisplayCallback(button, displaySwitchButton);
    button->init = initSwitchButton;
    resetTexture(&button->switchDefaultTexture);
    resetTexture(&button->switchPressTexture);
    resetTexture(&button->switchRollOverTexture);
    for (int look = 0; look < BUTTON_LOOKS; ++look) {
        button->switchPlainLists[look] = 0;
        button->switchTextureLists[look] = 0;
    }
}

void createPlayPauseButton(SwitchButton* button, int x, int y, int w, int h, const char* name,
                           int level) {
    createSwitchButton(button, x, y, w, h, name, level);
    button->init = initPlayPauseButton;
}

void setSwitchDefaultTexture(SwitchButton* button, const unsigned char* pixels, int width,
                             int height, int bytesPerPixel, int format, int updateFlags) {
    createTexture(&button->switchDefaultTexture, pixels, width, height, bytesPerPixel, format,
                  updateFlags);
}

void setSwitchPressTexture(SwitchButton* button, const unsigned char* pixels, int width, int height,
                           int bytesPerPixel, int format, int updateFlags) {
    createTexture(&button->switchPressTexture, pixels, width, height, bytesPerPixel, format,
                  updateFlags);
}

void setSwitchRollOverTexture(SwitchButton* button, const unsigned char* pixels, int width,
                              int height, int bytesPerPixel, int format, int updateFlags) {
    createTexture(&button->switchRollOverTexture, pixels, width, height, bytesPerPixel, format,
                  updateFlags);
}

const int* switchButtonListSet(const SwitchButton* button) {
    const bool textured =
        flagsSet(button, OBJ_TEXTURED) && button->texture.textureId > 0 &&
        button->pressTexture.textureId > 0 && button->rollOverTexture.textureId > 0 &&
        button->switchDefaultTexture.textureId > 0 && button->switchPressTexture.textureId > 0 &&
        button->switchRollOverTexture.textureId > 0;
    const bool on = flagsSet(button, OBJ_SWITCHED_ON);
    if (textured) return on ? button->switchTextureLists : button->textureLists;
    return on ? button->switchPlainLists : button->plainLists;
}

int buildSwitchButtonLists(SwitchButton* button, FaceFn offFace, Colour offColour, FaceFn onFace,
                           Colour onColour) {
    if (flagsSet(button, OBJ_INITIALIZED)) return 0;
    buildButtonLists(button, offFace, offColour);
    compileFaceLists(button, onFace, onColour, button->switchPlainLists);
    const Texture* const textures[BUTTON_LOOKS] = {
        &button->switchDefaultTexture, &button->switchPressTexture, &button->switchRollOverTexture};
    compileTextureLists(textures, button->switchTextureLists);
    setFlags(button, OBJ_INITIALIZED);
    return 1;
}

int initSwitchButton(InterfaceObject* object) {
    return buildSwitchButtonLists(static_cast<SwitchButton*>(object), drawLabelFace, BEVEL_FACE,
                                  drawLabelFace, BUTTON_SWITCH_FACE);
}

int initPlayPauseButton(InterfaceObject* object) {
    return buildSwitchButtonLists(static_cast<SwitchButton*>(object), drawPlayFace, BEVEL_FACE,
                                  drawPauseFace, BEVEL_FACE);
}

int displaySwitchButton(InterfaceObject* object) {
    return drawButtonLook(object, switchButtonListSet(static_cast<const SwitchButton*>(object)));
}
