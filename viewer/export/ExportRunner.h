// Runs one long export on a thread of its own, so the window keeps painting and
// takes a Cancel without a nested event loop. Progress and the end are reported
// as signals on the thread that owns the runner.
//
//   Idle --Start--> Running --(the export returns)--> Idle, Finished emitted
//   Running --Cancel--> Running (the export stops at its next frame) --> Idle
#pragma once

#include "viewer/export/AnimationExport.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <thread>

namespace exporting {

class ExportRunner : public QObject {
    Q_OBJECT

public:
    // Given the progress callback to call; its answer says whether to go on.
    using Job = std::function<ExportOutcome(const ExportProgress& progress)>;

    explicit ExportRunner(QObject* parent = nullptr);
    // Cancels a running export and waits for its thread.
    ~ExportRunner() override;

    // Starts `job`; false (and nothing started) while another one runs. The
    // job must not touch the runner's owner or any widget.
    bool Start(Job job);
    // Asks the running export to stop; Finished follows with Cancelled set.
    void Cancel();
    bool Running() const { return running_; }

signals:
    // At most one pending at a time, so a fast export does not flood the loop.
    void Progress(int done, int total);
    void Finished(const exporting::ExportOutcome& outcome);

private:
    void Join();

    std::thread thread_;
    bool running_ = false;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> progressPosted_{false};
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
};

} // namespace exporting
