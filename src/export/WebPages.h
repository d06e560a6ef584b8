// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as linked web pages: one page per card with the story's title,
// the card's place, a link to the next card's page, the picture, the text
// and the narration, with copies of the pictures and narrations beside the
// pages, so that any browser shows the story without the program.
//
// For a chosen file "C:/Web/Story.html" the files are, for the card at deck
// index i (PP: i + 1 in two digits, as the child counts) and card number NN:
//   story_PPcd.htm       the page
//   story_card_NN.png    the card's picture
//   story_card_NN.wav    the card's narration, when it has one
// All names are lower case, inside the pages too, so the links hold on every
// file system. The chosen file itself is not written.

#include "export/ExportFormat.h"

// The default kind: 「ホームページ (*.htm *.html)」, and any name no other
// kind accepts.
//
// Write: pages and copies are each written whole or not at all; files
// already there are replaced, others are left alone. A missing or
// unreadable picture, text or narration leaves its page without it and the
// export goes on; a file that cannot be written ends the export at that
// card (`notWrittenFrom`; the result is NotWritten when that is the first
// card). Quick: `progress` hears of each card, `stop` is not asked.
class WebPagesFormat : public ExportFormat {
 public:
  QString Filter() const override;
  QString Extension() const override;
  bool Accepts(const QString& chosenHostPath) const override;
  ExportOutcome Write(const ExportStory& story, const QString& chosenHostPath, const ExportProgress& progress,
                      const std::atomic<bool>* stop) const override;
  // What could not be written, or that the pages are done.
  QString Message(const ExportOutcome& outcome) const override;
};
