#include "tools/demo_match.h"

#include <algorithm>
#include <cmath>

#include "tools/pitch.h"
#include "tools/seeded_random.h"

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double M = UNITS_PER_METRE;

// Script timing and movement (seconds, plan units).
constexpr double BALL_INTERVAL = 2.0;      // between the action's waypoints
constexpr double BALL_WANDER = 6.0 * M;    // the action strays this far from its route, in x
constexpr double PLAYER_INTERVAL = 2.0;    // between a player's waypoints
constexpr double PLAYER_JITTER = 3.0 * M;  // a player's own wandering about his place
constexpr double JITTER_MEMORY = 0.7;      // how much of his last wandering a player keeps
constexpr int CHASE_WAYPOINTS = 3;         // a chaser keeps chasing for this many waypoints
constexpr double PLAYER_REACH = 8.0 * M;   // farthest a player gets between two waypoints
constexpr double PITCH_MARGIN = 1.0 * M;   // players keep this far inside the lines
constexpr double BLOCK_FOLLOW = 0.55;      // a team's block follows the action this much
constexpr double BLOCK_OFFSET = 6.0 * M;   // a team's block stays this far on its own side
constexpr double STRIDE_LENGTH = 2.2 * M;  // ground covered by one running cycle

// Camera: behind and above the near touchline, level with the halfway line.
constexpr double CAMERA_X = PITCH_CENTRE_X;
constexpr double CAMERA_Y = PITCH_BOTTOM - 44.0 * M;
constexpr double CAMERA_HEIGHT = 26.0 * M;
constexpr double CAMERA_REACH = 34.0 * M;     // the camera's aim stays this near the centre, in x
constexpr double CAMERA_FOLLOW_TIME = 0.6;    // seconds; the operator's lag behind the action
constexpr double CAMERA_DEPTH_FOLLOW = 0.35;  // how far the aim follows the action in y
constexpr double FOCAL_SHORTEST = 1300.0;     // pixels at 1024 wide: never the whole pitch
constexpr double FOCAL_LONGEST = 2300.0;
constexpr double ZOOM_INTERVAL = 4.0;  // seconds between zoom waypoints

// The route of the action, metres along the pitch from the halfway line, one entry per
// action waypoint (repeated for longer clips): an attack on the right goal, a switch of
// play and an attack on the left goal, so the camera visits both ends.
constexpr double BALL_ROUTE[] = {0, 10, 22, 34, 38, 28, 10, -8, -24, -36, -40, -30, -16};

// Formation of a side attacking towards +x: metres from the team block's centre.
constexpr double FORMATION[11][2] = {
    {0, 0},                                      // the goalkeeper keeps his own place
    {-14, -22}, {-16, -7}, {-16, 7}, {-14, 22},  // defenders
    {0, -24},   {-2, -8},  {-2, 8},  {0, 24},    // midfield
    {14, -7},   {15, 7},                         // forwards
};

// Catmull-Rom interpolation through waypoints spaced `interval` seconds apart, the
// first at time -interval (so every time in the clip has two waypoints on each side).
cv::Point2d catmullRom(const std::vector<cv::Point2d>& points, double interval, double time) {
    const double s = time / interval + 1.0;
    const int k =
        std::clamp(static_cast<int>(std::floor(s)), 1, static_cast<int>(points.size()) - 3);
    const double t = s - k;
    const cv::Point2d &p0 = points[k - 1], &p1 = points[k], &p2 = points[k + 1],
                      &p3 = points[k + 2];
    const double t2 = t * t, t3 = t2 * t;
    return 0.5 * ((2.0 * p1) + (p2 - p0) * t + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * t2 +
                  (3.0 * p1 - p0 - 3.0 * p2 + p3) * t3);
}

int waypointCount(double duration, double interval) {
    return static_cast<int>(std::ceil(duration / interval)) + 4;
}

cv::Point2d insidePitch(const cv::Point2d& p) {
    return {std::clamp(p.x, PITCH_LEFT + PITCH_MARGIN, PITCH_RIGHT - PITCH_MARGIN),
            std::clamp(p.y, PITCH_BOTTOM + PITCH_MARGIN, PITCH_TOP - PITCH_MARGIN)};
}

// Where a player heads for when the action is at `ball`: his place in the team's
// block, which slides with the action, or the ball itself for the chaser.
cv::Point2d formationPlace(int player, const cv::Point2d& ball) {
    const double attack = isOSidePlayer(player) ? 1.0 : -1.0;
    const int slot = playerNumber(player) - 1;
    const double ballX = ball.x - PITCH_CENTRE_X, ballY = ball.y - PITCH_CENTRE_Y;
    if (slot == 0) {
        // The goalkeeper comes out a little as the action nears, and shadows it across.
        const double goalLine = attack > 0 ? PITCH_LEFT : PITCH_RIGHT;
        const double nearness =
            std::clamp(1.0 - std::abs(ball.x - goalLine) / PITCH_LENGTH, 0.0, 1.0);
        return {goalLine + attack * (3.0 * M + 6.0 * M * nearness),
                PITCH_CENTRE_Y + ballY * (0.08 + 0.12 * nearness)};
    }
    const double blockX = PITCH_CENTRE_X + BLOCK_FOLLOW * ballX - attack * BLOCK_OFFSET;
    const double blockY = PITCH_CENTRE_Y + 0.3 * ballY;
    return {blockX + attack * FORMATION[slot][0] * M, blockY + attack * FORMATION[slot][1] * M};
}

}  // namespace

