#include "viewer/export/ExportDialogParts.h"

#include "viewer/export/AnimationEncoder.h"
#include "viewer/export/ExportContext.h"
#include "viewer/settings/HelpTopics.h"

#include "platform/ui/UiServices.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace exporting {

OutputRow MakeOutputRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QObject::tr("Save &as:"), row);
    auto* file = new QLineEdit(row);
    file->setObjectName(QStringLiteral("txtFile"));
    file->setMinimumWidth(320);
    label->setBuddy(file);
    auto* browse = new QPushButton(QObject::tr("&Browse..."), row);
    browse->setObjectName(QStringLiteral("cmdBrowse"));
    layout->addWidget(label);
    layout->addWidget(file, 1);
    layout->addWidget(browse);
    return {row, file, browse};
}

QDialogButtonBox* MakeOkCancel(QDialog* dialog, const QString& helpFile, qint32 helpTopic)
{
    auto* buttons =
        new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, dialog);
    buttons->button(QDialogButtonBox::Help)->setObjectName(QStringLiteral("cmdHelp"));
    QObject::connect(buttons, &QDialogButtonBox::helpRequested, dialog,
                     [helpFile, helpTopic] { settings::ShowHelpTopic(helpFile, helpTopic); });
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOk"));
    buttons->button(QDialogButtonBox::Ok)->setText(QObject::tr("&Export"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

void FillSizes(QComboBox* sizes, QSize shown, bool even)
{
    const double kept = sizes->count() > 0 ? ChosenScale(sizes) : 1.0;
    sizes->clear();
    struct Offer {
        double scale;
        const char* text;
    };
    for (const Offer& offer : {Offer{1.0, "As shown (%1 x %2)"}, Offer{1.5, "1.5 times (%1 x %2)"},
                               Offer{2.0, "Twice as large (%1 x %2)"}}) {
        QSize size(static_cast<int>(std::lround(shown.width() * offer.scale)),
                   static_cast<int>(std::lround(shown.height() * offer.scale)));
        if (even)
            size = EvenSize(size);
        sizes->addItem(QObject::tr(offer.text).arg(size.width()).arg(size.height()), offer.scale);
    }
    const int index = sizes->findData(kept);
    sizes->setCurrentIndex(index < 0 ? 0 : index);
}

double ChosenScale(const QComboBox* sizes)
{
    const QVariant data = sizes->currentData();
    return data.isValid() ? data.toDouble() : 1.0;
}

QString WithSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty())
        return path;
    const QFileInfo info(path);
    const QString base = info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
    return base + QLatin1Char('.') + suffix;
}

bool CheckOutputFile(ui::UiServices& ui, const QString& path, const QString& title, QWidget* parent)
{
    const auto warn = [&](const QString& text) {
        ui.ShowMessage({text, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation, false, parent});
        return false;
    };
    if (path.trimmed().isEmpty() || QFileInfo(path).fileName().isEmpty())
        return warn(QObject::tr(kMsgNoFileName));
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return warn(QObject::tr(kMsgNoFolder).arg(QDir::toNativeSeparators(folder)));
    return true;
}

bool ConfirmReplace(ui::UiServices& ui, const QString& path, const QString& title, QWidget* parent)
{
    if (!QFileInfo::exists(path))
        return true;
    const ui::MessageAnswer answer =
        ui.ShowMessage({QObject::tr(kMsgReplace).arg(QDir::toNativeSeparators(path)), title, ui::MessageButtons::YesNo,
                        ui::MessageIcon::Exclamation, false, parent});
    return answer == ui::MessageAnswer::Yes;
}

} // namespace exporting
