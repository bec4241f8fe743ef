// What every box asks of the window manager: a title bar with a close button only, as wide
// as the whole caption needs.
#pragma once

#include <QString>
#include <Qt>

class QMessageBox;

namespace ortavo {

// A dialog with a caption, a system menu and a close button; no minimise or maximise box.
Qt::WindowFlags BoxWindowFlags();

// The least width of a box whose title bar shows the whole caption beside the window
// manager's icon and close button.
int CaptionWidth(const QString& caption);

// Sets up a toolkit message box as the system's boxes are: close button only, at least as
// wide as its caption, and the OK button without a picture.
void SetUpMessageBox(QMessageBox& box);

} // namespace ortavo
