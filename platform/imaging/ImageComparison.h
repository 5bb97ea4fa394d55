// Two panels' frames put over each other: the wipe, where a line the user drags
// splits the panel between image A on its left and image B on its right, and
// the difference image, either the absolute difference of each colour with a
// gain or a diverging colour map of the signed difference in luminance.
#pragma once

#include <QImage>
#include <QRgb>

namespace imaging {

enum class CompareMode { None, Wipe, Difference };
enum class DifferenceKind {
    Absolute,        // |A - B| per colour, times the gain, clipped at 255
    SignedLuminance, // luma(B) - luma(A) through the diverging colour map
};

// The gains offered, doubling from 1 to 64.
inline constexpr double kMinDifferenceGain = 1;
inline constexpr double kMaxDifferenceGain = 64;

// How close (in panel pixels) the pointer must come to the wipe line to take it.
inline constexpr double kWipeGrabDistance = 6;

// The x of the split line in a panel `width` pixels wide, for a split at
// `fraction` of the width (clamped to 0..1): A covers the columns left of it,
// B the rest, so between them they cover the panel exactly once.
int WipeSplitX(double fraction, int width);
// The fraction a drag to panel x gives, clamped to 0..1; 0.5 for no width.
double WipeFractionAt(double x, int width);
// True when panel x is close enough to the line to take it.
bool NearWipeLine(double x, double fraction, int width);

// Luma of a gamma-encoded colour with weights summing to 256, so a grey keeps
// its value.
int Luma(QRgb colour);

// The colour of a signed luminance difference (B minus A, -255 .. 255) at a
// gain: black for none, towards kDifferenceBrighterA where A is brighter and
// kDifferenceBrighterB where B is, full strength at 255 / gain.
inline constexpr QRgb kDifferenceBrighterA = 0xff40a0ff; // azure
inline constexpr QRgb kDifferenceBrighterB = 0xffff6030; // orange red
QRgb SignedDifferenceColour(int difference, double gain);

// The difference of two images as a 24-bit image of A's size. B is scaled to
// A's size first when they differ (frames decoded at different scales, or
// renderings of different sizes). A null image on either side gives a null
// result.
QImage DifferenceImage(const QImage& a, const QImage& b, DifferenceKind kind, double gain);

} // namespace imaging
