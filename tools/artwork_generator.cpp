// Artwork generator: draws every button picture and the button bar into a
// textures folder, as three-channel PNGs.
//
//   artwork_generator <TrueType face> <output folder>
//
// Control pictures are loaded with a brightness alpha (pixels of a mean below 50
// turn transparent), so controls are bright shapes on black. Player pictures are
// opaque and sit on the window's clear colour. Shapes are drawn at four times
// the size and reduced for smooth edges; labels are rendered at their final size
// so that the hinted glyphs stay crisp.
//
// Sections: colours and sizes; text; shapes; control pictures; player pictures; main.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------- colours and sizes
// Colours are blue, green, red (OpenCV order).
const cv::Scalar kBlack(0, 0, 0);
const cv::Scalar kWindowClear(118, 95, 85);  // the windows' clear colour, behind player buttons
const cv::Scalar kBarTop(66, 60, 56);        // button bar gradient
const cv::Scalar kBarBottom(34, 30, 28);
const cv::Scalar kBarHighlight(96, 90, 86);  // top edge of the bar
const cv::Scalar kBarShade(16, 14, 12);      // bottom edge
const cv::Scalar kButtonTop(122, 118, 114);  // control gradient, default look
const cv::Scalar kButtonBottom(78, 74, 70);
const cv::Scalar kPressTop(62, 60, 58);  // pressed: darker, lit from below
const cv::Scalar kPressBottom(90, 88, 86);
const cv::Scalar kHoverTop(140, 150, 128);  // rolled over: brighter, greenish
const cv::Scalar kHoverBottom(88, 104, 80);
const cv::Scalar kRim(190, 186, 182);
const cv::Scalar kHoverRim(150, 235, 160);
const cv::Scalar kInk(245, 245, 245);  // symbols and labels
const cv::Scalar kPressInk(200, 200, 200);
const cv::Scalar kHoverInk(190, 255, 200);
const cv::Scalar kKeyMark(60, 210, 255);  // key-frame diamond, amber
const cv::Scalar kLampRing(40, 40, 40);   // around the modify switches' lamp
const cv::Scalar kLedOff(70, 70, 70);
const cv::Scalar kLedOn(90, 255, 110);
const cv::Scalar kOnTop(80, 150, 70);  // switches when on: green
const cv::Scalar kOnBottom(50, 105, 44);

// Player sides: the views' team colours (O yellow, D magenta).
struct Team {
    char letter;
    cv::Scalar dim;     // (0.5, 0.5, 0) or (0.5, 0, 0.5)
    cv::Scalar bright;  // (1, 1, 0.3) or (1, 0.3, 1)
};
const Team kTeams[2] = {{'O', cv::Scalar(0, 128, 128), cv::Scalar(77, 255, 255)},
                        {'D', cv::Scalar(128, 0, 128), cv::Scalar(255, 77, 255)}};
const cv::Scalar kChipTop(58, 54, 52);  // player buttons when off
const cv::Scalar kChipBottom(36, 33, 31);
const cv::Scalar kChipInkOn(30, 22, 20);

constexpr int kScale = 4;  // shapes are drawn this many times larger
constexpr int kBarWidth = 640, kBarHeight = 40;
constexpr int kPlayWidth = 36, kPlayHeight = 32;
constexpr int kStepWidth = 28, kKeyWidth = 34, kSmallHeight = 20;
constexpr int kLoadWidth = 56, kDeleteWidth = 90, kModifyWidth = 106;
constexpr int kPlayerWidth = 80, kPlayerHeight = 24, kPlayers = 11;
constexpr int kLabelSize = 12;   // pixels per em of the control labels
constexpr int kPlayerSize = 14;  // pixels per em of the player labels

enum Look { kDefault, kPress, kRollOver };
const char* const kLookNames[3] = {"default", "press", "rollOver"};

// ---------------------------------------------------------------- text
FT_Face gFace = nullptr;

// Ink of a string rendered at `size` pixels per em: coverage mask, and the
// baseline row and the left ink column within it.
struct TextInk {
    cv::Mat mask;
    int baseline = 0;
};

