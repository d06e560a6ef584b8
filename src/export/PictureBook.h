// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as a picture book in one PDF file, for printing or reading on
// any computer: A4 landscape, a title page with the story's name, then one
// page per card in deck order with its picture above its text in a large
// Japanese font, the card's place at the foot. The fonts are embedded.

#include <QByteArray>
#include <QList>
#include <QString>

#include "export/WebPages.h"

struct PictureBookResult {
  bool written = false;        // the file is there, whole
  QList<int> missingPictures;  // deck positions whose picture was missing
  QList<int> unreadableTexts;  // deck positions whose text is there but cannot be read

  bool Succeeded() const { return written && missingPictures.isEmpty() && unreadableTexts.isEmpty(); }
};

// The book's PDF bytes; the positions without a picture file are added to
// `missingPictures` (their pages have the text only), those whose text file
// is there but cannot be read to `unreadableTexts`. Empty on failure.
QByteArray PictureBookPdf(const ExportStory& story, QList<int>* missingPictures = nullptr,
                          QList<int>* unreadableTexts = nullptr);

// Writes the book to the host path the user chose, whole or not at all:
// a file that was there stays as it was when the write fails.
PictureBookResult WritePictureBook(const ExportStory& story, const QString& chosenHostPath);

// The child's message for `result`.
QString PictureBookMessage(const PictureBookResult& result);

// True for a chosen file name that asks for the picture book (ends in ".pdf").
bool IsPictureBookName(const QString& chosenHostPath);
