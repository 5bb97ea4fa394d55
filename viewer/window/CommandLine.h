// The viewer's command line: HALVEX-Daystrand [OPTIONS] [STUDY.dvf|STUDY.dvp].
// Read before the application connects to a display, so that --help and
// --version work on a terminal without one (and for the manual page).
#pragma once

#include <QString>
#include <QStringList>

class QCommandLineParser;

namespace viewer {

struct CommandLine {
    enum class Action {
        Run,         // start the viewer
        ShowText,    // print Text on standard output and end with status 0
        Fail,        // print Text on standard error and end with status 2
    };
    Action What = Action::Run;
    QString Text;
    // The study named on the command line, as an absolute path; "" for none.
    QString StudyFile;
    // Memory for decoded frames (--cache-mb, in megabytes, at least
    // settings::kMinFrameCacheMegabytes); 0 when not given.
    qint64 FrameCacheBytes = 0;
};

// The options the viewer takes, added to `parser`; one place for every option
// so that --help lists them all.
void AddViewerOptions(QCommandLineParser& parser);

// `arguments` as main() receives them, the program's name first.
CommandLine ParseCommandLine(const QStringList& arguments);

} // namespace viewer
