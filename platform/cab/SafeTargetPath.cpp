// Where an entry may be written: only below the chosen folder, whatever its name says.
#include "platform/cab/CabReader.h"
#include "platform/cab/CabText.h"

#include <cctype>
#include <string_view>

namespace cab {

std::string SafeTargetPath(const std::string& folder, const std::string& entryName)
{
    if (entryName.empty() || entryName.find('\0') != std::string::npos)
        return {};
    // Ill-formed UTF-8 is refused outright: an overlong "/" or "." could be
    // read as a separator by a lenient decoder further down the line.
    if (!IsValidUtf8(entryName))
        return {};
    if (entryName.front() == '\\' || entryName.front() == '/')
        return {};
    if (entryName.size() >= 2 && entryName[1] == ':'
        && std::isalpha(static_cast<unsigned char>(entryName[0])))
        return {};

    std::string relative;
    std::string_view rest(entryName);
    for (;;) {
        std::size_t cut = rest.find_first_of("\\/");
        std::string_view component = rest.substr(0, cut);
        if (component.empty() || component == "." || component == "..")
            return {};
        if (!relative.empty())
            relative += '/';
        relative.append(component);
        if (cut == std::string_view::npos)
            break;
        rest.remove_prefix(cut + 1);
    }

    if (folder.empty())
        return relative;
    if (folder.back() == '/')
        return folder + relative;
    return folder + '/' + relative;
}

} // namespace cab
