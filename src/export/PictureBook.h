// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as a picture book in one PDF file, for printing or reading on
// any computer: A4 landscape, a title page with the story's name, then one
// page per card in deck order with its picture above its text in a large
// Japanese font, the card's place at the foot. The fonts are embedded.

#include <QByteArray>
#include <QList>

#include "export/ExportFormat.h"

// The book's PDF bytes; the indexes of the cards without a picture file are
// added to `missingPictures` (their pages have the text only), those whose
// text file is there but cannot be read to `unreadableTexts`. Empty on
// failure.
QByteArray PictureBookPdf(const ExportStory& story, QList<int>* missingPictures = nullptr,
                          QList<int>* unreadableTexts = nullptr);

// 「えほん (*.pdf)」: a name ending in ".pdf".
//
// Write: the book at the host path the user chose, whole or not at all: a
// file that was there stays as it was when the write fails. A text that
// cannot be read is in `unreadableCards`. Quick: `progress` is not called;
// `stop` set before the write leaves the file alone.
class PictureBookFormat : public ExportFormat {
 public:
  QString Filter() const override;
  QString Extension() const override;
  bool Accepts(const QString& chosenHostPath) const override;
  ExportOutcome Write(const ExportStory& story, const QString& chosenHostPath, const ExportProgress& progress,
                      const std::atomic<bool>* stop) const override;
  QString Message(const ExportOutcome& outcome) const override;
};
