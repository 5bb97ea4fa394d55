// A UiServices for tests: records every call and answers from a script, so a
// test can drive a window without a screen and read back what the user would
// have seen.
#pragma once

#include "platform/ui/UiServices.h"

#include <deque>
#include <functional>
#include <vector>

namespace ui {

class FakeUi : public UiServices {
public:
    enum class DialogKind { Open, Save, Folder };
    struct FileDialogCall {
        DialogKind kind;
        FileDialogRequest request;
    };
    struct ModalCall {
        QString objectName;
        QString windowTitle;
    };

    // --- the script ---
    // Answers to message boxes, used in order. When empty a box answers with its
    // first button (Ok, Abort, Yes or Retry).
    std::deque<MessageAnswer> messageAnswers;
    // Answers to file dialogs, used in order; nullopt cancels. When empty the
    // dialog is cancelled.
    std::deque<std::optional<QString>> fileAnswers;
    // Runs in place of the modal loop while a dialog is "shown"; its result is
    // what ShowModal returns. Without it ShowModal returns QDialog::Rejected.
    std::function<int(QDialog&)> onModal;
    // What OpenDocument returns.
    bool openDocumentSucceeds = true;
    // The clock: TimeOfDaySeconds returns `now` and then adds `stepPerRead`
    // (wrapping at midnight like the real clock).
    double now = 0.0;
    double stepPerRead = 0.0;

    // --- the record ---
    std::vector<MessageRequest> messages;
    std::vector<FileDialogCall> fileDialogs;
    std::vector<CursorShape> cursorChanges; // every SetCursor, in order
    std::vector<ModalCall> modals;
    std::vector<QString> openedDocuments;
    int clockReads = 0;

    // Moves the clock forward, wrapping at midnight.
    void Advance(double seconds);

    MessageAnswer ShowMessage(const MessageRequest& request) override;
    std::optional<QString> GetOpenFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const FileDialogRequest& request) override;
    std::optional<QString> GetExistingFolder(const FileDialogRequest& request) override;
    void SetCursor(CursorShape shape) override;
    CursorShape Cursor() const override;
    int ShowModal(QDialog& dialog) override;
    double TimeOfDaySeconds() override;
    bool OpenDocument(const QString& path) override;

private:
    std::optional<QString> NextFileAnswer();

    CursorShape cursor_ = CursorShape::Default;
};

} // namespace ui
