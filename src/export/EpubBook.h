// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as an ePub book (EPUB 3.2, fixed layout) that tablets, phones
// and the school library's readers show page by page and read aloud in the
// child's own voice, lighting up the words as they are read.
//
// A title page with the story's name as the player's title screen shows
// it, then one 800 x 600 page per card in deck order. The page layout: the
// card's picture fills the whole page and its text, as real text in a
// Japanese font the reader has, lies in a white band along the page's foot,
// over the picture's lowest part. A card with a narration has a media
// overlay that plays it (AAC in MP4, made by the media module) while its
// text is lit up. What is in the container is in EpubDocuments.h; the zip
// itself is made by EpubPackage.h.
//
// The book is made in memory and written whole or not at all: a full disk,
// a stop or a missing encoder leave a file that was there byte for byte.

#include "export/ExportFormat.h"

class EpubBookFormat : public ExportFormat {
 public:
  QString Filter() const override;
  QString Extension() const override;
  bool Accepts(const QString& chosenHostPath) const override;
  bool Slow() const override { return true; }
  QString ProgressTitle() const override;
  QString ProgressText() const override;
  ExportOutcome Write(const ExportStory& story, const QString& chosenHostPath, const ExportProgress& progress,
                      const std::atomic<bool>* stop) const override;
  QString Message(const ExportOutcome& outcome) const override;
};