TextInk renderText(const std::string& text, int size) {
    FT_Set_Pixel_Sizes(gFace, 0, static_cast<FT_UInt>(size));
    const int ascent = static_cast<int>(gFace->size->metrics.ascender >> 6);
    const int descent = static_cast<int>(-gFace->size->metrics.descender >> 6);
    int width = 2;
    for (char c : text) {
        if (FT_Load_Char(gFace, static_cast<unsigned char>(c), FT_LOAD_DEFAULT) == 0) {
            width += static_cast<int>(gFace->glyph->advance.x >> 6);
        }
    }
    TextInk ink;
    ink.mask = cv::Mat::zeros(ascent + descent + 2, width + size, CV_8UC1);
    ink.baseline = ascent + 1;
    int pen = 1;
    for (char c : text) {
        if (FT_Load_Char(gFace, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot g = gFace->glyph;
        for (unsigned row = 0; row < g->bitmap.rows; ++row) {
            for (unsigned col = 0; col < g->bitmap.width; ++col) {
                const int y = ink.baseline - g->bitmap_top + static_cast<int>(row);
                const int x = pen + g->bitmap_left + static_cast<int>(col);
                if (y < 0 || y >= ink.mask.rows || x < 0 || x >= ink.mask.cols) continue;
                uint8_t& m = ink.mask.at<uint8_t>(y, x);
                m = std::max<uint8_t>(m, g->bitmap.buffer[row * g->bitmap.pitch + col]);
            }
        }
        pen += static_cast<int>(g->advance.x >> 6);
    }
    return ink;
}

// Capital height at `size`, for centring labels on their capitals, not their descenders.
int capHeight(int size) {
    const TextInk h = renderText("H", size);
    int top = h.mask.rows, bottom = 0;
    for (int y = 0; y < h.mask.rows; ++y) {
        if (cv::countNonZero(h.mask.row(y)) > 0) {
            top = std::min(top, y);
            bottom = y;
        }
    }
    return bottom - top + 1;
}

// Blends `colour` over image through `mask` placed at (x, y).
void blendMask(cv::Mat& image, const cv::Mat& mask, int x, int y, const cv::Scalar& colour) {
    for (int r = 0; r < mask.rows; ++r) {
        for (int c = 0; c < mask.cols; ++c) {
            const int a = mask.at<uint8_t>(r, c);
            if (a == 0 || y + r < 0 || y + r >= image.rows || x + c < 0 || x + c >= image.cols) {
                continue;
            }
            cv::Vec3b& p = image.at<cv::Vec3b>(y + r, x + c);
            for (int k = 0; k < 3; ++k)
                p[k] = cv::saturate_cast<uint8_t>((p[k] * (255 - a) + colour[k] * a) / 255);
        }
    }
}

// Draws text with its ink centred horizontally on centreX and its capitals
// centred vertically on centreY (final-size pixels).
void drawLabel(cv::Mat& image, const std::string& text, int size, double centreX, double centreY,
               const cv::Scalar& colour) {
    const TextInk ink = renderText(text, size);
    cv::Mat points;
    cv::findNonZero(ink.mask, points);
    const cv::Rect box = cv::boundingRect(points);
    const int x = static_cast<int>(std::lround(centreX - box.width / 2.0)) - box.x;
    const int y = static_cast<int>(std::lround(centreY + capHeight(size) / 2.0)) - ink.baseline;
    blendMask(image, ink.mask, x, y, colour);
}

// ---------------------------------------------------------------- shapes
// Shapes are drawn on a canvas kScale times larger; coordinates are given in
// final-size pixels as doubles.
struct Canvas {
    cv::Mat big;
    Canvas(int w, int h, const cv::Scalar& background)
        : big(h * kScale, w * kScale, CV_8UC3, background) {}
    cv::Point at(double x, double y) const {
        return {static_cast<int>(std::lround(x * kScale)),
                static_cast<int>(std::lround(y * kScale))};
    }
    cv::Mat finish() const {
        cv::Mat small;
        cv::resize(big, small, cv::Size(big.cols / kScale, big.rows / kScale), 0, 0,
                   cv::INTER_AREA);
        return small;
    }
};

cv::Mat roundedMask(const Canvas& canvas, double x0, double y0, double x1, double y1,
                    double radius) {
    cv::Mat mask = cv::Mat::zeros(canvas.big.size(), CV_8UC1);
    const int r = static_cast<int>(std::lround(radius * kScale));
    const cv::Point a = canvas.at(x0, y0), b = canvas.at(x1, y1);
    cv::rectangle(mask, cv::Point(a.x + r, a.y), cv::Point(b.x - r - 1, b.y - 1), 255, cv::FILLED);
    cv::rectangle(mask, cv::Point(a.x, a.y + r), cv::Point(b.x - 1, b.y - r - 1), 255, cv::FILLED);
    for (const cv::Point& c :
         {cv::Point(a.x + r, a.y + r), cv::Point(b.x - r - 1, a.y + r),
          cv::Point(a.x + r, b.y - r - 1), cv::Point(b.x - r - 1, b.y - r - 1)}) {
        cv::circle(mask, c, r, 255, cv::FILLED);
    }
    return mask;
}

// Fills the mask's pixels with a vertical gradient from top to bottom colour.
void fillGradient(Canvas& canvas, const cv::Mat& mask, const cv::Scalar& top,
                  const cv::Scalar& bottom) {
    const int rows = canvas.big.rows;
    for (int y = 0; y < rows; ++y) {
        const double t = rows > 1 ? static_cast<double>(y) / (rows - 1) : 0.0;
        const cv::Scalar c = top * (1.0 - t) + bottom * t;
        canvas.big.row(y).setTo(c, mask.row(y));
    }
}

// A rounded button body: rim colour, then the gradient one pixel inside it.
void drawBody(Canvas& canvas, double x0, double y0, double x1, double y1, double radius,
              const cv::Scalar& rim, const cv::Scalar& top, const cv::Scalar& bottom,
              double rimWidth = 1.0) {
    canvas.big.setTo(rim, roundedMask(canvas, x0, y0, x1, y1, radius));
    fillGradient(canvas,
                 roundedMask(canvas, x0 + rimWidth, y0 + rimWidth, x1 - rimWidth, y1 - rimWidth,
                             std::max(0.5, radius - rimWidth)),
                 top, bottom);
}

void fillPolygon(Canvas& canvas, const std::vector<cv::Point2d>& points, const cv::Scalar& colour) {
    std::vector<cv::Point> scaled;
    for (const cv::Point2d& p : points) scaled.push_back(canvas.at(p.x, p.y));
    cv::fillPoly(canvas.big, std::vector<std::vector<cv::Point>>{scaled}, colour, cv::LINE_8);
}

void fillRect(Canvas& canvas, double x0, double y0, double x1, double y1,
              const cv::Scalar& colour) {
    cv::rectangle(canvas.big, canvas.at(x0, y0), canvas.at(x1, y1) - cv::Point(1, 1), colour,
                  cv::FILLED);
}

void fillDisc(Canvas& canvas, double cx, double cy, double radius, const cv::Scalar& colour) {
    cv::circle(canvas.big, canvas.at(cx, cy), static_cast<int>(std::lround(radius * kScale)),
               colour, cv::FILLED, cv::LINE_8);
}

// ---------------------------------------------------------------- control pictures
struct LookStyle {
    cv::Scalar rim, top, bottom, ink;
    double shift;  // pressed symbols and labels sink one pixel right and down
};

LookStyle styleOf(Look look) {
    switch (look) {
        case kPress:
            return {kRim * 0.7, kPressTop, kPressBottom, kPressInk, 1.0};
        case kRollOver:
            return {kHoverRim, kHoverTop, kHoverBottom, kHoverInk, 0.0};
        default:
            return {kRim, kButtonTop, kButtonBottom, kInk, 0.0};
    }
}

// A small pill-shaped control on black (transparent once loaded).
Canvas pill(int w, int h, Look look, bool on = false) {
    Canvas canvas(w, h, kBlack);
    LookStyle s = styleOf(look);
    if (on) {
        s.top = look == kRollOver ? kOnTop * 1.2 : look == kPress ? kOnBottom : kOnTop;
        s.bottom = look == kPress ? kOnTop : kOnBottom;
    }
    drawBody(canvas, 0.5, 0.5, w - 0.5, h - 0.5, (h - 1) / 2.0, s.rim, s.top, s.bottom);
    return canvas;
}

using SymbolFn = std::function<void(Canvas&, double cx, double cy, const cv::Scalar& ink)>;

void playSymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillPolygon(c, {{cx - 4.5, cy - 7}, {cx - 4.5, cy + 7}, {cx + 7.5, cy}}, ink);
}

void pauseSymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillRect(c, cx - 6, cy - 7, cx - 1.5, cy + 7, ink);
    fillRect(c, cx + 1.5, cy - 7, cx + 6, cy + 7, ink);
}

void nextSymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillPolygon(c, {{cx - 5, cy - 5}, {cx - 5, cy + 5}, {cx + 3, cy}}, ink);
    fillRect(c, cx + 3, cy - 5, cx + 5.5, cy + 5, ink);
}

void prevSymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillPolygon(c, {{cx + 5, cy - 5}, {cx + 5, cy + 5}, {cx - 3, cy}}, ink);
    fillRect(c, cx - 5.5, cy - 5, cx - 3, cy + 5, ink);
}

void diamond(Canvas& c, double cx, double cy, double r, const cv::Scalar& colour) {
    fillPolygon(c, {{cx, cy - r}, {cx + r, cy}, {cx, cy + r}, {cx - r, cy}}, colour);
}

// Next key: a triangle running to a key diamond; previous key mirrors it.
void nextKeySymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillPolygon(c, {{cx - 8, cy - 5}, {cx - 8, cy + 5}, {cx + 0.5, cy}}, ink);
    diamond(c, cx + 5, cy, 4.5, kKeyMark);
}

void prevKeySymbol(Canvas& c, double cx, double cy, const cv::Scalar& ink) {
    fillPolygon(c, {{cx + 8, cy - 5}, {cx + 8, cy + 5}, {cx - 0.5, cy}}, ink);
    diamond(c, cx - 5, cy, 4.5, kKeyMark);
}