DemoMatch makeDemoMatch(const DemoSettings& settings) {
    DemoMatch match;
    match.settings = settings;
    SeededRandom random{settings.seed};
    const double duration = settings.frameCount / settings.frameRate;

    // The action: a wandering point that the play and the camera follow.
    std::vector<cv::Point2d> ball;
    {
        const int routeLength = static_cast<int>(std::size(BALL_ROUTE));
        for (int k = 0, n = waypointCount(duration, BALL_INTERVAL); k < n; ++k) {
            const double along = BALL_ROUTE[k % routeLength] * M;
            const double x = PITCH_CENTRE_X + along + random.uniform(-BALL_WANDER, BALL_WANDER);
            const double y =
                k == 0 ? PITCH_CENTRE_Y : random.uniform(PITCH_BOTTOM + 6 * M, PITCH_TOP - 6 * M);
            ball.emplace_back(std::clamp(x, PITCH_LEFT + 8 * M, PITCH_RIGHT - 8 * M), y);
        }
    }
    auto ballAt = [&](double time) { return catmullRom(ball, BALL_INTERVAL, time); };

    // Each player's waypoints: his place for the action at that time, wandering a
    // little; the player of each side nearest the action runs at it.
    std::vector<std::vector<cv::Point2d>> paths(DEMO_PLAYERS);
    // A player's wandering drifts rather than jumps, and the chaser of each side
    // keeps chasing for a while: paths stay smooth at the scale of the keys.
    std::array<cv::Point2d, DEMO_PLAYERS> wander{};
    int chaser[2] = {-1, -1};
    for (int k = 0, n = waypointCount(duration, PLAYER_INTERVAL); k < n; ++k) {
        const cv::Point2d action = ballAt((k - 1) * PLAYER_INTERVAL);
        std::array<cv::Point2d, DEMO_PLAYERS> places;
        for (int p = 0; p < DEMO_PLAYERS; ++p) {
            wander[p] =
                JITTER_MEMORY * wander[p] +
                (1.0 - JITTER_MEMORY) * cv::Point2d(random.uniform(-PLAYER_JITTER, PLAYER_JITTER),
                                                    random.uniform(-PLAYER_JITTER, PLAYER_JITTER));
            places[p] = formationPlace(p, action) + wander[p];
        }
        for (int side = 0; side < 2; ++side) {
            if (k % CHASE_WAYPOINTS == 0) {
                double best = 0;
                chaser[side] = -1;
                for (int p = side * SIDE_PLAYER_COUNT + 1; p < (side + 1) * SIDE_PLAYER_COUNT;
                     ++p) {
                    const double d = cv::norm(places[p] - action);
                    if (chaser[side] < 0 || d < best) chaser[side] = p, best = d;
                }
            }
            places[chaser[side]] =
                action + cv::Point2d(random.uniform(-M, M), random.uniform(-M, M));
        }
        // Nobody outruns his legs: a place too far from the last waypoint is only
        // approached.
        for (int p = 0; p < DEMO_PLAYERS; ++p) {
            cv::Point2d place = insidePitch(places[p]);
            if (k > 0) {
                const cv::Point2d step = place - paths[p].back();
                const double length = cv::norm(step);
                if (length > PLAYER_REACH) place = paths[p].back() + step * (PLAYER_REACH / length);
            }
            paths[p].push_back(place);
        }
    }

    // Focal lengths (as x of the points), wide and tight by turns.
    std::vector<cv::Point2d> zoom;
    const double middle = (FOCAL_SHORTEST + FOCAL_LONGEST) / 2;
    for (int k = 0, n = waypointCount(duration, ZOOM_INTERVAL); k < n; ++k)
        zoom.emplace_back(k % 2 == 0 ? random.uniform(FOCAL_SHORTEST, middle - 150)
                                     : random.uniform(middle + 150, FOCAL_LONGEST),
                          0.0);

    match.cameras.reserve(settings.frameCount);
    match.players.reserve(settings.frameCount);
    const double follow = 1.0 - std::exp(-1.0 / (settings.frameRate * CAMERA_FOLLOW_TIME));
    cv::Point2d aim = ballAt(0.0);
    for (int f = 0; f < settings.frameCount; ++f) {
        const double time = f / settings.frameRate;
        std::array<PlayerState, DEMO_PLAYERS> states;
        for (int p = 0; p < DEMO_PLAYERS; ++p) {
            states[p].position = insidePitch(catmullRom(paths[p], PLAYER_INTERVAL, time));
            const double phase =
                f == 0 ? random.uniform(0, 2 * PI) : match.players[f - 1][p].stridePhase;
            const double run =
                f == 0 ? 0.0 : cv::norm(states[p].position - match.players[f - 1][p].position);
            states[p].stridePhase = std::fmod(phase + 2 * PI * run / STRIDE_LENGTH, 2 * PI);
        }
        match.players.push_back(states);

        // The operator pans after the action with a lag, within reach of the centre.
        aim += (ballAt(time) - aim) * follow;
        BroadcastCamera camera;
        camera.position = {CAMERA_X, CAMERA_Y, CAMERA_HEIGHT};
        camera.target = {
            std::clamp(aim.x, PITCH_CENTRE_X - CAMERA_REACH, PITCH_CENTRE_X + CAMERA_REACH),
            PITCH_CENTRE_Y + CAMERA_DEPTH_FOLLOW * (aim.y - PITCH_CENTRE_Y)};
        camera.focalLength =
            std::clamp(catmullRom(zoom, ZOOM_INTERVAL, time).x, FOCAL_SHORTEST, FOCAL_LONGEST) *
            settings.imageSize.width / double(DEMO_WIDTH);
        camera.imageSize = settings.imageSize;
        match.cameras.push_back(camera);
    }
    return match;
}
