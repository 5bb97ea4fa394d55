// A help presenter that records the topics asked for instead of showing them,
// installed for as long as it lives.
#pragma once

#include "viewer/settings/HelpTopics.h"

#include <vector>

namespace testsupport {

struct HelpRecorder final : settings::HelpPresenter {
    std::vector<qint32> topics;

    HelpRecorder() { settings::SetHelpPresenter(this); }
    ~HelpRecorder() override { settings::SetHelpPresenter(nullptr); }
    HelpRecorder(const HelpRecorder&) = delete;
    HelpRecorder& operator=(const HelpRecorder&) = delete;

    bool OpenHelp(const QString&, qint32 topicId) override
    {
        topics.push_back(topicId);
        return true;
    }
    void ShowMessage(const QString&, const QString&) override {}
};

} // namespace testsupport
