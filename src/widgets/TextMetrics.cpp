// Cell height from the font's own tables.
#include "widgets/TextMetrics.h"

#include <QFont>
#include <QFontMetrics>
#include <QRawFont>
#include <QtEndian>

#include <algorithm>

#include <cmath>

namespace ortavo {

namespace {

// Offsets into the OpenType tables.
constexpr int HeadUnitsPerEm = 18;
constexpr int Os2WinAscent = 74;
constexpr int Os2WinDescent = 76;

quint16 Word(const QByteArray& table, int offset) {
    return qFromBigEndian<quint16>(table.constData() + offset);
}

} // namespace

TTextCell TextCell(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid()) {
        const QByteArray head = raw.fontTable("head");
        const QByteArray os2 = raw.fontTable("OS/2");
        if (head.size() >= HeadUnitsPerEm + 2 && os2.size() >= Os2WinDescent + 2) {
            const double perUnit = raw.pixelSize() / std::max<int>(1, Word(head, HeadUnitsPerEm));
            const auto ascent = static_cast<int>(std::lround(Word(os2, Os2WinAscent) * perUnit));
            const auto descent = static_cast<int>(std::lround(Word(os2, Os2WinDescent) * perUnit));
            if (ascent > 0 && descent >= 0)
                return {ascent, ascent + descent};
        }
    }
    const QFontMetrics metrics(font);
    return {metrics.ascent(), metrics.height()};
}

} // namespace ortavo
