// dvftool properties STUDY.dvf|STUDY.dvp: the study's properties as the
// tab-delimited text the viewer copies to the clipboard, byte for byte.
#include "tools/dvftool/DvfTool.h"
#include "tools/dvftool/StudyInput.h"

#include "viewer/properties/CopyText.h"
#include "viewer/study/StudyModule.h"

namespace dvftool {

namespace {

const QByteArray kUsage = "usage: dvftool properties STUDY.dvf|STUDY.dvp\n";

} // namespace

int PropertiesCommand(const QStringList& args, const Output& io)
{
    const std::optional<Arguments> parsed = ParseArguments(args, {}, "properties", kUsage, io);
    if (!parsed)
        return kExitUsage;
    const QString& input = parsed->files.front();
    StudyInput study;
    if (!study.Open(input, "properties", io))
        return kExitFailed;
    study::StudyModule module;

    QString errMsg;
    module.ReadStudyFile(study.StudyFile(), errMsg);
    if (!errMsg.isEmpty()) {
        io.Err(QStringLiteral("dvftool properties: %1: %2\n").arg(input, errMsg));
        return kExitFailed;
    }
    // Widths matter only on screen.
    const properties::PropertyTable table =
        properties::BuildPropertyTable(module.Study, [](const QString&) { return 0.0; });
    io.Out(properties::PropertiesCopyText(module.Study.StudyName, table));
    return kExitOk;
}

} // namespace dvftool
