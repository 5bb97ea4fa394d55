#include "viewer/window/UiHelpPresenter.h"

#include "platform/ui/UiServices.h"
#include "viewer/help/HelpWindow.h"

#include <QFileInfo>

namespace viewer {

UiHelpPresenter::UiHelpPresenter(ui::UiServices& ui) : ui_(ui) {}

UiHelpPresenter::~UiHelpPresenter() = default;

bool UiHelpPresenter::OpenHelp(const QString& helpFile, qint32 topicId)
{
    // One window serves every topic, so Back and Forward span all the pages read.
    const QString folder = QFileInfo(helpFile).absolutePath();
    if (!window_ || window_->HelpFolder() != folder)
        window_ = std::make_unique<help::HelpWindow>(folder);
    window_->ShowPage(settings::HelpTopicPage(topicId));
    return true;
}

void UiHelpPresenter::ShowMessage(const QString& text, const QString& title)
{
    ui_.Message(text, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

} // namespace viewer
