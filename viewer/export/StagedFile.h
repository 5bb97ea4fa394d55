// A file written under a temporary name beside its destination and renamed into
// place only when it is complete, so a cancelled or failed export never leaves
// a partial file under the chosen name, and an old file there stays whole
// until the new one replaces it in one step.
#pragma once

#include <QString>

namespace exporting {

class StagedFile {
public:
    // Nothing is created yet; `destination` is the name the file will have.
    explicit StagedFile(QString destination);
    // Removes the temporary file unless it was committed.
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates an empty, hidden file with a name of its own in the destination's
    // folder (".<name>.<random>.part"), with the permissions a new file gets.
    // Returns "" or the reason, such as
    //   Cannot write in the folder <folder>: <system's reason>
    QString Create();
    const QString& TemporaryPath() const { return temporary_; }
    const QString& Destination() const { return destination_; }

    // Renames the temporary file to the destination, replacing a file of that
    // name. Returns "" or
    //   Could not save <destination>: <system's reason>
    // in which case the temporary file is removed and the destination is as it was.
    QString Commit();

    // Removes the temporary file now (the destructor does it too).
    void Discard();

private:
    QString destination_;
    QString temporary_;
    bool committed_ = false;
};

} // namespace exporting
