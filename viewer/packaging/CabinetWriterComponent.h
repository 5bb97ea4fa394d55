// The cabinet writer component the viewer packs studies with: a class created
// through the class registry by its identifier, writing an MSZIP cabinet that
// appears under its name only when complete.
#pragma once

#include "platform/com/ComError.h"
#include "platform/com/Guid.h"

#include <QString>
#include <QtGlobal>

#include <functional>

namespace packaging {

inline constexpr com::Guid kClsidCabinetWriter = com::Guid::Parse("{8E17FFF3-C5BA-11D1-8D8A-0060088F38C8}");
inline constexpr com::Guid kIidCabinetWriter = com::Guid::Parse("{8E17FFF2-C5BA-11D1-8D8A-0060088F38C8}");
inline constexpr char kCabinetWriterProgId[] = "HalvexPackaging.CabinetWriter";

// How far a cabinet has come. While files are added only SourceBytesRead
// grows; CloseCabinet then copies the compressed data into the cabinet.
struct CabinetWriterProgress {
    quint64 SourceBytesRead = 0;
    quint64 CabinetBytesWritten = 0;
    quint64 CabinetBytesTotal = 0; // 0 until CloseCabinet starts copying
};

// What the packaging calls, in this order: CreateCabinet, AddCabinetFile for
// each file, CloseCabinet. Every call answers an HRESULT; after a failure
// ErrorDescription() says what went wrong in words for the user.
class ICabinetWriter {
public:
    virtual ~ICabinetWriter() = default;

    // Starts a cabinet at Path, giving up any cabinet started before and not
    // closed. The three flags are accepted for the callers that pass them and
    // change nothing: every cabinet is one MSZIP-compressed cabinet.
    virtual com::HRESULT CreateCabinet(const QString& Path, bool flag1, bool flag2, bool flag3) = 0;
    // Reads and compresses SourcePath now, to be stored as EntryName.
    virtual com::HRESULT AddCabinetFile(const QString& SourcePath, const QString& EntryName) = 0;
    // Writes the cabinet beside its path and renames it into place; until this
    // succeeds, a file already at the path is untouched.
    virtual com::HRESULT CloseCabinet() = 0;

    virtual QString ErrorDescription() const = 0;
    virtual void SetProgress(std::function<void(const CabinetWriterProgress&)> progress) = 0;
};

// HRESULTs of the component's own refusals.
inline constexpr com::HRESULT kEUnexpected = static_cast<com::HRESULT>(0x8000FFFFu);

// HRESULT_FROM_WIN32 of a cabinet codec error code.
com::HRESULT HResultFromWin32(quint32 code);

// Puts the component in the process's class registry unless a class is
// registered under its identifier already (a test may have put its own there).
void RegisterCabinetWriterComponent();

} // namespace packaging
