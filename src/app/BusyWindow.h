// TBusyWindow: while a long operation runs on the user-interface thread, its window keeps
// repainting but takes no input and cannot be closed; a close asked for meanwhile happens
// once the operation is over.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class QWidget;

namespace ortavo {

class TBusyWindow : public QObject {
public:
    // Repaints at most this often.
    static constexpr int RepaintIntervalMs = 100;

    explicit TBusyWindow(QWidget& window);
    // Ends the busy state; a close asked for meanwhile is carried out from the event loop.
    ~TBusyWindow() override;
    TBusyWindow(const TBusyWindow&) = delete;
    TBusyWindow& operator=(const TBusyWindow&) = delete;

    // Lets the window repaint when the last repaint is at least RepaintIntervalMs old.
    // Input reaching the window meanwhile is dropped, not kept for later.
    void Pump();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> FWindow;
    QElapsedTimer FSinceRepaint;
    bool FCloseAsked = false;
};

} // namespace ortavo
