// Pixel helpers for the view GL tests: colours of the views and region scans.
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

#include "../support/gl_test_window.h"

const Rgb kOSide = {128, 128, 0};           // (0.5, 0.5, 0.0)
const Rgb kOSideSelected = {255, 255, 77};  // (1.0, 1.0, 0.3)
const Rgb kDSide = {128, 0, 128};           // (0.5, 0.0, 0.5)
const Rgb kDSideSelected = {255, 77, 255};  // (1.0, 0.3, 1.0)
const Rgb kBlack = {0, 0, 0};
const Rgb kLabelBox = {26, 26, 26};  // (0.1, 0.1, 0.1)

// The back buffer's pixels of the rectangle (x, y, w, h), rows bottom-up.
struct Region {
    int x, y, w, h;
    std::vector<Rgb> pixels;

    Region(int x0, int y0, int width, int height) : x(x0), y(y0), w(width), h(height) {
        pixels.resize(static_cast<size_t>(w) * h);
        glFinish();
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(x, y, w, h, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    }
    Rgb at(int px, int py) const { return pixels[static_cast<size_t>(py - y) * w + (px - x)]; }
    int count(Rgb colour, int tolerance = 2) const {
        int n = 0;
        for (const Rgb& p : pixels) n += nearColour(p, colour, tolerance);
        return n;
    }
};
