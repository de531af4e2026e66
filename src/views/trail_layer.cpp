#include "views/trail_layer.h"

#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace {

constexpr GLuint ALL_BITS = 0xff;

struct TrailLayer {
    GLuint framebuffer = 0;
    GLuint colour = 0;        // RGBA texture: trail pixels opaque, the rest transparent
    GLuint depthStencil = 0;  // renderbuffer; the stencil holds player + 1 per trail pixel
    int w = 0, h = 0;
    bool unusable = false;  // the context cannot give this view a layer
    bool valid = false;     // the layer holds the trails described below
    uint64_t settings = 0;
    int points[PLAYER_COUNT] = {};        // key points drawn per player
    uint64_t digests[PLAYER_COUNT] = {};  // digest of the keys behind them
};

bool layersEnabled = true;
// One layer per view; each belongs to the GL context of the view's window.
std::unordered_map<const View*, TrailLayer> layers;
std::vector<double> trail;  // kept: trails of thousands of points are drawn at every redisplay

uint64_t settingsOf(const View* view, const Scene* scene) {
    const uint64_t values[] = {
        static_cast<uint64_t>(view->w),
        static_cast<uint64_t>(view->h),
        static_cast<uint64_t>(static_cast<int64_t>(scene->selectedPlayer)),
        static_cast<uint64_t>(scene->videoHeight),
        reinterpret_cast<uintptr_t>(scene->registration),
        scene->registration ? static_cast<uint64_t>(scene->registration->count) : 0,
        scene->registration ? reinterpret_cast<uintptr_t>(scene->registration->homographies) : 0};
    uint64_t digest = 1469598103934665603ull;
    for (uint64_t v : values) digest = (digest ^ v) * 1099511628211ull;
    return digest;
}

void releaseLayer(TrailLayer* layer) {
    if (layer->framebuffer) glDeleteFramebuffers(1, &layer->framebuffer);
    if (layer->colour) glDeleteTextures(1, &layer->colour);
    if (layer->depthStencil) glDeleteRenderbuffers(1, &layer->depthStencil);
    layer->framebuffer = layer->colour = layer->depthStencil = 0;
    layer->valid = false;
}

// Makes the layer's framebuffer for a w x h view; false when the context cannot.
bool prepareLayer(TrailLayer* layer, int w, int h, GLint previousFramebuffer) {
    if (layer->framebuffer != 0 && layer->w == w && layer->h == h) return true;
    releaseLayer(layer);
    // The stencil is blitted into the window's, which works only between buffers of
    // the same depth and stencil format: the layer's is 24 + 8 bits.
    GLint windowDepthBits = 0, windowStencilBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &windowDepthBits);
    glGetIntegerv(GL_STENCIL_BITS, &windowStencilBits);
    if (windowDepthBits != 24 || windowStencilBits != 8) return false;

    glGenTextures(1, &layer->colour);
    glBindTexture(GL_TEXTURE_2D, layer->colour);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glGenRenderbuffers(1, &layer->depthStencil);
    glBindRenderbuffer(GL_RENDERBUFFER, layer->depthStencil);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, w, h);
    glGenFramebuffers(1, &layer->framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, layer->framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, layer->colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              layer->depthStencil);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    if (!complete || glGetError() != GL_NO_ERROR) {
        releaseLayer(layer);
        return false;
    }
    layer->w = w;
    layer->h = h;
    return true;
}

