#include "tools/make-sample-study/SampleScene.h"

#include <algorithm>
#include <cmath>

namespace samplestudy {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDeg = kPi / 180.0;

// The room, in metres: x east, y north, z up; the window is in the south wall y = 0.
constexpr double kWidth = 6.0;
constexpr double kDepth = 8.0;
constexpr double kHeight = 3.0;
constexpr double kWinLeft = 1.5, kWinRight = 4.5, kWinSill = 0.9, kWinHead = 2.4;
constexpr double kMullion = 0.03; // half width of the window's cross bars
constexpr double kGlass = 0.7;    // light transmittance of the glazing
constexpr double kGround = 0.2;   // reflectance of the ground outside
constexpr double kMeanReflectance = 0.35;
constexpr double kRoomArea = 2 * (kWidth * kDepth + kWidth * kHeight + kDepth * kHeight);
constexpr double kLampIntensity = 1600; // candela straight down, cosine distribution
const Vec3 kLamps[2] = {{3.0, 2.7, kHeight - 0.02}, {3.0, 5.3, kHeight - 0.02}};

enum Face { kFloor, kCeiling, kSouth, kNorth, kWest, kEast };

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(const Vec3& a, const Vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(const Vec3& a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Length(const Vec3& a) { return std::sqrt(Dot(a, a)); }
Vec3 Normalised(const Vec3& a)
{
    const double l = Length(a);
    return l > 0 ? a * (1.0 / l) : a;
}

Vec3 Normal(int face)
{
    switch (face) {
    case kFloor: return {0, 0, 1};
    case kCeiling: return {0, 0, -1};
    case kSouth: return {0, 1, 0};
    case kNorth: return {0, -1, 0};
    case kWest: return {1, 0, 0};
    default: return {-1, 0, 0};
    }
}

// Surface point of a face from its (u, v) coordinates, and back.
Vec3 FacePoint(int face, double u, double v)
{
    switch (face) {
    case kFloor: return {u * kWidth, v * kDepth, 0};
    case kCeiling: return {u * kWidth, v * kDepth, kHeight};
    case kSouth: return {u * kWidth, 0, v * kHeight};
    case kNorth: return {u * kWidth, kDepth, v * kHeight};
    case kWest: return {0, u * kDepth, v * kHeight};
    default: return {kWidth, u * kDepth, v * kHeight};
    }
}

void FaceCoordinates(int face, const Vec3& p, double& u, double& v)
{
    switch (face) {
    case kFloor:
    case kCeiling: u = p.x / kWidth; v = p.y / kDepth; break;
    case kSouth:
    case kNorth: u = p.x / kWidth; v = p.z / kHeight; break;
    default: u = p.y / kDepth; v = p.z / kHeight; break;
    }
}

bool InWindowGlass(double x, double z)
{
    if (x < kWinLeft || x > kWinRight || z < kWinSill || z > kWinHead)
        return false;
    const double midX = (kWinLeft + kWinRight) / 2, midZ = (kWinSill + kWinHead) / 2;
    return std::abs(x - midX) > kMullion && std::abs(z - midZ) > kMullion;
}

// Share of a point's hemisphere (cosine-weighted) that the window opening fills.
double WindowFormFactor(const Vec3& p, const Vec3& n)
{
    const Vec3 corners[4] = {{kWinLeft, 0, kWinSill}, {kWinRight, 0, kWinSill},
                             {kWinRight, 0, kWinHead}, {kWinLeft, 0, kWinHead}};
    double sum = 0;
    for (int i = 0; i < 4; ++i) {
        const Vec3 a = Normalised(corners[i] - p);
        const Vec3 b = Normalised(corners[(i + 1) % 4] - p);
        const double angle = std::acos(std::clamp(Dot(a, b), -1.0, 1.0));
        const Vec3 c = Cross(a, b);
        const double cl = Length(c);
        if (cl > 1e-12)
            sum += angle * Dot(n, c * (1.0 / cl));
    }
    return std::abs(sum) / (2 * kPi);
}

double LampLight(const Vec3& p, const Vec3& n)
{
    double e = 0;
    for (const Vec3& lamp : kLamps) {
        const Vec3 d = lamp - p;
        const double dist2 = Dot(d, d);
        if (dist2 < 1e-6)
            continue;
        const double dist = std::sqrt(dist2);
        const double down = d.z / dist;       // cosine at the lamp
        const double incidence = Dot(n, d) / dist;
        if (down > 0 && incidence > 0)
            e += kLampIntensity * down * incidence / dist2;
    }
    return e;
}

// Reflectance of the surfaces, per colour channel; the floor is tiled.
void Albedo(int face, const Vec3& p, double rgb[3])
{
    switch (face) {
    case kFloor: {
        const bool dark = (int(std::floor(p.x / 0.5)) + int(std::floor(p.y / 0.5))) & 1;
        const double k = dark ? 0.85 : 1.0;
        rgb[0] = 0.42 * k; rgb[1] = 0.30 * k; rgb[2] = 0.20 * k;
        return;
    }
    case kCeiling: rgb[0] = 0.85; rgb[1] = 0.85; rgb[2] = 0.83; return;
    case kNorth: rgb[0] = 0.62; rgb[1] = 0.70; rgb[2] = 0.72; return;
    default: rgb[0] = 0.78; rgb[1] = 0.74; rgb[2] = 0.66; return;
    }
}

// 1 - exp(-x) followed by the display gamma, tabulated: it runs per channel per pixel.
struct ToneTable {
    static constexpr int kSize = 4096;
    static constexpr double kMax = 8.0;
    unsigned char value[kSize + 1];
    ToneTable()
    {
        for (int i = 0; i <= kSize; ++i) {
            const double x = kMax * i / kSize;
            value[i] = static_cast<unsigned char>(std::lround(255 * std::pow(1 - std::exp(-x), 1 / 2.2)));
        }
    }
    unsigned char operator()(double x) const
    {
        const int i = static_cast<int>(x * (kSize / kMax));
        return value[std::clamp(i, 0, kSize)];
    }
};

const ToneTable& Tone()
{
    static const ToneTable table;
    return table;
}

constexpr double kExposure = 1.0 / 1800.0; // lux to tone-curve input

} // namespace

const std::vector<ViewCamera>& StandardViews()
{
    static const std::vector<ViewCamera> views = {
        {QStringLiteral("Looking South At Window"), {3, 7.6, 1.6}, {3, 0, 1.2}, {0, 0, 1}, 80},
        {QStringLiteral("Looking North From Window"), {3, 0.4, 1.7}, {3, 8, 0.6}, {0, 0, 1}, 80},
        {QStringLiteral("Corner View"), {5.6, 7.6, 2.2}, {1.5, 1.0, 0.5}, {0, 0, 1}, 75},
        {QStringLiteral("Plan View"), {3, 4, 2.95}, {3, 4, 0}, {0, 1, 0}, 120},
        {QStringLiteral("Looking East"), {0.4, 4, 1.6}, {6, 3.5, 1.0}, {0, 0, 1}, 80},
        {QStringLiteral("Looking West"), {5.6, 4, 1.6}, {0, 3.5, 1.0}, {0, 0, 1}, 80},
    };
    return views;
}

const std::vector<SkyKind>& SkyKinds()
{
    static const std::vector<SkyKind> kinds = [] {
        std::vector<SkyKind> k = {{QStringLiteral("Clear"), 1, 0.0},
                                  {QStringLiteral("Partly Cloudy"), 2, 0.5},
                                  {QStringLiteral("Overcast"), 4, 1.0}};
        for (int type = 1; type <= 15; ++type)
            k.push_back({QStringLiteral("General Sky - Type %1").arg(type), 1 << (type + 2),
                         (type - 1) / 14.0});
        return k;
    }();
    return kinds;
}

RoomLight::RoomLight(const Conditions& c) : cloudiness_(c.cloudiness), electricOn_(c.electricOn)
{
    const double alt = c.sunAltitude * kDeg;
    const double az = c.sunAzimuthInRoom * kDeg;
    sun_ = {std::sin(az) * std::cos(alt), std::cos(az) * std::cos(alt), std::sin(alt)};
    if (c.sunAltitude > 0) {
        const double s = std::sin(alt);
        directNormal_ = (1 - c.cloudiness) * 127500 * std::exp(-0.21 / std::max(s, 0.02));
        diffuseHorizontal_ = (1 - c.cloudiness) * (800 + 15500 * std::sqrt(s)) +
                             c.cloudiness * (300 + 21000 * s);
    }
    const double globalHorizontal = diffuseHorizontal_ + directNormal_ * std::max(0.0, sun_.z);
    // Through the window a floor sees sky, a ceiling the sunlit ground, a wall
    // some of each; the window's luminance differs accordingly.
    const double skyLight = diffuseHorizontal_;
    const double groundLight = kGround * globalHorizontal;
    const double windowLight = (skyLight + groundLight) / 2;
    const double windowArea = (kWinRight - kWinLeft) * (kWinHead - kWinSill);
    double flux = windowArea * kGlass * (windowLight + directNormal_ * std::max(0.0, -sun_.y));
    if (c.electricOn)
        flux += 2 * kPi * kLampIntensity;
    const double interreflected = flux * kMeanReflectance / (kRoomArea * (1 - kMeanReflectance));

    for (int face = 0; face < 6; ++face) {
        const Vec3 n = Normal(face);
        for (int j = 0; j < kGrid; ++j) {
            for (int i = 0; i < kGrid; ++i) {
                const Vec3 p = FacePoint(face, (i + 0.5) / kGrid, (j + 0.5) / kGrid);
                double e = interreflected;
                if (face != kSouth) {
                    const double seen = face == kFloor ? skyLight : face == kCeiling ? groundLight : windowLight;
                    e += kGlass * WindowFormFactor(p, n) * seen;
                }
                if (c.electricOn)
                    e += LampLight(p, n);
                grid_[face][j * kGrid + i] = static_cast<float>(e);
            }
        }
    }
}

double RoomLight::SkyBrightness() const
{
    return std::clamp(diffuseHorizontal_ / 12000.0, 0.03, 1.0);
}

double RoomLight::Indirect(int face, double u, double v) const
{
    const double fu = std::clamp(u * kGrid - 0.5, 0.0, kGrid - 1.0);
    const double fv = std::clamp(v * kGrid - 0.5, 0.0, kGrid - 1.0);
    const int i0 = std::min(static_cast<int>(fu), kGrid - 2);
    const int j0 = std::min(static_cast<int>(fv), kGrid - 2);
    const double a = fu - i0, b = fv - j0;
    const auto& g = grid_[face];
    const double top = g[j0 * kGrid + i0] * (1 - a) + g[j0 * kGrid + i0 + 1] * a;
    const double bottom = g[(j0 + 1) * kGrid + i0] * (1 - a) + g[(j0 + 1) * kGrid + i0 + 1] * a;
    return top * (1 - b) + bottom * b;
}

double RoomLight::Sun(const Vec3& p, const Vec3& n) const
{
    if (directNormal_ <= 0 || sun_.y >= 0 || p.y <= 0)
        return 0;
    const double incidence = Dot(n, sun_);
    if (incidence <= 0)
        return 0;
    const double t = -p.y / sun_.y;
    if (!InWindowGlass(p.x + t * sun_.x, p.z + t * sun_.z))
        return 0;
    return kGlass * directNormal_ * incidence;
}

QRgb PseudoColour(double lux)
{
    // Blue, cyan, green, yellow, red over 10 .. 10000 lux.
    static const double stops[5][3] = {
        {0, 0, 255}, {0, 255, 255}, {0, 255, 0}, {255, 255, 0}, {255, 0, 0}};
    const double t = std::clamp((std::log10(std::max(lux, 1e-3)) - 1.0) / 3.0, 0.0, 1.0) * 4.0;
    const int i = std::min(static_cast<int>(t), 3);
    const double f = t - i;
    const auto mix = [&](int ch) {
        return static_cast<int>(std::lround(stops[i][ch] * (1 - f) + stops[i + 1][ch] * f));
    };
    return qRgb(mix(0), mix(1), mix(2));
}

void RenderRoom(const ViewCamera& camera, const RoomLight& light, QImage* rgb, QImage* pseudo)
{
    const QImage* size = rgb ? rgb : pseudo;
    if (!size)
        return;
    const int w = size->width();
    const int h = size->height();
    const Vec3 forward = Normalised(camera.target - camera.eye);
    const Vec3 right = Normalised(Cross(forward, camera.up));
    const Vec3 up = Cross(right, forward);
    const double tx = std::tan(camera.fovDegrees * kDeg / 2);
    const double ty = tx * h / w;
    const Vec3& e = camera.eye;
    const ToneTable& tone = Tone();
    const double sky = light.SkyBrightness();
    const double sunTint[3] = {1.0, 0.93, 0.78};

    for (int py = 0; py < h; ++py) {
        uchar* rgbRow = rgb ? rgb->scanLine(py) : nullptr;
        uchar* pseudoRow = pseudo ? pseudo->scanLine(py) : nullptr;
        const double sy = (1 - 2 * (py + 0.5) / h) * ty;
        for (int px = 0; px < w; ++px) {
            const double sx = (2 * (px + 0.5) / w - 1) * tx;
            const Vec3 d = forward + right * sx + up * sy;
            // Leaving the box from inside: the nearest of the three planes ahead.
            double t = 1e30;
            int face = kFloor;
            if (d.x > 0) { t = (kWidth - e.x) / d.x; face = kEast; }
            else if (d.x < 0) { t = -e.x / d.x; face = kWest; }
            if (d.y > 0) { const double ty2 = (kDepth - e.y) / d.y; if (ty2 < t) { t = ty2; face = kNorth; } }
            else if (d.y < 0) { const double ty2 = -e.y / d.y; if (ty2 < t) { t = ty2; face = kSouth; } }
            if (d.z > 0) { const double tz = (kHeight - e.z) / d.z; if (tz < t) { t = tz; face = kCeiling; } }
            else if (d.z < 0) { const double tz = -e.z / d.z; if (tz < t) { t = tz; face = kFloor; } }
            const Vec3 p = e + d * t;

            unsigned char out[3];
            unsigned char falseColour[3] = {0, 0, 0};
            if (face == kSouth && InWindowGlass(p.x, p.z)) {
                // Outside: sky above the horizon, lit ground below.
                const double elevation = d.z / Length(d);
                if (elevation > 0) {
                    // Blue toward the zenith on a clear day, grey under cloud.
                    const double c = light.Cloudiness();
                    const double k = sky * 3.0 * (0.8 + 0.2 * elevation);
                    out[0] = tone(k * (0.40 * (1 - c) + 0.80 * c));
                    out[1] = tone(k * (0.58 * (1 - c) + 0.80 * c));
                    out[2] = tone(k * (0.95 * (1 - c) + 0.84 * c));
                } else {
                    out[0] = tone(sky * 1.2 * 0.30);
                    out[1] = tone(sky * 1.2 * 0.45);
                    out[2] = tone(sky * 1.2 * 0.20);
                }
                falseColour[0] = falseColour[1] = falseColour[2] = 128;
            } else {
                double u, v;
                FaceCoordinates(face, p, u, v);
                const Vec3 n = Normal(face);
                const double indirect = light.Indirect(face, u, v);
                const double direct = light.Sun(p, n);
                double albedo[3];
                Albedo(face, p, albedo);
                for (int ch = 0; ch < 3; ++ch)
                    out[ch] = tone(albedo[ch] * (indirect + direct * sunTint[ch]) * kExposure);
                if (face == kCeiling && light.ElectricOn()) {
                    for (const Vec3& lamp : kLamps) {
                        if (std::abs(p.x - lamp.x) < 0.6 && std::abs(p.y - lamp.y) < 0.3)
                            out[0] = out[1] = out[2] = 255;
                    }
                }
                if (pseudoRow) {
                    const QRgb c = PseudoColour(indirect + direct);
                    falseColour[0] = qRed(c);
                    falseColour[1] = qGreen(c);
                    falseColour[2] = qBlue(c);
                }
            }
            if (rgbRow) {
                rgbRow[3 * px] = out[0];
                rgbRow[3 * px + 1] = out[1];
                rgbRow[3 * px + 2] = out[2];
            }
            if (pseudoRow) {
                pseudoRow[3 * px] = falseColour[0];
                pseudoRow[3 * px + 1] = falseColour[1];
                pseudoRow[3 * px + 2] = falseColour[2];
            }
        }
    }
}

} // namespace samplestudy
