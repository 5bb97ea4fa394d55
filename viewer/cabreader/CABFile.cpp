#include "viewer/cabreader/CABFile.h"

#include "platform/cab/CabReader.h"
#include "platform/cab/TargetFolder.h"
#include "platform/setupapi/SetupIterateCabinet.h"
#include "viewer/cabreader/CabFileTime.h"
#include "viewer/cabreader/CabFilesCallback.h"
#include "viewer/cabreader/CabXml.h"
#include "viewer/cabreader/Win32ErrorText.h"
#include "viewer/study/StudyModule.h"

#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <cstring>
#include <sys/stat.h>

namespace cabreader {

using namespace setupapi;

namespace {

const QString kSource = QStringLiteral("CabFile");

// The walk context travels as the callback's pointer-sized argument.
void* ToContext(int context)
{
    return reinterpret_cast<void*>(static_cast<std::intptr_t>(context));
}

int FromContext(void* context)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(context));
}

// Windows names take "\" and "/" alike; this platform's separator is "/".
QString NativeSeparators(QString path)
{
    return path.replace(u'\\', u'/');
}

} // namespace

QString CabFileErrorText(qint32 number)
{
    if (number == kErrCabNameNotSet)
        return QStringLiteral("You must set the CabName property before taking any action on the CabFile object.");
    return QStringLiteral("Unknown error.");
}

CabFileError::CabFileError(qint32 number, QString source, QString description, QString detail)
    : number_(number), source_(std::move(source)), description_(std::move(description)), detail_(std::move(detail)),
      what_((source_ + QStringLiteral(": ") + description_).toUtf8())
{
}

void CABFileListener::FileFound(const QString&, const QDateTime&, quint32, const QString&) {}
void CABFileListener::BeforeExtract(const QString&, bool&) {}
void CABFileListener::AfterExtract(const QString&) {}

CABFile::~CABFile()
{
    if (CabFilesCallback::CurrentCabFile() == this)
        CabFilesCallback::SetCurrentCabFile(nullptr);
}

void CABFile::ClearError()
{
    errorNumber_ = 0;
    errorSource_.clear();
    errorText_.clear();
}

void CABFile::NoteError(const CabFileError& error)
{
    errorNumber_ = error.Number();
    errorSource_ = error.Source();
    errorText_ = error.Description();
}

void CABFile::Walk(WalkContext context)
{
    if (cabName_.isEmpty())
        throw CabFileError(kErrCabNameNotSet, kSource, CabFileErrorText(kErrCabNameNotSet));

    // A listener may start another object's walk from inside this one; the
    // outer walk gets its callbacks back when the inner one ends.
    CABFile* const previous = CabFilesCallback::CurrentCabFile();
    CabFilesCallback::SetCurrentCabFile(this);
    struct WalkScope {
        CABFile* self;
        CABFile* previous;
        ~WalkScope()
        {
            self->walking_ = false;
            if (previous && previous != self && previous->walking_)
                CabFilesCallback::SetCurrentCabFile(previous);
        }
    } scope{this, previous};
    walking_ = true;

    const QByteArray cabinet = QFile::encodeName(cabName_);
    if (!IterateCabinetWith(cabinet.constData(), cab::ReadOptions{0, nameCharset_}, &CabFilesCallback::IterateCallback,
                            ToContext(context))) {
        const DWORD code = GetLastError();
        throw CabFileError(static_cast<qint32>(code), kSource, Win32ErrorText(code),
                           QString::fromStdString(GetLastErrorDetail()));
    }
}

qint32 CABFile::FileCount()
{
    ClearError();
    try {
        fileCounter_ = 0;
        declaredBytes_ = 0;
        Walk(kCountContext);
        return fileCounter_;
    } catch (const CabFileError& error) {
        NoteError(error);
        throw;
    }
}

