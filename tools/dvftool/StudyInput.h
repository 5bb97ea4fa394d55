// The study a subcommand was given: a DVF as it is, or a DVP unpacked into a
// scratch folder that goes away with this object.
#pragma once

#include "tools/dvftool/DvfTool.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace dvftool {

class StudyInput {
public:
    // Unpacks `input` when it is a package; complaints go to io.Err prefixed
    // with "dvftool <command>: ". False when there is no study to read.
    bool Open(const QString& input, const char* command, const Output& io);

    // The study file to read, and the folder its images are found in.
    const QString& StudyFile() const { return studyFile_; }
    QString Folder() const;

private:
    std::unique_ptr<QTemporaryDir> unpacked_;
    QString studyFile_;
};

} // namespace dvftool
