// What a panel shows at the frame of a sample whose image file is missing: a
// plain tile that says so and names the file, in place of the picture, so the
// frames after it stay where they belong.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace viewer {

inline constexpr char kImageMissing[] = "Image missing";
// A file there at loading that is gone or cannot be decoded when its frame is shown.
inline constexpr char kImageDamaged[] = "Image damaged";

// A tile of `size` (the size the panel's frames take) with its title ("Image
// missing" unless told) and the file's name as the study gives it ("" when it
// names none).
QImage MissingImageTile(const QString& name, QSize size, const QString& title = QLatin1String(kImageMissing));

// The size a tile takes when the panel has no image to take it from.
QSize DefaultTileSize();

} // namespace viewer
