#pragma once

#include <QColor>
#include <QtGlobal>

// Colours as the windows store them: 0x00BBGGRR (red in the low byte); a
// value with the top bit set names a system colour (0x80000000 + index),
// standing for the user's current colour of that element.
namespace cofrel {

using TColor = quint32;

inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clGreen = 0x00008000;
inline constexpr TColor clOlive = 0x00008080;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clTeal = 0x00808000;
inline constexpr TColor clGray = 0x00808080;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clLime = 0x0000FF00;
inline constexpr TColor clYellow = 0x0000FFFF;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clFuchsia = 0x00FF00FF;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWhite = 0x00FFFFFF;

inline constexpr TColor clSystemFlag = 0x80000000;
inline constexpr TColor clWindowText = 0x80000008;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnShadow = 0x80000010;
inline constexpr TColor clGrayText = 0x80000011;
inline constexpr TColor clBtnHighlight = 0x80000014;

// The pale yellow of every button face: red 255, green 238, blue 170.
inline constexpr TColor CorBotao = 11202303; // 0x00AAEEFF

constexpr bool isSystemColor(TColor c) { return (c & clSystemFlag) != 0; }

// The RGB colour of \a c; a system colour is resolved through the
// application palette.
QColor toQColor(TColor c);
// The stored bytes taken as they are (top byte ignored): what the gradient
// fills use, system colours included.
constexpr QRgb rawRgb(TColor c)
{
    return qRgb(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
constexpr TColor fromRgb(int r, int g, int b)
{
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}

} // namespace cofrel
