#pragma once

#include <QColor>

// The installer's colours, shared by every picture so that they read as one
// family with the style sheets (which repeat the same values by hand).
namespace Palette {
inline const QColor indigo(0x4f, 0x46, 0xe5); // brand start
inline const QColor violet(0x7c, 0x3a, 0xed); // brand end
inline const QColor deepIndigo(0x31, 0x2e, 0x81);
inline const QColor cyan(0x22, 0xd3, 0xee); // highlight
inline const QColor pink(0xec, 0x48, 0x99);
inline const QColor teal(0x14, 0xb8, 0xa6);
inline const QColor amber(0xf5, 0x9e, 0x0b);
inline const QColor green(0x16, 0xa3, 0x4a);
inline const QColor red(0xe5, 0x48, 0x4d);
inline const QColor ink(0x1e, 0x22, 0x33); // text
inline const QColor muted(0x6b, 0x72, 0x80);
inline const QColor line(0xd6, 0xd9, 0xe4);
inline const QColor white(0xff, 0xff, 0xff);
} // namespace Palette
