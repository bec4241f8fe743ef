// TBusyWindow: while a long operation runs on the user-interface thread, its window keeps
// repainting but takes no input and cannot be closed; a close asked for meanwhile happens
// once the operation is over. The window shows the wait cursor and the controls named
// inactive meanwhile, and the database layer's long client calls (the attach) run on a
// worker thread while the window keeps painting.
#pragma once

#include <QCursor>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class QWidget;

namespace ortavo {

class TCloseRequestWatch;

class TBusyWindow : public QObject {
public:
    // Repaints at most this often.
    static constexpr int RepaintIntervalMs = 100;

    TBusyWindow(QWidget& window, std::initializer_list<QWidget*> inactive = {});
    // Ends the busy state; a close asked for meanwhile is carried out from the event loop.
    ~TBusyWindow() override;
    TBusyWindow(const TBusyWindow&) = delete;
    TBusyWindow& operator=(const TBusyWindow&) = delete;

    // Lets the window repaint when the last repaint is at least RepaintIntervalMs old.
    // Input reaching the window meanwhile is dropped, not kept for later.
    void Pump();
    // Runs call on a worker thread and keeps the window painted until it ends; what call
    // raises is raised here.
    void RunOffThread(const std::function<void()>& call);
    // Records a close asked for while the window cannot take it (a box is up).
    void AskClose() noexcept { FCloseAsked = true; }
    bool CloseAsked() const noexcept { return FCloseAsked; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Gives the window back its input, cursor, controls and focus.
    void Restore();

    struct TInactive {
        QPointer<QWidget> Control;
        bool WasEnabled;
    };
    QPointer<QWidget> FWindow;
    QPointer<QWidget> FFocus;
    std::vector<TInactive> FInactive;
    bool FHadCursor = false;
    QCursor FCursor;
    QElapsedTimer FSinceRepaint;
    bool FCloseAsked = false;
    std::function<void(const std::function<void()>&)> FPreviousRunner;
    std::unique_ptr<TCloseRequestWatch> FCloseWatch;
};

} // namespace ortavo
