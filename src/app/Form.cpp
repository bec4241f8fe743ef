// Top-level windows.
#include "app/Form.h"

#include "app/Application.h"
#include "widgets/QtText.h"

#include <QCloseEvent>

namespace ortavo {

TForm::TForm(TComponent* owner) : QWidget(nullptr), TComponent(owner) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
}

String TForm::Caption() const {
    return FromQString(windowTitle());
}

void TForm::SetCaption(const String& caption) {
    setWindowTitle(ToQString(caption));
}

void TForm::SetClientSize(int width, int height) {
    resize(width, height);
}

void TForm::closeEvent(QCloseEvent* event) {
    if (!CloseQuery()) {
        event->ignore();
        return;
    }
    event->accept();
    if (Application && Application->MainForm() == this)
        Application->Terminate();
}

} // namespace ortavo
