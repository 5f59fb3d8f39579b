#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace velmora {

// A long write from the window (a PDF, the workbook, a large scheme file): a window-modal dialog
// with the label and "Отмена" that appears only once the write has taken longer than a moment, and
// a window that keeps repainting meanwhile. "Отмена" makes the write throw WriteCancelled, so that
// the writer drops its unfinished file and RunGuarded says nothing.
class WriteProgress {
public:
    WriteProgress(QWidget* parent, const QString& label);
    ~WriteProgress();
    WriteProgress(const WriteProgress&) = delete;
    WriteProgress& operator=(const WriteProgress&) = delete;

    // For a writer that counts its steps (the print layout's pages): `done` of `total`; the window
    // repaints. Throws WriteCancelled once "Отмена" has been pressed.
    void Step(int done, int total);

    // For a writer that cannot stop halfway (the workbook library, a scheme file's text): runs
    // `write` on a worker thread while the window repaints. It touches no widget and nothing the
    // window changes meanwhile. After "Отмена" it still runs to its end, and then WriteCancelled is
    // thrown, so that the caller keeps nothing of it. What `write` throws is thrown here.
    void RunAside(const std::function<void()>& write);

    // The dialog shows after this long, so that a short write does not flash it.
    static constexpr int kShowAfterMs = 500;

    // A write is under way: the window must not close under it.
    static bool Busy() { return busy_ > 0; }

private:
    void KeepWindowPainted();
    void ThrowIfCancelled() const;

    std::unique_ptr<QProgressDialog> dialog_;
    QElapsedTimer started_;
    static inline int busy_ = 0;
};

} // namespace velmora
