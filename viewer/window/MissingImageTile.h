// What a panel shows at the frame of a sample whose image file is missing: a
// plain tile that says so and names the file, in place of the picture, so the
// frames after it stay where they belong.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace viewer {

inline constexpr char kImageMissing[] = "Image missing";

// A tile of `size` (the size of the panel's other images) with "Image missing"
// and the file's name as the study gives it ("" when it names none).
QImage MissingImageTile(const QString& name, QSize size);

// The size a tile takes when the panel has no image to take it from.
QSize DefaultTileSize();

} // namespace viewer
