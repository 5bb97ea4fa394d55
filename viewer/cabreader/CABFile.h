// Reads a cabinet for the viewer: counts its files, reports them to a
// listener, lists them as XML and extracts them, each as one cabinet walk.
#pragma once

#include "platform/cab/CabText.h"
#include "platform/setupapi/FileNotify.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <exception>
#include <memory>

namespace cab {
class TargetFolder;
}

namespace study {
class StudyModule;
}

namespace cabreader {

// Raised by an operation before CabName is set.
constexpr qint32 kErrCabNameNotSet = -2147219548; // 0x800407A4

// The object's own text for one of its error numbers; "Unknown error." otherwise.
QString CabFileErrorText(qint32 number);

// A numbered error with the source that raised it, as CABFile reports them.
class CabFileError : public std::exception {
public:
    CabFileError(qint32 number, QString source, QString description, QString detail = {});
    qint32 Number() const { return number_; }
    const QString& Source() const { return source_; }
    const QString& Description() const { return description_; }
    // The path and the system's reason, when the reader gave them ("" otherwise).
    const QString& Detail() const { return detail_; }
    const char* what() const noexcept override { return what_.constData(); }

private:
    qint32 number_;
    QString source_;
    QString description_;
    QString detail_;
    QByteArray what_;
};

// A cabinet entry that Extract would not write, and why.
struct CabRefusal {
    QString Name;   // the full name in the cabinet
    QString Reason; // a sentence for the user
};

// Receives the events of one CABFile. Every handler does nothing by default.
class CABFileListener {
public:
    virtual ~CABFileListener() = default;
    // A file GetInfo reports: name part, its time stamp, size and folder part.
    virtual void FileFound(const QString& Filename, const QDateTime& DateTime, quint32 Size, const QString& Path);
    // Before Extract writes a file (full name in the cabinet); Cancel skips it.
    virtual void BeforeExtract(const QString& Filename, bool& Cancel);
    // After Extract has written a file completely: the full path written.
    virtual void AfterExtract(const QString& Filename);
};

class CABFile {
public:
    CABFile() = default;
    ~CABFile();
    CABFile(const CABFile&) = delete;
    CABFile& operator=(const CABFile&) = delete;

    // Full path of the cabinet; every operation needs it.
    const QString& CabName() const { return cabName_; }
    void SetCabName(const QString& CabName) { cabName_ = CabName; }

    // How names stored without the UTF-8 mark are read; Auto by default.
    cab::NameCharset NameCharset() const { return nameCharset_; }
    void SetNameCharset(cab::NameCharset charset) { nameCharset_ = charset; }

    // Number of files in the cabinet. Throws CabFileError on failure.
    qint32 FileCount();
    // The bytes the files counted by the last FileCount declare: what
    // extracting them all would write.
    quint64 DeclaredBytes() const { return declaredBytes_; }

    // Writes the files selected by FileToExtract (every file when empty; else
    // the one whose full name matches, ignoring case) below OutputPath (the
    // cabinet's own folder when empty), under their names in the cabinet or
    // as OutputFile when that is given. False on failure: see ErrorNumber().
    // Entries are never written outside the folder nor over the cabinet: a
    // name that would leave it, a folder on the way that is a symbolic link,
    // or a place that is the cabinet itself (by file identity) refuses the
    // entry instead: see RefusedEntries().
    bool Extract(const QString& FileToExtract, const QString& OutputPath, const QString& OutputFile);

    // Raises FileFound for every file, or for the first whose name part
    // matches FileToInvestigate ignoring case. False on failure.
    bool GetInfo(const QString& FileToInvestigate);

    // The XML listing of the files GetInfo would report. Throws CabFileError
    // (source "CabFile.GetXML") on failure.
    QString GetXML(const QString& FileToInvestigate);

    // At most one listener; none means events go nowhere. Not owned.
    void SetListener(CABFileListener* listener) { listener_ = listener; }
    // Where Extract notes the study file it meets (PackageStudyFile). Not owned.
    void SetStudyModule(study::StudyModule* module) { module_ = module; }

    // The error of the last operation that failed since the last one began;
    // 0 and "" after a success.
    qint32 ErrorNumber() const { return errorNumber_; }
    const QString& ErrorSource() const { return errorSource_; }
    const QString& ErrorText() const { return errorText_; }

    // Entries the last Extract did not write although they were selected:
    // refused places, and damaged entries (the others are still written, and
    // Extract then fails with the first damaged entry's error).
    const QList<CabRefusal>& RefusedEntries() const { return refused_; }

    // One notification of a running walk; called through IterateCallback.
    setupapi::UINT CabCallBack(void* Context, setupapi::UINT Notification, setupapi::UINT_PTR Param1,
                               setupapi::UINT_PTR Param2);

private:
    enum WalkContext : int { kCountContext = 0, kInfoContext = 1, kExtractContext = 2, kXmlContext = 3 };

    void Walk(WalkContext context);
    void ClearError();
    void NoteError(const CabFileError& error);
    setupapi::UINT InfoStep(const setupapi::FILE_IN_CABINET_INFO_A& info, bool listing);
    setupapi::UINT ExtractStep(setupapi::FILE_IN_CABINET_INFO_A& info);
    void Refuse(const QString& name, const QString& reason);

    QString cabName_;
    cab::NameCharset nameCharset_ = cab::NameCharset::Auto;
    QString listing_;
    QString filter_;
    QString outputPath_;
    QString outputFile_;
    qint32 fileCounter_ = 0;
    quint64 declaredBytes_ = 0;
    std::shared_ptr<cab::TargetFolder> targetFolder_; // the folder of the running Extract
    QString offered_;                                 // the entry the walk is writing
    setupapi::UINT firstWriteError_ = 0;              // of the running Extract
    bool walking_ = false;
    CABFileListener* listener_ = nullptr;
    study::StudyModule* module_ = nullptr;
    qint32 errorNumber_ = 0;
    QString errorSource_;
    QString errorText_;
    QList<CabRefusal> refused_;
};

} // namespace cabreader
