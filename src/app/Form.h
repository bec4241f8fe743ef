// TForm: a top-level window that is also a component owning the window's components.
// Closing the application's main form terminates the application.
#pragma once

#include "base/Component.h"

#include <QWidget>

namespace ortavo {

class TForm : public QWidget, public TComponent {
public:
    explicit TForm(TComponent* owner = nullptr);

    String Caption() const;
    void SetCaption(const String& caption);
    // The inner size of the window, in logical pixels.
    void SetClientSize(int width, int height);

    // Asked before the window closes; no condition is set by default.
    virtual bool CloseQuery() { return true; }

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace ortavo
