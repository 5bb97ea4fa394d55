#include "viewer/export/ExportRunner.h"

#include <QMetaObject>

#include <exception>

namespace exporting {

ExportRunner::ExportRunner(QObject* parent) : QObject(parent) {}

ExportRunner::~ExportRunner()
{
    cancel_.store(true);
    Join();
}

void ExportRunner::Join()
{
    if (thread_.joinable())
        thread_.join();
}

bool ExportRunner::Start(Job job)
{
    if (running_)
        return false;
    Join();
    running_ = true;
    cancel_.store(false);
    progressPosted_.store(false);
    done_.store(0);
    total_.store(0);
    thread_ = std::thread([this, job = std::move(job)] {
        const ExportProgress progress = [this](int done, int total) {
            done_.store(done);
            total_.store(total);
            if (!progressPosted_.exchange(true)) {
                QMetaObject::invokeMethod(this, [this] {
                    progressPosted_.store(false);
                    emit Progress(done_.load(), total_.load());
                }, Qt::QueuedConnection);
            }
            return !cancel_.load();
        };
        ExportOutcome outcome;
        try {
            outcome = job(progress);
        } catch (const std::exception& e) {
            outcome.Error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            outcome.Error = QStringLiteral("The export failed");
        }
        QMetaObject::invokeMethod(this, [this, outcome] {
            Join();
            running_ = false;
            emit Finished(outcome);
        }, Qt::QueuedConnection);
    });
    return true;
}

void ExportRunner::Cancel()
{
    cancel_.store(true);
}

} // namespace exporting
