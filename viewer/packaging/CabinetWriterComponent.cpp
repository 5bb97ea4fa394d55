#include "viewer/packaging/CabinetWriterComponent.h"

#include "platform/cab/CabWriter.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/ComObject.h"

#include <QFile>

#include <memory>
#include <new>

namespace packaging {

namespace {

com::Module& PackagingModule()
{
    static com::Module module;
    return module;
}

class CabinetWriter final : public com::Object, public ICabinetWriter {
public:
    CabinetWriter() : com::Object(PackagingModule()) {}

    com::HRESULT CreateCabinet(const QString& Path, bool, bool, bool) override
    {
        writer_.reset();
        if (Path.isEmpty())
            return Fail(com::kEInvalidArg, QStringLiteral("The package needs a file name."));
        return Guarded([&] {
            writer_ = std::make_unique<cab::CabWriter>(QFile::encodeName(Path).toStdString());
            foldersDone_ = 0;
            folderTotal_ = 0;
            progressState_ = {};
            writer_->SetProgress([this](const cab::WriteProgress& p) { return Report(p); });
            return com::kSOk;
        });
    }

    com::HRESULT AddCabinetFile(const QString& SourcePath, const QString& EntryName) override
    {
        if (!writer_)
            return Fail(kEUnexpected, QStringLiteral("No package has been started."));
        return Guarded([&] {
            cab::WriterSource source;
            source.sourcePath = QFile::encodeName(SourcePath).toStdString();
            source.nameInCab = EntryName.toUtf8().toStdString();
            source.compression = cab::Compression::MsZip;
            return FromCab(writer_->AddFile(source));
        });
    }

    com::HRESULT CloseCabinet() override
    {
        if (!writer_)
            return Fail(kEUnexpected, QStringLiteral("No package has been started."));
        return Guarded([&] {
            const com::HRESULT hr = FromCab(writer_->Commit());
            writer_.reset();
            return hr;
        });
    }

    QString ErrorDescription() const override { return error_; }

    void SetProgress(std::function<void(const CabinetWriterProgress&)> progress) override
    {
        progress_ = std::move(progress);
    }

private:
    com::HRESULT Fail(com::HRESULT hr, const QString& description)
    {
        error_ = description;
        return hr;
    }

    com::HRESULT FromCab(const cab::CabError& error)
    {
        if (!error) {
            error_.clear();
            return com::kSOk;
        }
        // A failed cabinet cannot go on: the writer has removed its temporary files.
        writer_.reset();
        QString text = QString::fromStdString(error.message);
        if (text.isEmpty())
            text = QStringLiteral("The cabinet could not be written (system error %1).").arg(error.code);
        return Fail(HResultFromWin32(error.code), text);
    }

    template <class Call>
    com::HRESULT Guarded(Call&& call)
    {
        try {
            return call();
        } catch (const std::bad_alloc&) {
            writer_.reset();
            return Fail(com::kEOutOfMemory, QStringLiteral("There is not enough memory to write the package."));
        } catch (const std::exception& e) {
            writer_.reset();
            return Fail(com::kEFail, QString::fromLocal8Bit(e.what()));
        }
    }

    bool Report(const cab::WriteProgress& p)
    {
        progressState_.SourceBytesRead = p.totalRead;
        if (p.kind == cab::WriteProgress::FolderWritten) {
            // A cabinet beyond 2 GiB has several folders, each copied in turn.
            if (p.second != folderTotal_ || p.first < lastCopied_) {
                if (folderTotal_ != 0)
                    foldersDone_ += folderTotal_;
                folderTotal_ = p.second;
            }
            lastCopied_ = p.first;
            progressState_.CabinetBytesWritten = foldersDone_ + p.first;
            progressState_.CabinetBytesTotal = foldersDone_ + p.second;
        } else if (p.kind == cab::WriteProgress::CabinetWritten) {
            progressState_.CabinetBytesWritten = progressState_.CabinetBytesTotal =
                std::max<quint64>(progressState_.CabinetBytesTotal, 1);
        }
        if (progress_)
            progress_(progressState_);
        return true;
    }

    std::unique_ptr<cab::CabWriter> writer_;
    QString error_;
    std::function<void(const CabinetWriterProgress&)> progress_;
    CabinetWriterProgress progressState_;
    quint64 foldersDone_ = 0;
    quint64 folderTotal_ = 0;
    quint64 lastCopied_ = 0;
};

} // namespace

com::HRESULT HResultFromWin32(quint32 code)
{
    if (code == 0)
        return com::kSOk;
    return static_cast<com::HRESULT>(0x80070000u | (code & 0xFFFFu));
}

void RegisterCabinetWriterComponent()
{
    com::ClassRegistry& registry = com::ClassRegistry::Instance();
    if (registry.IsRegistered(kClsidCabinetWriter))
        return;
    com::ClassInfo info;
    info.clsid = kClsidCabinetWriter;
    info.progId = kCabinetWriterProgId;
    info.library = "HALVEX-Daystrand";
    info.module = &PackagingModule();
    info.create = [] { return std::static_pointer_cast<com::Object>(std::make_shared<CabinetWriter>()); };
    registry.Register(std::move(info));
}

} // namespace packaging
