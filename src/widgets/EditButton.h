// TsEditButton: the flat browse button at the right end of a file-name edit. It never takes
// the focus; its picture is drawn opaque or blended and shifts while the button is pressed.
#pragma once

#include <QToolButton>

namespace ortavo {

// How the button's picture is drawn.
struct TsGlyphMode {
    int Blend = 0; // percent of transparency, 0 to 100
    bool Grayed = false;
};

class TsEditButton : public QToolButton {
public:
    // One frame of the picture at 96 dots per inch; the button is two pixels wider.
    static constexpr int GlyphSize = 16;
    static constexpr int ButtonWidth = GlyphSize + 2;

    explicit TsEditButton(QWidget* parent = nullptr);

    TsGlyphMode& GlyphMode() noexcept { return FGlyphMode; }
    int GlyphWidth() const noexcept { return GlyphSize; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TsGlyphMode FGlyphMode;
};

} // namespace ortavo
