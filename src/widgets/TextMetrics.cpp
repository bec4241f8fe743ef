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

int CellHeight(const QFont& font) {
    const QRawFont raw = QRawFont::fromFont(font);
    if (raw.isValid()) {
        const QByteArray head = raw.fontTable("head");
        const QByteArray os2 = raw.fontTable("OS/2");
        if (head.size() >= HeadUnitsPerEm + 2 && os2.size() >= Os2WinDescent + 2) {
            const double perUnit = raw.pixelSize() / std::max<int>(1, Word(head, HeadUnitsPerEm));
            const long ascent = std::lround(Word(os2, Os2WinAscent) * perUnit);
            const long descent = std::lround(Word(os2, Os2WinDescent) * perUnit);
            if (ascent + descent > 0)
                return static_cast<int>(ascent + descent);
        }
    }
    return QFontMetrics(font).height();
}

} // namespace ortavo
