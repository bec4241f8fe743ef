// The push button.
#include "widgets/Button.h"

#include "widgets/EventGuard.h"
#include "widgets/QtText.h"

#include <QKeyEvent>

namespace ortavo {

TButton::TButton(QWidget* parent) : QPushButton(parent) {
    // Not the default button: Enter elsewhere in the window does not press it.
    setAutoDefault(false);
    setDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (OnClick)
            GuardEvent(this, [this] { OnClick(this); });
    });
}

String TButton::Caption() const {
    return FromQString(text());
}

void TButton::SetCaption(const String& caption) {
    setText(ToQString(caption));
}

void TButton::keyPressEvent(QKeyEvent* event) {
    // A focused button is pressed by Enter as well as by Space.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        click();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace ortavo
