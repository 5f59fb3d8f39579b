#include "write_progress.h"

#include "files/output_file.h"

#include <QCoreApplication>
#include <QProgressDialog>

#include <chrono>
#include <future>

namespace velmora {

WriteProgress::WriteProgress(QWidget* parent, const QString& label)
    : dialog_(std::make_unique<QProgressDialog>(label, QStringLiteral("Отмена"), 0, 0, parent))
{
    dialog_->setObjectName(QStringLiteral("WriteProgressDialog"));
    dialog_->setWindowTitle(QStringLiteral("Вельмора"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setMinimumDuration(kShowAfterMs);
    // The dialog goes with the write, not when the bar is full.
    dialog_->setAutoClose(false);
    dialog_->setAutoReset(false);
    started_.start();
    ++busy_;
}

WriteProgress::~WriteProgress()
{
    --busy_;
}

void WriteProgress::ThrowIfCancelled() const
{
    if (dialog_->wasCanceled())
        throw WriteCancelled();
}

void WriteProgress::KeepWindowPainted()
{
    if (!dialog_->isVisible() && started_.elapsed() >= kShowAfterMs)
        dialog_->show();
    // Until the dialog is up, the window takes no input: a click would start a command in the
    // middle of this one. Once it is up, it keeps the window from input itself.
    QCoreApplication::processEvents(dialog_->isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void WriteProgress::Step(int done, int total)
{
    ThrowIfCancelled();
    if (dialog_->maximum() != total)
        dialog_->setMaximum(total);
    dialog_->setValue(done);
    KeepWindowPainted();
    ThrowIfCancelled();
}

void WriteProgress::RunAside(const std::function<void()>& write)
{
    ThrowIfCancelled();
    std::future<void> done = std::async(std::launch::async, write);
    do
        KeepWindowPainted();
    while (done.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready);
    done.get();
    ThrowIfCancelled();
}

} // namespace velmora
