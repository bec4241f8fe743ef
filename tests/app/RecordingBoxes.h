// A box seam for tests: every box is recorded and answered at once with OK, so no test
// waits on a modal box.
#pragma once

#include "app/Application.h"

#include <functional>
#include <vector>

namespace ortavo::testing {

struct BoxShown {
    enum Kind { Notice, Message, StartupFailure } What;
    String Caption;
    String Text;
    int Flags = 0;
    QWidget* Owner = nullptr;
};

class RecordingBoxes : public TBoxes {
public:
    explicit RecordingBoxes(std::vector<BoxShown>& shown) : FShown(shown) {}
    void Notice(const String& caption, const String& text, QWidget* owner) override {
        Record({BoxShown::Notice, caption, text, 0, owner});
    }
    int MessageBox(const String& text, const String& caption, int flags, QWidget* owner) override {
        Record({BoxShown::Message, caption, text, flags, owner});
        return IDOK;
    }
    void StartupFailure(const String& caption, const String& text) override {
        Record({BoxShown::StartupFailure, caption, text, 0, nullptr});
    }
    // Runs while a box is "open".
    std::function<void()> WhileShown;

private:
    void Record(BoxShown box) {
        FShown.push_back(std::move(box));
        if (WhileShown)
            WhileShown();
    }
    std::vector<BoxShown>& FShown;
};

// Installs recording boxes on the application object for its lifetime.
class ScopedBoxes {
public:
    ScopedBoxes() {
        auto boxes = std::make_unique<RecordingBoxes>(Shown);
        Boxes = boxes.get();
        FPrevious = Application->SetBoxes(std::move(boxes));
    }
    ~ScopedBoxes() { Application->SetBoxes(std::move(FPrevious)); }
    ScopedBoxes(const ScopedBoxes&) = delete;
    ScopedBoxes& operator=(const ScopedBoxes&) = delete;

    std::vector<BoxShown> Shown;
    RecordingBoxes* Boxes = nullptr;

private:
    std::unique_ptr<TBoxes> FPrevious;
};

} // namespace ortavo::testing
