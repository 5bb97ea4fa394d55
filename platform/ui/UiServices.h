// The user-interface services the viewer's windows call: message boxes, file
// dialogs, the mouse pointer, modal windows, the clock and the desktop's document
// handler. Windows take a UiServices& so tests can put FakeUi in its place.
#pragma once

#include <QString>
#include <QWidget>

#include <optional>

class QDialog;

namespace ui {

// The buttons of a message box; the values are those of the Windows message box styles.
enum class MessageButtons {
    Ok = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5,
};

enum class MessageIcon {
    None = 0,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};

// The button that closed a message box; the values are the Windows answer codes.
enum class MessageAnswer {
    Ok = 1,
    Cancel = 2,
    Abort = 3,
    Retry = 4,
    Ignore = 5,
    Yes = 6,
    No = 7,
};

struct MessageRequest {
    QString text;
    QString title;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    bool systemModal = false; // stays above every window until answered
    QWidget* parent = nullptr; // nullptr: the active window
};

// Flags of the file dialogs, with the values the Windows dialog gives them, so
// a caller can pass the number it was written with (0x1004, 0x8804).
namespace fileflags {
inline constexpr unsigned kReadOnly = 0x1;
inline constexpr unsigned kOverwritePrompt = 0x2;   // Save As asks before replacing a file
inline constexpr unsigned kHideReadOnly = 0x4;      // no read-only box (this dialog never has one)
inline constexpr unsigned kPathMustExist = 0x800;
inline constexpr unsigned kFileMustExist = 0x1000;  // Open accepts only existing files
inline constexpr unsigned kNoReadOnlyReturn = 0x8000; // a read-only file may not be chosen
} // namespace fileflags

struct FileDialogRequest {
    QString startFolder;  // "" starts where the dialog starts by itself
    QString title;
    QString filter;       // "Description|*.a;*.b|Other|*.c", as the program's texts write it
    QString fileName;     // name offered at first (Save As)
    QString defaultExt;   // without its dot; added to a typed name that has no extension
    unsigned flags = 0;   // fileflags
    QWidget* parent = nullptr;
};

// Mouse pointer shapes the viewer uses while it works.
enum class CursorShape {
    Default,        // whatever the control under the pointer shows
    Hourglass,      // busy: loading, unpacking, writing
    ArrowHourglass, // busy but still taking input: playback
};

class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MessageAnswer ShowMessage(const MessageRequest& request) = 0;

    // The chosen file's full path, or nullopt when the user cancelled.
    virtual std::optional<QString> GetOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> GetSaveFileName(const FileDialogRequest& request) = 0;
    // A folder to write into (filter, fileName and defaultExt are not used).
    virtual std::optional<QString> GetExistingFolder(const FileDialogRequest& request) = 0;

    // Sets the application-wide pointer; Default removes the busy shapes.
    virtual void SetCursor(CursorShape shape) = 0;
    virtual CursorShape Cursor() const = 0;

    // Shows the dialog modally and returns its result code once it has closed.
    virtual int ShowModal(QDialog& dialog) = 0;

    // Seconds since local midnight, with fractions; restarts at 0 at midnight.
    virtual double TimeOfDaySeconds() = 0;

    // Opens a document (a help file, a read-me) with the desktop's handler for it.
    // False when no handler could be started.
    virtual bool OpenDocument(const QString& path) = 0;

    // Convenience for the common call.
    MessageAnswer Message(const QString& text, const QString& title,
                          MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::None, bool systemModal = false)
    {
        return ShowMessage({text, title, buttons, icon, systemModal, nullptr});
    }
};

// Seconds from `start` to `now`, both read from TimeOfDaySeconds: a wait that
// crosses midnight still counts forward.
double ElapsedSeconds(double start, double now);

// Shows a busy pointer for one scope and puts the previous pointer back on every
// way out, exceptions included.
class CursorGuard {
public:
    CursorGuard(UiServices& ui, CursorShape shape) : ui_(ui), previous_(ui.Cursor())
    {
        ui_.SetCursor(shape);
    }
    ~CursorGuard() { ui_.SetCursor(previous_); }
    CursorGuard(const CursorGuard&) = delete;
    CursorGuard& operator=(const CursorGuard&) = delete;

private:
    UiServices& ui_;
    CursorShape previous_;
};

} // namespace ui
