// dvftool list PACKAGE: the XML listing of a study package (any cabinet).
#include "tools/dvftool/DvfTool.h"

#include "viewer/cabreader/CABFile.h"

namespace dvftool {

int ListCommand(const QStringList& args, const Output& io)
{
    if (args.size() != 1 || args.front().isEmpty()) {
        io.Err(QByteArray("usage: dvftool list PACKAGE\n"));
        return kExitUsage;
    }
    cabreader::CABFile package;
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