bool CABFile::Extract(const QString& FileToExtract, const QString& OutputPath, const QString& OutputFile)
{
    ClearError();
    refused_.clear();
    filter_ = FileToExtract;
    outputPath_ = OutputPath;
    outputFile_ = OutputFile;
    firstWriteError_ = NO_ERROR;
    targetFolder_.reset();
    struct FolderScope {
        std::shared_ptr<cab::TargetFolder>& folder;
        ~FolderScope() { folder.reset(); }
    } scope{targetFolder_};
    try {
        Walk(kExtractContext);
        if (firstWriteError_ != NO_ERROR)
            throw CabFileError(static_cast<qint32>(firstWriteError_), kSource, Win32ErrorText(firstWriteError_));
        return true;
    } catch (const CabFileError& error) {
        NoteError(error);
        return false;
    }
}

bool CABFile::GetInfo(const QString& FileToInvestigate)
{
    ClearError();
    filter_ = FileToInvestigate;
    try {
        Walk(kInfoContext);
        return true;
    } catch (const CabFileError& error) {
        NoteError(error);
        return false;
    }
}

QString CABFile::GetXML(const QString& FileToInvestigate)
{
    ClearError();
    filter_ = FileToInvestigate;
    listing_.clear();
    try {
        Walk(kXmlContext);
    } catch (const CabFileError& error) {
        const CabFileError passed(error.Number(), kSource + QStringLiteral(".GetXML"), error.Description(),
                                  error.Detail());
        NoteError(passed);
        throw passed;
    }
    return QStringLiteral("<?xml version=\"1.0\"?>")
           + XmlElement(XmlElement(listing_, QStringLiteral("FILES")), QStringLiteral("CABFILE"),
                        QStringLiteral("CABFILENAME"), cabName_);
}

UINT CABFile::CabCallBack(void* Context, UINT Notification, UINT_PTR Param1, UINT_PTR)
{
    if (!Param1)
        return NO_ERROR;
    switch (Notification) {
    case SPFILENOTIFY_FILEINCABINET: {
        auto& info = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(Param1);
        switch (FromContext(Context)) {
        case kCountContext:
            ++fileCounter_;
            declaredBytes_ += info.FileSize;
            return FILEOP_SKIP;
        case kInfoContext: return InfoStep(info, false);
        case kExtractContext: return ExtractStep(info);
        case kXmlContext: return InfoStep(info, true);
        default: return 0;
        }
    }
    case SPFILENOTIFY_FILEEXTRACTED: {
        const auto& paths = *reinterpret_cast<const FILEPATHS_A*>(Param1);
        if (paths.Win32Error == NO_ERROR) {
            if (listener_)
                listener_->AfterExtract(QFile::decodeName(paths.Target));
            return NO_ERROR;
        }
        // Salvage: a damaged entry is reported and the walk goes on, so every
        // intact file is still written; Extract then fails with the first error.
        Refuse(offered_, QStringLiteral("It could not be unpacked: %1").arg(Win32ErrorText(paths.Win32Error)));
        if (firstWriteError_ == NO_ERROR)
            firstWriteError_ = paths.Win32Error;
        return NO_ERROR;
    }
    case SPFILENOTIFY_NEEDNEWCABINET:
    default:
        return NO_ERROR;
    }
}

UINT CABFile::InfoStep(const FILE_IN_CABINET_INFO_A& info, bool listing)
{
    const QString fullName = QString::fromUtf8(info.NameInCabinet);
    QString folderPart, namePart;
    CabFilesCallback::SplitCabPath(fullName, folderPart, namePart);

    UINT answer = FILEOP_SKIP;
    if (!filter_.isEmpty()) {
        if (filter_.compare(namePart, Qt::CaseInsensitive) != 0)
            return answer;
        answer = FILEOP_ABORT; // the file asked for is found: no need to read on
    }

    const QDateTime stamp = ToCabFileTime(info.DosDate, info.DosTime);
    if (listing) {
        const QString fields = XmlElement(XmlEscape(fullName), QStringLiteral("FULLNAME"))
                               + XmlElement(XmlEscape(namePart), QStringLiteral("NAME"))
                               + XmlElement(CabDateText(stamp), QStringLiteral("DATE"))
                               + XmlElement(QString::number(info.FileSize), QStringLiteral("SIZE"))
                               + XmlElement(XmlEscape(folderPart), QStringLiteral("PATH"));
        listing_ += XmlElement(fields, QStringLiteral("FILE")) + QStringLiteral("\r\n");
    } else if (listener_) {
        listener_->FileFound(namePart, stamp, info.FileSize, folderPart);
    }
    return answer;
}

