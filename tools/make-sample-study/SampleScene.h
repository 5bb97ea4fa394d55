// The demonstration room: a box with one window in its south wall, lit by the
// sun through the window, by the sky and, when switched on, by two ceiling
// lights; rendered per pixel as a true-colour picture and as a false-colour
// illuminance picture.
#pragma once

#include <QImage>
#include <QString>

#include <array>
#include <vector>

namespace samplestudy {

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

// One camera inside the room.
struct ViewCamera {
    QString name;
    Vec3 eye;
    Vec3 target;
    Vec3 up{0, 0, 1};
    double fovDegrees = 80; // horizontal
};

// The views a study can have, in order (at most this many).
const std::vector<ViewCamera>& StandardViews();

// A sky condition the generator can render: its name in the study and its code bit.
struct SkyKind {
    QString name;
    int code = 0;
    double cloudiness = 0; // 0 clear .. 1 overcast
};
const std::vector<SkyKind>& SkyKinds(); // in the order of their code bits

// The light of one rendered moment.
struct Conditions {
    double sunAltitude = 0;      // degrees
    double sunAzimuthInRoom = 0; // degrees clockwise from the room's north (+y)
    double cloudiness = 0;
    bool electricOn = false;
};

// Illuminance on the room's surfaces from the sky, the lights and
// inter-reflection: smooth, so it is kept on a coarse grid per surface and
// shared by every view of the moment. The sun patch is added per pixel.
class RoomLight {
public:
    explicit RoomLight(const Conditions& conditions);

    double DirectNormal() const { return directNormal_; }     // lux, sun's beam
    double DiffuseHorizontal() const { return diffuseHorizontal_; } // lux, outdoors
    double SkyBrightness() const; // 0..1, for the sky seen through the window
    double Cloudiness() const { return cloudiness_; }
    bool ElectricOn() const { return electricOn_; }
    // Indirect illuminance at a point of surface `face` with surface coordinates u, v in 0..1.
    double Indirect(int face, double u, double v) const;
    // Direct sun on a point with the given inward normal, 0 when shaded.
    double Sun(const Vec3& point, const Vec3& normal) const;
    const Vec3& SunDirection() const { return sun_; }

private:
    static constexpr int kGrid = 24;
    double directNormal_ = 0;
    double diffuseHorizontal_ = 0;
    double cloudiness_ = 0;
    bool electricOn_ = false;
    Vec3 sun_;
    std::array<std::array<float, kGrid * kGrid>, 6> grid_{};
};

// Renders one view of one moment. Either output may be null; both are
// Format_RGB888 images of the wanted size (the caller allocates them). The
// false-colour picture maps illuminance from 10 to 10000 lux, logarithmically.
void RenderRoom(const ViewCamera& camera, const RoomLight& light, QImage* rgb, QImage* pseudo);

// The colour of `lux` on the false-colour scale.
QRgb PseudoColour(double lux);

} // namespace samplestudy
