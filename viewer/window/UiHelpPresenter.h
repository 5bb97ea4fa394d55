// Help topics shown in the program's own help window; message boxes tell
// what went wrong.
#pragma once

#include "viewer/settings/HelpTopics.h"

#include <memory>

namespace help {
class HelpWindow;
}
namespace ui {
class UiServices;
}

namespace viewer {

class UiHelpPresenter final : public settings::HelpPresenter {
public:
    explicit UiHelpPresenter(ui::UiServices& ui);
    ~UiHelpPresenter() override;
    bool OpenHelp(const QString& helpFile, qint32 topicId) override;
    void ShowMessage(const QString& text, const QString& title) override;

    // The help window once a topic has been shown, otherwise nullptr.
    help::HelpWindow* Window() const { return window_.get(); }

private:
    ui::UiServices& ui_;
    std::unique_ptr<help::HelpWindow> window_;
};

} // namespace viewer
