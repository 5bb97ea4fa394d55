#include "platform/imaging/DecodeScale.h"

namespace imaging {

QSize ScaledSize(QSize full, DecodeScale scale)
{
    const int n = static_cast<int>(scale);
    return QSize((full.width() + n - 1) / n, (full.height() + n - 1) / n);
}

DecodeScale ScaleToCover(QSize full, QSize needed)
{
    for (DecodeScale scale : {DecodeScale::Eighth, DecodeScale::Quarter, DecodeScale::Half}) {
        const QSize scaled = ScaledSize(full, scale);
        if (scaled.width() >= needed.width() && scaled.height() >= needed.height())
            return scale;
    }
    return DecodeScale::Full;
}

} // namespace imaging
