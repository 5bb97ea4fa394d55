#include "tools/tcab/StoredNames.h"

#include "platform/cab/CabText.h"

#include <cwctype>
#include <filesystem>
#include <locale.h>
#include <map>

namespace tcab {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxNameBytes = 255; // a cabinet's name field with its NUL is 256 bytes

std::string Shown(const fs::path& path)
{
    return path.string();
}

void AddFile(Collection& collection, const fs::path& source, const std::string& name)
{
    const std::string base = source.filename().string();
    if (base.find('\\') != std::string::npos) {
        collection.problems.push_back("'" + Shown(source) + "' cannot be stored: its name holds a backslash, which "
                                      "a cabinet reads as a folder separator");
        return;
    }
    if (name.size() > kMaxNameBytes) {
        collection.problems.push_back("'" + Shown(source) + "' cannot be stored: its name in the cabinet would be "
                                      + std::to_string(name.size()) + " bytes long, more than the 255 a cabinet holds");
        return;
    }
    std::error_code ec;
    const auto status = fs::status(source, ec);
    if (ec || !fs::exists(status)) {
        collection.problems.push_back("'" + Shown(source) + "' cannot be stored: it is a link that leads nowhere");
        return;
    }
    if (!fs::is_regular_file(status)) {
        collection.problems.push_back("'" + Shown(source) + "' cannot be stored: it is not a regular file (a pipe, "
                                      "socket or device)");
        return;
    }
    collection.files.push_back({source.string(), name});
}

void AddFolder(Collection& collection, const fs::path& folder, const std::string& prefix)
{
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) {
        collection.problems.push_back("'" + Shown(folder) + "' cannot be read: " + ec.message());
        return;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) {
            collection.problems.push_back("'" + Shown(folder) + "' cannot be read to its end: " + ec.message());
            return;
        }
        const fs::path path = it->path();
        const std::string base = path.filename().string();
        const std::string name = prefix.empty() ? base : prefix + "\\" + base;
        std::error_code typeError;
        if (it->is_symlink(typeError) && it->is_directory(typeError)) {
            collection.problems.push_back("'" + Shown(path) + "' is a link to a folder, which is not followed");
        } else if (it->is_directory(typeError)) {
            if (base.find('\\') != std::string::npos)
                collection.problems.push_back("'" + Shown(path) + "' cannot be stored: its name holds a backslash, "
                                              "which a cabinet reads as a folder separator");
            else
                AddFolder(collection, path, name);
        } else {
            AddFile(collection, path, name);
        }
    }
}

} // namespace

std::string OperandName(const std::string& operand)
{
    const fs::path path = fs::path(operand).lexically_normal();
    bool climbs = path.is_absolute();
    std::string name;
    for (const auto& part : path) {
        const std::string text = part.string();
        if (text == "..")
            climbs = true;
        if (text.empty() || text == "." || text == "/")
            continue;
        name += (name.empty() ? "" : "\\") + text;
    }
    if (climbs || name.empty()) {
        std::string last = path.has_filename() ? path.filename().string() : path.parent_path().filename().string();
        if (last == "." || last == ".." || last.empty())
            last = fs::absolute(path).lexically_normal().filename().string();
        if (last.empty())
            last = fs::absolute(path).lexically_normal().parent_path().filename().string();
        return last;
    }
    return name;
}

Collection CollectFiles(const std::vector<std::string>& operands)
{
    Collection collection;
    for (const std::string& operand : operands) {
        std::error_code ec;
        const auto status = fs::status(operand, ec);
        if (!fs::exists(status)) {
            collection.problems.push_back("'" + operand + "' does not exist");
            continue;
        }
        if (fs::is_directory(status))
            AddFolder(collection, operand, OperandName(operand));
        else
            AddFile(collection, operand, OperandName(operand));
    }
    return collection;
}

std::string FoldedName(const std::string& utf8)
{
    // Folded by Unicode letter case, whatever the user's own locale says.
    static const locale_t utf8Locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::string folded;
    folded.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (length == 1 || i + length > utf8.size()) {
            folded += char(lead >= 'a' && lead <= 'z' ? lead - 'a' + 'A' : lead);
            ++i;
            continue;
        }
        char32_t code = lead & (0xFF >> (length + 1));
        for (std::size_t k = 1; k < length; ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        if (utf8Locale)
            code = char32_t(towupper_l(wint_t(code), utf8Locale));
        cab::AppendUtf8(folded, code);
        i += length;
    }
    return folded;
}

std::vector<std::string> NameClashes(const std::vector<StoredFile>& files)
{
    std::vector<std::string> clashes;
    std::map<std::string, const StoredFile*> seen;
    for (const StoredFile& file : files) {
        auto [it, fresh] = seen.emplace(FoldedName(file.name), &file);
        if (!fresh)
            clashes.push_back("'" + it->second->source + "' and '" + file.source + "' would both be stored as '"
                              + it->second->name + "'" + (it->second->name == file.name ? "" : " (letter case aside)"));
    }
    return clashes;
}

} // namespace tcab
