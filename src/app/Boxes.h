// The one seam through which every modal box of the application is shown. The default
// shows the toolkit's dialogs; tests install one that answers at once.
#pragma once

#include "base/String.h"

class QWidget;

namespace ortavo {

// Message box flags and results, as the application's MessageBox takes and returns them.
inline constexpr int MB_OK = 0x0000;
inline constexpr int MB_ICONSTOP = 0x0010;
inline constexpr int MB_ICONERROR = MB_ICONSTOP;
inline constexpr int IDOK = 1;

class TBoxes {
public:
    virtual ~TBoxes() = default;

    // The notice box: the caption, the text verbatim, one "OK" button. Returns when closed.
    virtual void Notice(const String& caption, const String& text, QWidget* owner) = 0;
    // The platform message box; returns the button that closed it.
    virtual int MessageBox(const String& text, const String& caption, int flags,
                           QWidget* owner) = 0;
    // The start-up failure box: no owner window, modal to the whole task.
    virtual void StartupFailure(const String& caption, const String& text) = 0;
};

// The toolkit's boxes: the program's own notice box, QMessageBox for the others.
class TQtBoxes : public TBoxes {
public:
    void Notice(const String& caption, const String& text, QWidget* owner) override;
    int MessageBox(const String& text, const String& caption, int flags, QWidget* owner) override;
    void StartupFailure(const String& caption, const String& text) override;
};

} // namespace ortavo
