#include "report/engine/canvas/rm_colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace pq {

namespace {

// The platform's classic values of its 25 system colours, for when no application
// palette exists (tools that draw without a GUI application).
constexpr std::uint32_t kSystemDefaults[25] = {
    0xC8C8C8, 0x000000, 0xD1B499, 0xDBCDBF, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
    0x000000, 0xB4B4B4, 0xFCF7F4, 0xABABAB, 0xD77800, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
    0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xE1FFFF,
};

QColor FromRgbValue(std::uint32_t c)
{
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

QColor SystemColor(int index)
{
    if (index < 0 || index >= 25)
        return QColor(Qt::black);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return FromRgbValue(kSystemDefaults[index]);
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 1: case 12: return pal.color(QPalette::Dark);           // desktop, workspace
    case 2: case 13: return pal.color(QPalette::Highlight);      // active caption, highlight
    case 9: case 14: return pal.color(QPalette::HighlightedText);
    case 4: case 5: return pal.color(QPalette::Base);            // menu, window
    case 7: case 8: return pal.color(QPalette::Text);            // menu text, window text
    case 15: return pal.color(QPalette::Button);                 // button face
    case 16: return pal.color(QPalette::Mid);                    // button shadow
    case 17: return pal.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18: return pal.color(QPalette::ButtonText);
    case 20: return pal.color(QPalette::Light);                  // button highlight
    case 21: return pal.color(QPalette::Shadow);                 // 3D dark shadow
    case 22: return pal.color(QPalette::Midlight);               // 3D light
    case 23: return pal.color(QPalette::ToolTipText);
    case 24: return pal.color(QPalette::ToolTipBase);
    default: return FromRgbValue(kSystemDefaults[index]);
    }
}

} // namespace

QColor CanvasColor(std::uint32_t color)
{
    if (color == kNoColor)
        return QColor(Qt::transparent);
    if (color & kSystemColorBit)
        return SystemColor(static_cast<int>(color & 0xFF));
    return FromRgbValue(color);
}

std::uint32_t CanvasColorValue(const QColor& color)
{
    const QColor c = color.toRgb();
    return static_cast<std::uint32_t>(c.red()) | (static_cast<std::uint32_t>(c.green()) << 8)
        | (static_cast<std::uint32_t>(c.blue()) << 16);
}

} // namespace pq