cv::Mat symbolButton(int w, int h, Look look, const SymbolFn& symbol) {
    Canvas canvas = pill(w, h, look);
    const LookStyle s = styleOf(look);
    symbol(canvas, w / 2.0 + s.shift * 0.5, h / 2.0 + s.shift * 0.5, s.ink);
    return canvas.finish();
}

// The play/pause control: a round button a little larger than the others.
cv::Mat playButton(Look look, const SymbolFn& symbol) {
    Canvas canvas(kPlayWidth, kPlayHeight, kBlack);
    const LookStyle s = styleOf(look);
    const double cx = kPlayWidth / 2.0, cy = kPlayHeight / 2.0, r = kPlayHeight / 2.0 - 0.5;
    fillDisc(canvas, cx, cy, r, s.rim);
    cv::Mat inner = cv::Mat::zeros(canvas.big.size(), CV_8UC1);
    cv::circle(inner, canvas.at(cx, cy), static_cast<int>((r - 1.5) * kScale), 255, cv::FILLED);
    fillGradient(canvas, inner, s.top, s.bottom);
    symbol(canvas, cx + 1 + s.shift * 0.5, cy + s.shift * 0.5, s.ink);
    return canvas.finish();
}

cv::Mat labelButton(int w, int h, Look look, const std::string& label) {
    cv::Mat image = pill(w, h, look).finish();
    const LookStyle s = styleOf(look);
    drawLabel(image, label, kLabelSize, w / 2.0 + s.shift, h / 2.0 + s.shift, s.ink);
    return image;
}

// The modify switches: a lamp at the left that lights, and a green body, when on.
cv::Mat modifySwitch(Look look, bool on, const std::string& label) {
    const int w = kModifyWidth, h = kSmallHeight;
    Canvas canvas = pill(w, h, look, on);
    const LookStyle s = styleOf(look);
    const double lampX = 11 + s.shift * 0.5, lampY = h / 2.0 + s.shift * 0.5;
    fillDisc(canvas, lampX, lampY, 4.5, kLampRing);
    fillDisc(canvas, lampX, lampY, 3.5, on ? kLedOn : kLedOff);
    cv::Mat image = canvas.finish();
    drawLabel(image, label, kLabelSize, (w + 18) / 2.0 + s.shift, h / 2.0 + s.shift, s.ink);
    return image;
}

cv::Mat buttonBar() {
    Canvas canvas(kBarWidth, kBarHeight, kBarBottom);
    fillGradient(canvas, cv::Mat(canvas.big.size(), CV_8UC1, cv::Scalar(255)), kBarTop, kBarBottom);
    fillRect(canvas, 0, 0, kBarWidth, 1, kBarHighlight);
    fillRect(canvas, 0, kBarHeight - 1, kBarWidth, kBarHeight, kBarShade);
    return canvas.finish();
}

