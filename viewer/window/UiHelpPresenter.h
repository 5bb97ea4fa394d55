// Help topics shown through the program's user-interface services: the
// desktop's handler opens the help file, message boxes tell what went wrong.
#pragma once

#include "viewer/settings/HelpTopics.h"

namespace ui {
class UiServices;
}

namespace viewer {

class UiHelpPresenter final : public settings::HelpPresenter {
public:
    explicit UiHelpPresenter(ui::UiServices& ui) : ui_(ui) {}
    bool OpenHelp(const QString& helpFile, qint32 topicId) override;
    void ShowMessage(const QString& text, const QString& title) override;

private:
    ui::UiServices& ui_;
};

} // namespace viewer
