// What a reconciliation run needs from the front end that starts it: the file view's lines,
// the log and the notice box. The window hands it its memos and boxes; the headless front
// end hands it standard output and standard error.
#pragma once

#include "base/MemoLines.h"
#include "base/String.h"

namespace ortavo {

class IRunFront {
public:
    // The view the fiscal file is loaded into; the run reads the records back from it.
    virtual TMemoLines& FileLines() = 0;
    // Empties the log view.
    virtual void ClearLog() = 0;
    // Appends one time-stamped line holding the message.
    virtual void Log(const String& message) = 0;
    // The modal notice box; returns once it has been closed.
    virtual void Notice(const String& text) = 0;
    // Told, just before the notice box, why connecting failed: the message of the exception
    // that the run itself drops. The window shows nothing of it.
    virtual void ConnectionRefused(const String& reason) { static_cast<void>(reason); }

protected:
    ~IRunFront() = default;
};

} // namespace ortavo