// ---------------------------------------------------------------- player pictures
cv::Mat playerButton(const Team& team, int number, Look look, bool on) {
    const int w = kPlayerWidth, h = kPlayerHeight;
    Canvas canvas(w, h, kWindowClear);
    cv::Scalar rim, top, bottom, ink;
    if (on) {
        // Selected: the side's bright colour fills the chip, the label turns dark.
        rim = look == kRollOver ? cv::Scalar(255, 255, 255) : team.bright;
        top = look == kPress ? team.dim : team.bright;
        bottom = look == kPress ? team.bright * 0.8 : team.dim * 1.3;
        ink = kChipInkOn;
    } else {
        rim = look == kRollOver ? team.bright : team.dim;
        top = look == kPress ? kChipBottom * 0.8 : look == kRollOver ? kChipTop * 1.35 : kChipTop;
        bottom = look == kPress ? kChipTop : look == kRollOver ? kChipBottom * 1.35 : kChipBottom;
        ink = look == kRollOver ? cv::Scalar(255, 255, 255) * 0.3 + team.bright * 0.7
                                : team.bright * (look == kPress ? 0.8 : 0.92);
    }
    drawBody(canvas, 0.5, 0.5, w - 0.5, h - 0.5, 5, rim, top, bottom, on ? 1.5 : 1.0);
    // A side stripe at the left in the team colour.
    cv::Mat stripe = roundedMask(canvas, 3, 4, 7, h - 4, 1.5);
    canvas.big.setTo(on ? kChipInkOn : team.bright, stripe);
    cv::Mat image = canvas.finish();
    const double shift = look == kPress ? 1.0 : 0.0;
    const std::string label = std::string(1, team.letter) + std::to_string(number);
    drawLabel(image, label, kPlayerSize, (w + 8) / 2.0 + shift, h / 2.0 + shift, ink);
    return image;
}

// ---------------------------------------------------------------- main
bool save(const std::string& folder, const std::string& name, const cv::Mat& image) {
    const std::string path = folder + "/" + name + ".png";
    if (image.channels() != 3 || !cv::imwrite(path, image)) {
        std::fprintf(stderr, "can't create the file %s!\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <TrueType face> <output folder>\n", argv[0]);
        return 2;
    }
    FT_Library library;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, argv[1], 0, &gFace) != 0) {
        std::fprintf(stderr, "can't read the file %s!\n", argv[1]);
        return 1;
    }
    const std::string out = argv[2];
    bool ok = save(out, "button bar", buttonBar());

    struct Symbolic {
        const char* name;
        int w, h;
        SymbolFn symbol;
    };
    const Symbolic symbolic[] = {{"Prev", kStepWidth, kSmallHeight, prevSymbol},
                                 {"Next", kStepWidth, kSmallHeight, nextSymbol},
                                 {"PrevKey", kKeyWidth, kSmallHeight, prevKeySymbol},
                                 {"NextKey", kKeyWidth, kSmallHeight, nextKeySymbol}};
    const std::pair<const char*, const char*> labelled[] = {
        {"Load", "load"}, {"Save", "save"}, {"DeleteKey", "delete key"}};
    const std::pair<const char*, const char*> switches[] = {{"ModifyFeet", "modify feet"},
                                                            {"ModifyRect", "modify rect"}};

    for (int look = kDefault; look <= kRollOver; ++look) {
        const Look l = static_cast<Look>(look);
        const std::string state = kLookNames[look];
        ok &= save(out, state + "Play", playButton(l, playSymbol));
        ok &= save(out, state + "Pause", playButton(l, pauseSymbol));
        for (const Symbolic& s : symbolic) {
            ok &= save(out, state + s.name, symbolButton(s.w, s.h, l, s.symbol));
        }
        for (const auto& [name, label] : labelled) {
            const int w = std::string(name) == "DeleteKey" ? kDeleteWidth : kLoadWidth;
            ok &= save(out, state + name, labelButton(w, kSmallHeight, l, label));
        }
        for (const auto& [name, label] : switches) {
            ok &= save(out, state + name, modifySwitch(l, false, label));
            ok &= save(out, state + "Switch" + name, modifySwitch(l, true, label));
        }
        for (int side = 0; side < 2; ++side) {
            for (int p = 1; p <= kPlayers; ++p) {
                const int n = p + side * kPlayers;
                const Team& team = kTeams[side];
                ok &= save(out, state + "Button" + std::to_string(n),
                           playerButton(team, p, l, false));
                ok &= save(out, state + "SwitchButton" + std::to_string(n),
                           playerButton(team, p, l, true));
            }
        }
    }
    FT_Done_Face(gFace);
    FT_Done_FreeType(library);
    return ok ? 0 : 1;
}
