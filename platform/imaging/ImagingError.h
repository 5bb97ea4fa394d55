// The failure an imaging operation reports to its caller: a readable text that
// the viewer hands to the user as it stands.
#pragma once

#include <QString>

#include <stdexcept>

namespace imaging {

class ImagingError : public std::runtime_error {
public:
    explicit ImagingError(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& Text() const { return text_; }

private:
    QString text_;
};

} // namespace imaging