void CABFile::Refuse(const QString& name, const QString& reason)
{
    refused_.append(CabRefusal{name, reason});
}

UINT CABFile::ExtractStep(FILE_IN_CABINET_INFO_A& info)
{
    const std::string storedName = info.NameInCabinet;
    const QString fullName = QString::fromUtf8(info.NameInCabinet);

    QString folder = outputPath_;
    if (folder.isEmpty()) {
        QString namePart;
        CabFilesCallback::SplitCabPath(cabName_, folder, namePart);
    }
    // A bare cabinet name lies in the working folder, not at the root.
    if (folder.isEmpty())
        folder = QStringLiteral(".");
    folder = NativeSeparators(folder);
    const std::string nativeFolder = QFile::encodeName(folder).toStdString();
    const std::string safeTarget = cab::SafeTargetPath(nativeFolder, storedName);

    // An entry that cannot be unpacked inside the folder never names the study
    // to open: its path would point at whatever lies outside.
    if (fullName.toUpper().endsWith(QStringLiteral(".DVF")) && !safeTarget.empty() && module_)
        module_->PackageStudyFile = fullName;

    if (!filter_.isEmpty() && filter_.compare(fullName, Qt::CaseInsensitive) != 0)
        return FILEOP_SKIP;
    bool cancel = false;
    if (listener_)
        listener_->BeforeExtract(fullName, cancel);
    if (cancel)
        return FILEOP_SKIP;

    if (outputFile_.isEmpty() && safeTarget.empty()) {
        Refuse(fullName, QStringLiteral("Its name would place it outside the folder it is extracted to."));
        return FILEOP_SKIP;
    }
    if (!targetFolder_) {
        targetFolder_ = std::make_shared<cab::TargetFolder>();
        if (const cab::CabError error = targetFolder_->Open(nativeFolder)) {
            Refuse(fullName, QStringLiteral("Its folder could not be created: %1.").arg(QString::fromStdString(error.message)));
            targetFolder_.reset();
            return FILEOP_SKIP;
        }
    }
    // Placed without following links below the folder, creating what is missing.
    const std::string name = outputFile_.isEmpty() ? storedName : QFile::encodeName(outputFile_).toStdString();
    const cab::Target place = targetFolder_->Place(name);
    if (place.error) {
        const QString why = QString::fromStdString(place.error.message);
        if (place.error.code == cab::kErrorInvalidName)
            Refuse(fullName, QStringLiteral("Its name would place it outside the folder it is extracted to."));
        else if (place.error.code == cab::kErrorAccessDenied)
            Refuse(fullName, QStringLiteral("It would be written through a link: %1.").arg(why));
        else
            Refuse(fullName, QStringLiteral("Its folder could not be created: %1.").arg(why));
        return FILEOP_SKIP;
    }
    struct stat cabinet {};
    if (place.existing && ::stat(QFile::encodeName(cabName_).constData(), &cabinet) == 0
        && *place.existing == cab::io::IdOf(cabinet)) {
        Refuse(fullName, QStringLiteral("It would replace the package it comes from."));
        return FILEOP_SKIP;
    }
    const QByteArray target = QByteArray::fromStdString(place.path);
    offered_ = fullName;

    if (target.size() + 1 > qsizetype(sizeof info.FullTargetName)) {
        throw CabFileError(static_cast<qint32>(ERROR_FILENAME_EXCED_RANGE), kSource + QStringLiteral(".CabCallBack"),
                           Win32ErrorText(ERROR_FILENAME_EXCED_RANGE));
    }
    std::memcpy(info.FullTargetName, target.constData(), target.size());
    info.FullTargetName[target.size()] = '\0';
    return FILEOP_DOIT;
}

} // namespace cabreader
