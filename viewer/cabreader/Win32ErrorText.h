// The user-facing text of the Windows error codes a cabinet walk can end with.
#pragma once

#include <QString>
#include <QtGlobal>

namespace cabreader {

// The system's text for `code`, or "Unknown error." for a code it does not know.
QString Win32ErrorText(qint64 code);

} // namespace cabreader
