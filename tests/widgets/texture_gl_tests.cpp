// Textures drawn in a real window and read back: orientation, margin, formats,
// streamed re-upload, and the one-texel texture of a failed load.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <deque>

#include "../support/gl_test_window.h"
#include "widgets/texture.h"

namespace {

constexpr int kWindow = 120;

class TextureGlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { openTestWindow(kWindow, kWindow, "texture tests"); }
    // Blue shows through transparent texels.
    void SetUp() override { beginTestFrame(kWindow, kWindow, 0.0f, 0.0f, 1.0f); }
    // Storage is owned by the texture for the program's life; tests give it back.
    void TearDown() override {
        for (Texture& texture : made_) delete[] texture.storage;
    }
    Texture& make(const unsigned char* pixels, int width, int height, int bytesPerPixel, int format,
                  int updateFlags) {
        made_.emplace_back();
        createTexture(&made_.back(), pixels, width, height, bytesPerPixel, format, updateFlags);
        return made_.back();
    }
    std::deque<Texture> made_;
};

// Centre of texel (column, row) when a width x height image fills the window.
Rgb texelOnScreen(int column, int row, int width, int height) {
    return readPixel((2 * column + 1) * kWindow / (2 * width),
                     (2 * row + 1) * kWindow / (2 * height));
}

TEST_F(TextureGlTest, BgrImageStandsUprightWithoutMargin) {
    // 3 x 2 texels, row 0 at the bottom, in blue, green, red byte order. The
    // storage is 4 x 2, so a wrong right edge would show its black padding.
    unsigned char pixels[] = {
        0,   0,   255, 0, 255, 0,   255, 0,  0,    // bottom row: red, green, blue
        255, 255, 255, 0, 255, 255, 40,  80, 120,  // top row: white, yellow, (120, 80, 40)
    };
    const Texture& texture = make(pixels, 3, 2, 3, TEXTURE_BGR, TEXTURE_STATIC);
    ASSERT_GT(texture.textureId, 0);
    EXPECT_EQ(texture.texWidth, 4);
    EXPECT_EQ(drawTexture(&texture), texture.textureId);

    EXPECT_TRUE(nearColour(texelOnScreen(0, 0, 3, 2), {255, 0, 0}));
    EXPECT_TRUE(nearColour(texelOnScreen(1, 0, 3, 2), {0, 255, 0}));
    EXPECT_TRUE(nearColour(texelOnScreen(2, 0, 3, 2), {0, 0, 255}));
    EXPECT_TRUE(nearColour(texelOnScreen(0, 1, 3, 2), {255, 255, 255}));
    EXPECT_TRUE(nearColour(texelOnScreen(1, 1, 3, 2), {255, 255, 0}));
    EXPECT_TRUE(nearColour(texelOnScreen(2, 1, 3, 2), {120, 80, 40}));
    // The very last column and row still show the image.
    EXPECT_TRUE(nearColour(readPixel(kWindow - 1, 0), {0, 0, 255}));
    EXPECT_TRUE(nearColour(readPixel(kWindow - 1, kWindow - 1), {120, 80, 40}));
    EXPECT_TRUE(nearColour(readPixel(0, kWindow - 1), {255, 255, 255}));
}

TEST_F(TextureGlTest, BgraAlphaBlendsOverTheBackground) {
    unsigned char pixels[] = {
        0, 0, 255, 255, 0, 255, 0, 0,  // opaque red, transparent green
    };
    const Texture& texture = make(pixels, 2, 1, 4, TEXTURE_BGRA, TEXTURE_STATIC);
    drawTexture(&texture);
    EXPECT_TRUE(nearColour(texelOnScreen(0, 0, 2, 1), {255, 0, 0}));
    EXPECT_TRUE(nearColour(texelOnScreen(1, 0, 2, 1), {0, 0, 255}));
}

TEST_F(TextureGlTest, DrawTextureRectPlacesTheImage) {
    unsigned char pixels[] = {0, 200, 0};
    const Texture& texture = make(pixels, 1, 1, 3, TEXTURE_BGR, TEXTURE_STATIC);
    EXPECT_EQ(drawTextureRect(&texture, 0.5, 0.25, 1.0, 0.5), texture.textureId);
    EXPECT_TRUE(nearColour(readPixel(90, 45), {0, 200, 0}));
    EXPECT_TRUE(nearColour(readPixel(30, 45), {0, 0, 255}));
    EXPECT_TRUE(nearColour(readPixel(90, 90), {0, 0, 255}));
}

TEST_F(TextureGlTest, OnlyStreamedTexturesWithPixelsAreUploadedAgain) {
    unsigned char streamed[] = {0, 0, 255};
    unsigned char still[] = {0, 0, 255};
    Texture& stream = make(streamed, 1, 1, 3, TEXTURE_BGR, TEXTURE_STREAMED);
    const Texture& once = make(still, 1, 1, 3, TEXTURE_BGR, TEXTURE_STATIC);
    streamed[1] = 255;  // red becomes yellow
    still[1] = 255;

    drawTexture(&stream);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 255, 0}));
    drawTexture(&once);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 0, 0}));

    // Without pixels the stream keeps showing its last upload.
    stream.pixels = nullptr;
    clearTestWindow(0, 0, 1);
    drawTexture(&stream);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 255, 0}));
}

TEST_F(TextureGlTest, AVersionedStreamIsUploadedOncePerImage) {
    unsigned char pixels[] = {0, 0, 255};
    unsigned version = 7;
    Texture& stream = make(pixels, 1, 1, 3, TEXTURE_BGR, TEXTURE_STREAMED);
    stream.pixelsVersion = &version;
    drawTexture(&stream);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 0, 0}));
    // The buffer changes but its owner has not said so: the upload is skipped.
    pixels[1] = 255;
    drawTexture(&stream);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 0, 0}));
    version++;
    drawTexture(&stream);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {255, 255, 0}));
}

TEST_F(TextureGlTest, FailedLoadDrawsOneZeroTexel) {
    const Texture& transparent = make(nullptr, 0, 0, 0, TEXTURE_BGRA, TEXTURE_STATIC);
    ASSERT_GT(transparent.textureId, 0);
    EXPECT_EQ(transparent.texWidth, 1);
    drawTexture(&transparent);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 0, 255}));

    const Texture& black = make(nullptr, 0, 0, 0, TEXTURE_BGR, TEXTURE_STATIC);
    drawTexture(&black);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 0, 0}));
}

TEST_F(TextureGlTest, MismatchedImageIsNotUploaded) {
    // Four bytes per pixel declared as GL_BGR would be read with a wrong row size.
    unsigned char pixels[4 * 4 * 4];
    for (unsigned char& byte : pixels) byte = 255;
    const Texture& texture = make(pixels, 4, 4, 4, TEXTURE_BGR, TEXTURE_STATIC);
    ASSERT_GT(texture.textureId, 0);
    EXPECT_EQ(texture.pixels, nullptr);
    drawTexture(&texture);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 0, 0}));
}

TEST_F(TextureGlTest, UncreatedTextureDrawsNothingAndKeepsState) {
    Texture texture;
    resetTexture(&texture);
    glColor3f(0.2f, 0.4f, 0.6f);
    EXPECT_EQ(drawTexture(&texture), 0);
    EXPECT_EQ(drawTextureRect(&texture, 0, 0, 1, 1), 0);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_FLOAT_EQ(colour[0], 0.2f);
    EXPECT_TRUE(nearColour(readPixel(60, 60), {0, 0, 255}));
}

}  // namespace
