// TButton: the push button; its click runs OnClick with the button as the sender.
#pragma once

#include "base/String.h"

#include <QPushButton>

#include <functional>

namespace ortavo {

class TButton : public QPushButton {
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;

    explicit TButton(QWidget* parent = nullptr);

    String Caption() const;
    void SetCaption(const String& caption);

    // Runs on a mouse click and on Space or Enter while the button has the focus. What it
    // raises goes to the application's exception handler.
    TNotifyEvent OnClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace ortavo