// Brings the layer up to the scene's frame: appends the keys reached since the last
// redisplay, or redraws every trail when the drawn ones no longer hold.
void updateLayer(TrailLayer* layer, const View* view, const Scene* scene, int frame) {
    const uint64_t settings = settingsOf(view, scene);
    TrailDigest digests[PLAYER_COUNT];
    bool rebuild = !layer->valid || layer->settings != settings;
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        const int drawn = rebuild ? 0 : layer->points[player];
        digests[player] = digestKeyTrail(scene, player, frame, drawn);
        if (digests[player].points < drawn ||
            (drawn > 0 && digests[player].prefixDigest != layer->digests[player]))
            rebuild = true;
    }
    bool changed = rebuild;
    for (int player = 0; player < PLAYER_COUNT && !changed; ++player)
        changed = digests[player].points != layer->points[player];
    if (!changed) return;

    glBindFramebuffer(GL_FRAMEBUFFER, layer->framebuffer);
    glViewport(0, 0, layer->w, layer->h);
    if (rebuild) {
        glClearColor(0, 0, 0, 0);
        glClearStencil(0);
        glClear(GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glStencilMask(ALL_BITS);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        // Continue the strip from the last point drawn: a strip leaves out its end
        // pixel, which the continuation draws, exactly as one strip would.
        const int drawn = rebuild ? 0 : layer->points[player];
        const int start = drawn > 0 ? drawn - 1 : 0;
        if (digests[player].points - start >= 2) {
            trail.clear();
            appendKeyTrail(scene, player, frame, start, PLAN_MARK_Z, &trail);
            setPlayerColour(player, scene->selectedPlayer);
            glLineWidth(trailWidth(player, scene->selectedPlayer));
            glStencilFunc(GL_GEQUAL, player + 1, ALL_BITS);
            glVertexPointer(3, GL_DOUBLE, 0, trail.data());
            glDrawArrays(GL_LINE_STRIP, 0, static_cast<GLsizei>(trail.size() / 3));
        }
        layer->points[player] = digests[player].points;
        layer->digests[player] = digests[player].digest;
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisable(GL_STENCIL_TEST);
    layer->settings = settings;
    layer->valid = true;
}

// Lays the layer's colour over the view (its transparent pixels leave the view as it
// is) and copies its stencil into the window's.
void compositeLayer(const TrailLayer* layer, const View* view, GLint windowFramebuffer) {
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(windowFramebuffer));
    glViewport(view->x, view->y, view->w, view->h);
    glDisable(GL_STENCIL_TEST);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, layer->colour);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.5f);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex3d(0, 0, 0);
    glTexCoord2d(1, 0);
    glVertex3d(PLAN_WIDTH, 0, 0);
    glTexCoord2d(1, 1);
    glVertex3d(PLAN_WIDTH, PLAN_HEIGHT, 0);
    glTexCoord2d(0, 1);
    glVertex3d(0, PLAN_HEIGHT, 0);
    glEnd();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_TEXTURE_2D);

    glBindFramebuffer(GL_READ_FRAMEBUFFER, layer->framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(windowFramebuffer));
    glBlitFramebuffer(0, 0, layer->w, layer->h, view->x, view->y, view->x + view->w,
                      view->y + view->h, GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(windowFramebuffer));
}

// What changes from one redisplay to the next: each trail's last segment and the
// dots, each player kept under the trails of later players.
void drawMovingMarks(const Scene* scene, int frame, const PlanMarkStyle& style, bool overLayer) {
    // Over an empty layer the players' order alone decides, as in the direct pass:
    // the window's stencil then holds nothing of this redisplay and is not consulted.
    if (overLayer)
        glEnable(GL_STENCIL_TEST);
    else
        glDisable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    glStencilMask(ALL_BITS);
    for (int player = 0; player < PLAYER_COUNT; ++player) {
        glStencilFunc(GL_GEQUAL, player + 1, ALL_BITS);
        // A trail's last segment ends at the dot, so it gives the dot without a second
        // seek and projection.
        PlanPoint from, dot;
        const bool tail = trailTail(scene, player, frame, &from, &dot);
        if (tail) {
            setPlayerColour(player, scene->selectedPlayer);
            glLineWidth(trailWidth(player, scene->selectedPlayer));
            glBegin(GL_LINES);
            glVertex3d(from.x, from.y, PLAN_MARK_Z);
            glVertex3d(dot.x, dot.y, PLAN_MARK_Z);
            glEnd();
        }
        if (tail || playerDotPoint(scene, player, frame, &dot))
            drawPlayerDot(dot, player, scene->selectedPlayer, style);
    }
    glDisable(GL_STENCIL_TEST);
}

}  // namespace

void setTrailLayersEnabled(bool enabled) {
    layersEnabled = enabled;
}

bool drawPlayerMarksLayered(const View* view, const PlanMarkStyle& style) {
    const Scene* scene = view->scene;
    if (!layersEnabled || scene == nullptr || scene->tracks == nullptr || !scene->showTrails ||
        view->w <= 0 || view->h <= 0)
        return false;
    TrailLayer& layer = layers[view];
    if (layer.unusable) return false;
    GLint windowFramebuffer = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &windowFramebuffer);
    if (!prepareLayer(&layer, view->w, view->h, windowFramebuffer)) {
        layer.unusable = true;
        return false;
    }
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_VIEWPORT_BIT |
                 GL_LINE_BIT | GL_POINT_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    const int frame = sceneFrame(scene);
    updateLayer(&layer, view, scene, frame);
    bool layerHasTrails = false;
    for (int player = 0; player < PLAYER_COUNT; ++player)
        layerHasTrails = layerHasTrails || layer.points[player] >= 2;
    if (layerHasTrails) compositeLayer(&layer, view, windowFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(windowFramebuffer));
    glViewport(view->x, view->y, view->w, view->h);
    drawMovingMarks(scene, frame, style, layerHasTrails);
    glPopClientAttrib();
    glPopAttrib();
    return true;
}
