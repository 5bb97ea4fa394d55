// The number texts of the viewer window: numbers written the way the window
// shows them, and numbers read back from the start of a text.
#pragma once

#include <QString>

namespace viewer {

// A non-negative number gets one leading blank in place of a sign, a fraction
// below 1 has no digit before the point, the point is always ".", no trailing
// zeros, up to 15 significant digits: 12 -> " 12", 0.5 -> " .5", -2.5 -> "-2.5".
QString SpaceSigned(double value);

// The number a text starts with: leading blanks skipped, then digits with at
// most one "."; reading stops at the first character that cannot continue the
// number. A text that starts with no number reads as 0.
double LeadingNumber(const QString& text);

} // namespace viewer
