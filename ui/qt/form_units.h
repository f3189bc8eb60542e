// What both Qt windows share in turning their design into Qt's terms: twips
// into pixels, UTF-8 into QString, the font the layout was drawn for, and the
// pictures compiled into the program.
#pragma once

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QString>

#include <string_view>

#include "main_window_layout.h"

/// The windows are laid out in twips; at 96 dpi a pixel is 15 twips, rounded to
/// the nearest, and Qt scales the pixels further on screens with more dots.
constexpr int Px(int twips) { return (twips * 2 + 15) / 30; }

inline QString Text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

/// The system's default family at the size the twips were measured for; set on
/// a window, it reaches every control in it.
inline QFont WindowFont() {
    QFont font = QApplication::font();
    font.setPointSizeF(tarvel::ui::kWindowFontPoints);
    return font;
}

/// A PNG file compiled in (":/icons/..."), read by Qt's own PNG reader. Left
/// to guess the format, as QIcon(file) and QPixmap(file) do, Qt first loads
/// every image plugin installed (GIF, ICO, JPEG and their libraries) to ask
/// each one: a third of the window's own start-up.
inline QPixmap PixmapFromPng(const QString& file) {
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

/// An icon of the PNG files given, in their sizes.
inline QIcon IconFromPng(std::initializer_list<const char*> files) {
    QIcon icon;
    for (const char* file : files) icon.addPixmap(PixmapFromPng(QString::fromLatin1(file)));
    return icon;
}
