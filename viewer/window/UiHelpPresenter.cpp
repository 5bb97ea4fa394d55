#include "viewer/window/UiHelpPresenter.h"

#include "platform/ui/UiServices.h"

namespace viewer {

bool UiHelpPresenter::OpenHelp(const QString& helpFile, qint32 topicId)
{
    Q_UNUSED(topicId); // desktop handlers open a help file at its start
    return ui_.OpenDocument(helpFile);
}

void UiHelpPresenter::ShowMessage(const QString& text, const QString& title)
{
    ui_.Message(text, title, ui::MessageButtons::Ok, ui::MessageIcon::Exclamation);
}

} // namespace viewer
