// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The zip container of an ePub book, made in memory. The first entry is
// "mimetype", stored as it is and with no extra field, so a reader finds
// "application/epub+zip" at byte 38 of the file; every other entry is
// deflated. Names are plain ASCII, each at most once.

#include <QByteArray>
#include <QString>

namespace epub {

class Package {
 public:
  // Starts the container with its "mimetype" entry.
  Package();

  // Adds the file `name` ("EPUB/card01.xhtml") with `bytes`, deflated.
  // False when zlib failed; the package is then of no use.
  bool Add(const QString& name, const QByteArray& bytes);

  // The whole zip file: the entries, their central directory and its end.
  QByteArray Finish();

 private:
  void AddEntry(const QByteArray& name, const QByteArray& stored, quint32 crc, qint64 size, bool deflated);

  QByteArray body_;
  QByteArray directory_;
  int entries_ = 0;
  quint16 dosTime_ = 0;
  quint16 dosDate_ = 0;
};

}  // namespace epub
