// --charset for the commands that read the names of a package.
#include "tools/dvftool/DvfTool.h"

namespace dvftool {

const char* const kCharsetHelp =
    "  --charset CHARSET  how names stored without the UTF-8 mark are read: auto (the\n"
    "                     default: as UTF-8 when they are valid UTF-8, else as Windows-1252),\n"
    "                     utf-8 or cp1252\n";

std::optional<cab::NameCharset> TakeCharsetOption(QStringList& args, const char* command, const Output& io)
{
    cab::NameCharset charset = cab::NameCharset::Auto;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString arg = args[i];
        if (arg == QLatin1String("--"))
            break;
        const bool joined = arg.startsWith(QLatin1String("--charset="));
        if (arg != QLatin1String("--charset") && !joined)
            continue;
        if (!joined && i + 1 == args.size()) {
            io.Err(QStringLiteral("dvftool %1: --charset needs a name: auto, utf-8 or cp1252\n").arg(command));
            return std::nullopt;
        }
        const QString name = joined ? arg.mid(10) : args[i + 1];
        const auto parsed = cab::ParseNameCharset(name.toStdString());
        if (!parsed) {
            io.Err(QStringLiteral("dvftool %1: \"%2\" is no character set dvftool knows: auto, utf-8 or cp1252\n")
                       .arg(command, name));
            return std::nullopt;
        }
        charset = *parsed;
        args.remove(i, joined ? 1 : 2);
        --i;
    }
    return charset;
}

} // namespace dvftool
