// Texture bookkeeping that needs no display: power-of-two sizes, the reset
// state, and which images a texture accepts for its format.
#include <gtest/gtest.h>

#include "widgets/texture.h"

namespace {

TEST(TextureTest, SizesArePaddedToPowersOfTwo) {
    const int sizes[][2] = {
        {1, 1}, {100, 128},  {128, 128},         {129, 256},        {0, 1}, {-7, 1}, {2, 2},
        {3, 4}, {640, 1024}, {1 << 30, 1 << 30}, {(1 << 30) + 1, 0}};
    for (const auto& size : sizes) EXPECT_EQ(textureSize(size[0]), size[1]) << size[0];
}

TEST(TextureTest, ResetStateIsAnEmptyOneTexelBgrTexture) {
    unsigned char pixel[4] = {};
    Texture texture;
    prepareTexture(&texture, pixel, 1, 1, 4, TEXTURE_BGRA, TEXTURE_STREAMED);
    texture.textureId = 9;
    EXPECT_EQ(resetTexture(&texture), 0);
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(texture.storage, nullptr);
    EXPECT_EQ(texture.width, 0);
    EXPECT_EQ(texture.bytesPerPixel, 0);
    EXPECT_EQ(texture.texWidth, 1);
    EXPECT_EQ(texture.texHeight, 1);
    EXPECT_EQ(texture.format, 32992);
    EXPECT_EQ(texture.updateFlags, 0);
    EXPECT_EQ(texture.textureId, 0);
    EXPECT_EQ(texture.s1, 0.0);
}

TEST(TextureTest, AcceptedImageMapsOnlyItsOwnTexels) {
    static unsigned char pixels[100 * 30 * 3];
    Texture texture;
    EXPECT_EQ(prepareTexture(&texture, pixels, 100, 30, 3, TEXTURE_BGR, TEXTURE_STATIC), 1);
    EXPECT_EQ(texture.pixels, pixels);
    EXPECT_EQ(texture.texWidth, 128);
    EXPECT_EQ(texture.texHeight, 32);
    EXPECT_EQ(texture.s0, 0.0);
    EXPECT_EQ(texture.t0, 0.0);
    EXPECT_EQ(texture.s1, 100.0);
    EXPECT_EQ(texture.t1, 30.0);
    EXPECT_EQ(texture.updateFlags, TEXTURE_STATIC);
}

TEST(TextureTest, FailedLoadGivesAOneTexelTextureWithoutImage) {
    Texture texture;
    EXPECT_EQ(prepareTexture(&texture, nullptr, 0, 0, 0, TEXTURE_BGRA, TEXTURE_STATIC), 1);
    EXPECT_EQ(texture.texWidth, 1);
    EXPECT_EQ(texture.texHeight, 1);
    EXPECT_EQ(texture.format, TEXTURE_BGRA);
    EXPECT_EQ(texture.pixels, nullptr);
}

TEST(TextureTest, BytesPerPixelMustMatchTheFormat) {
    static unsigned char pixels[8 * 8 * 4];
    struct Case {
        int bytesPerPixel, format, accepted;
    };
    const Case cases[] = {{3, TEXTURE_BGR, 1},  {4, TEXTURE_BGRA, 1}, {4, TEXTURE_BGR, 0},
                          {3, TEXTURE_BGRA, 0}, {5, TEXTURE_BGRA, 0}, {0, TEXTURE_BGR, 0},
                          {3, 0x1907, 0}};
    for (const Case& c : cases) {
        Texture texture;
        EXPECT_EQ(prepareTexture(&texture, pixels, 8, 8, c.bytesPerPixel, c.format, 1), c.accepted)
            << c.bytesPerPixel << " " << c.format;
        if (c.accepted) continue;
        // A refused image leaves nothing that a draw or a re-upload could read.
        EXPECT_EQ(texture.pixels, nullptr);
        EXPECT_EQ(texture.width, 0);
        EXPECT_EQ(texture.height, 0);
        EXPECT_EQ(texture.texWidth, 1);
        EXPECT_NE(formatBytesPerPixel(texture.format), 0);
    }
    // A sized texture without pixels yet (a stream) must agree with its format too.
    Texture stream;
    EXPECT_EQ(prepareTexture(&stream, nullptr, 8, 8, 3, TEXTURE_BGRA, TEXTURE_STREAMED), 0);
    EXPECT_EQ(prepareTexture(&stream, nullptr, 8, 8, 4, TEXTURE_BGRA, TEXTURE_STREAMED), 1);
}

}  // namespace
