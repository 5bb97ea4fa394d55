#include "platform/ui/FakeUi.h"

#include <QDialog>

#include <cmath>

namespace ui {

namespace {

constexpr double kSecondsPerDay = 86400.0;

MessageAnswer FirstButton(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        return MessageAnswer::Ok;
    case MessageButtons::AbortRetryIgnore:
        return MessageAnswer::Abort;
    case MessageButtons::YesNoCancel:
    case MessageButtons::YesNo:
        return MessageAnswer::Yes;
    case MessageButtons::RetryCancel:
        return MessageAnswer::Retry;
    }
    return MessageAnswer::Ok;
}

} // namespace

void FakeUi::Advance(double seconds)
{
    now = std::fmod(now + seconds, kSecondsPerDay);
    if (now < 0)
        now += kSecondsPerDay;
}

MessageAnswer FakeUi::ShowMessage(const MessageRequest& request)
{
    messages.push_back(request);
    if (messageAnswers.empty())
        return FirstButton(request.buttons);
    const MessageAnswer answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

std::optional<QString> FakeUi::NextFileAnswer()
{
    if (fileAnswers.empty())
        return std::nullopt;
    const bool chosen = fileAnswers.front().has_value();
    const QString path = chosen ? *fileAnswers.front() : QString();
    fileAnswers.pop_front();
    if (!chosen)
        return std::nullopt;
    return path;
}

std::optional<QString> FakeUi::GetOpenFileName(const FileDialogRequest& request)
{
    fileDialogs.push_back({DialogKind::Open, request});
    return NextFileAnswer();
}

std::optional<QString> FakeUi::GetSaveFileName(const FileDialogRequest& request)
{
    fileDialogs.push_back({DialogKind::Save, request});
    return NextFileAnswer();
}

std::optional<QString> FakeUi::GetExistingFolder(const FileDialogRequest& request)
{
    fileDialogs.push_back({DialogKind::Folder, request});
    return NextFileAnswer();
}

void FakeUi::SetCursor(CursorShape shape)
{
    cursor_ = shape;
    cursorChanges.push_back(shape);
}

CursorShape FakeUi::Cursor() const
{
    return cursor_;
}

int FakeUi::ShowModal(QDialog& dialog)
{
    modals.push_back({dialog.objectName(), dialog.windowTitle()});
    if (!onModal)
        return QDialog::Rejected;
    return onModal(dialog);
}

double FakeUi::TimeOfDaySeconds()
{
    ++clockReads;
    const double reading = now;
    if (stepPerRead != 0.0)
        Advance(stepPerRead);
    return reading;
}

bool FakeUi::OpenDocument(const QString& path)
{
    openedDocuments.push_back(path);
    return openDocumentSucceeds;
}

} // namespace ui
