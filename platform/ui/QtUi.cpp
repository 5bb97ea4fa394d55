#include "platform/ui/QtUi.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTime>
#include <QUrl>

namespace ui {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSet {
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

ButtonSet ToQtButtons(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
    case MessageButtons::OkCancel:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, QMessageBox::Cancel};
    case MessageButtons::AbortRetryIgnore:
        return {QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, QMessageBox::Abort,
                QMessageBox::Abort};
    case MessageButtons::YesNoCancel:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                QMessageBox::Cancel};
    case MessageButtons::YesNo:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, QMessageBox::No};
    case MessageButtons::RetryCancel:
        return {QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::Retry, QMessageBox::Cancel};
    }
    return {QMessageBox::Ok, QMessageBox::Ok, QMessageBox::Ok};
}

MessageAnswer FromQtButton(int button, MessageButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Abort:
        return MessageAnswer::Abort;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Ignore:
        return MessageAnswer::Ignore;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        break;
    }
    // A box closed some other way answers as its escape button would.
    return FromQtButton(ToQtButtons(buttons).escapeButton, buttons);
}

QWidget* OwnerOf(QWidget* parent)
{
    return parent ? parent : QApplication::activeWindow();
}

// "*.dvf" becomes "*.[dD][vV][fF]": the file system may be case-sensitive but
// the names in a study were written on one that is not.
QString AnyCasePattern(const QString& pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper()) {
            out += u'[';
            out += c.toLower();
            out += c.toUpper();
            out += u']';
        } else {
            out += c;
        }
    }
    return out;
}

// The nearest folder of `start` that exists. Given a folder that is not there,
// the dialog would take its last part for a file name and offer it.
QString ExistingFolder(const QString& start)
{
    if (start.isEmpty())
        return {};
    QDir folder(QDir::fromNativeSeparators(start));
    QString path = folder.absolutePath();
    while (!QFileInfo(path).isDir()) {
        const QString parent = QFileInfo(path).path();
        if (parent == path)
            return {};
        path = parent;
    }
    return path;
}

enum class FileDialogKind { Open, Save, Folder };

std::optional<QString> RunFileDialog(const FileDialogRequest& request, FileDialogKind kind)
{
    const bool save = kind == FileDialogKind::Save;
    QFileDialog dialog(OwnerOf(request.parent), request.title);
    const QString folder = ExistingFolder(request.startFolder);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (kind == FileDialogKind::Folder) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
    } else if (save) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         !(request.flags & fileflags::kOverwritePrompt));
    } else {
        dialog.setFileMode((request.flags & fileflags::kFileMustExist) ? QFileDialog::ExistingFile
                                                                       : QFileDialog::AnyFile);
    }
    const QStringList filters = ConvertFileFilter(request.filter);
    if (!filters.isEmpty() && kind != FileDialogKind::Folder)
        dialog.setNameFilters(filters);
    if (!request.defaultExt.isEmpty())
        dialog.setDefaultSuffix(request.defaultExt);
    if (!request.fileName.isEmpty())
        dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace

QStringList ConvertFileFilter(const QString& filter)
{
    QStringList out;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = p.trimmed();
            if (!trimmed.isEmpty())
                patterns << AnyCasePattern(trimmed);
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        out << description + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return out;
}

MessageAnswer QtUi::ShowMessage(const MessageRequest& request)
{
    const ButtonSet set = ToQtButtons(request.buttons);
    QMessageBox box(ToQtIcon(request.icon), request.title, request.text, set.buttons,
                    OwnerOf(request.parent));
    box.setDefaultButton(set.defaultButton);
    box.setEscapeButton(set.escapeButton);
    box.setWindowModality(Qt::ApplicationModal);
    if (request.systemModal)
        box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    return FromQtButton(box.exec(), request.buttons);
}

std::optional<QString> QtUi::GetOpenFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, FileDialogKind::Open);
}

std::optional<QString> QtUi::GetSaveFileName(const FileDialogRequest& request)
{
    return RunFileDialog(request, FileDialogKind::Save);
}

std::optional<QString> QtUi::GetExistingFolder(const FileDialogRequest& request)
{
    return RunFileDialog(request, FileDialogKind::Folder);
}

void QtUi::SetCursor(CursorShape shape)
{
    if (shape == cursor_)
        return;
    if (shape == CursorShape::Default) {
        QGuiApplication::restoreOverrideCursor();
    } else {
        const QCursor cursor(shape == CursorShape::Hourglass ? Qt::WaitCursor : Qt::BusyCursor);
        // One override of ours at a time: change it rather than stack another.
        if (cursor_ == CursorShape::Default)
            QGuiApplication::setOverrideCursor(cursor);
        else
            QGuiApplication::changeOverrideCursor(cursor);
    }
    cursor_ = shape;
}

CursorShape QtUi::Cursor() const
{
    return cursor_;
}

int QtUi::ShowModal(QDialog& dialog)
{
    return dialog.exec();
}

double QtUi::TimeOfDaySeconds()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

bool QtUi::OpenDocument(const QString& path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace ui
