// Turns Windows-1252 bytes, the text of study files, into Unicode text.
#pragma once

#include <QString>

namespace study {

QString FromWindows1252(const char* bytes, qsizetype size);

} // namespace study
