// dvftool list [--charset CHARSET] PACKAGE: the XML listing of a study
// package (any cabinet).
#include "tools/dvftool/DvfTool.h"

#include "viewer/cabreader/CABFile.h"

namespace dvftool {

int ListCommand(const QStringList& allArgs, const Output& io)
{
    QStringList args = allArgs;
    const auto charset = TakeCharsetOption(args, "list", io);
    if (!charset)
        return kExitUsage;
    args.removeOne(QStringLiteral("--"));
    if (args.size() != 1 || args.front().isEmpty()) {
        io.Err(QByteArray("usage: dvftool list [--charset CHARSET] PACKAGE\n") + kCharsetHelp);
        return kExitUsage;
    }
    cabreader::CABFile package;
    package.SetNameCharset(*charset);
    package.SetCabName(args.front());
    try {
        io.Out(package.GetXML(QString()) + u'\n');
    } catch (const cabreader::CabFileError& error) {
        io.Err(QStringLiteral("dvftool list: %1: %2%3\n")
                   .arg(args.front(), error.Description(),
                        error.Detail().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(error.Detail())));
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace dvftool
