// The height of a line of text as the window's layout was measured: the font's cell.
#pragma once

class QFont;

namespace ortavo {

// A line of text: its height and where its baseline lies below its top, in pixels.
struct TTextCell {
    int Ascent = 0;
    int Height = 0;
};

// The ascent and descent that the font declares for its whole character set (its OS/2
// "win" metrics), each rounded to pixels, as the layout's platform measures a line; fonts
// without them give the toolkit's ascent and height. Tahoma at 11 pixels gives 11 + 2.
TTextCell TextCell(const QFont& font);

inline int CellHeight(const QFont& font) {
    return TextCell(font).Height;
}

} // namespace ortavo
