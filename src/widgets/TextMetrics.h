// The height of a line of text as the window's layout was measured: the font's cell height.
#pragma once

class QFont;

namespace ortavo {

// The ascent and descent that the font declares for its whole character set (its OS/2
// "win" metrics), each rounded to pixels, as the layout's platform measures a line; fonts
// without them give the toolkit's height. Tahoma at 11 pixels gives 13.
int CellHeight(const QFont& font);

} // namespace ortavo
