// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Card pictures and thumbnails on their way between files and the drawing
// surfaces. Pictures never pass through a scratch file: they are decoded
// from and encoded to the file's bytes in memory.
//
// - A card picture is an 800 x 600 PNG at 24 bits per pixel (RGB, no alpha
//   channel). Read, it becomes an 800 x 600 RGB32 picture; a picture file of
//   another size lies at its own size in the top-left corner, white
//   elsewhere, and any transparency is shown over white.
// - A thumbnail is a 90 x 64 Windows bitmap at 24 bits per pixel. Read, it
//   keeps its own size, as RGB32.
//
// PNG, BMP and JPEG files are recognised by their content whatever their
// name says. Nothing here shows a message.

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

namespace imaging {

inline constexpr QSize kCardSize{800, 600};
inline constexpr QSize kThumbnailSize{90, 64};

// A decoded picture as RGB32 over white, at its own size. Nothing for bytes
// that hold no readable picture.
std::optional<QImage> Decode(const QByteArray& bytes);
// `image` as the 800 x 600 RGB32 card picture (see above).
QImage ToCardPicture(const QImage& image);

// The card picture in `file` (a path text), nothing when the file is
// missing or unreadable.
std::optional<QImage> ReadCardPicture(const QString& file);
// The thumbnail in `file`, at its own size; nothing when missing or
// unreadable.
std::optional<QImage> ReadThumbnail(const QString& file);

// A picture file to place on a card (BMP, JPEG or PNG by content), as
// RGB32 over white, turned upright as its EXIF orientation says. A file that
// is unreadable, or whose picture has more than kMaxPicturePixels pixels or
// would need more memory than that to decode, gives nothing; it is refused
// before it is decoded, so a tiny file claiming a huge picture costs nothing.
inline constexpr qint64 kMaxPicturePixels = 100'000'000;
std::optional<QImage> ReadPicture(const QString& file);

// File content: a PNG in 8-bit RGB, a Windows bitmap at 24 bits per pixel.
QByteArray EncodePng(const QImage& image);
QByteArray EncodeBmp(const QImage& image);

// Write whole files, replacing them; the old file stays whole when the
// write fails. False on failure.
bool WriteCardPicture(const QString& file, const QImage& picture);
bool WriteThumbnail(const QString& file, const QImage& thumbnail);

}  // namespace imaging
