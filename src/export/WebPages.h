// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story as linked web pages: one page per card with the story's title,
// the card's place, a link to the next card's page, the picture, the text
// and the narration, with copies of the pictures and narrations beside the
// pages, so that any browser shows the story without the program.
//
// For a chosen file "C:/Web/Story.html" the files are, per deck position i
// (PP, two digits) and card number NN:
//   story_PPcd.htm       the page
//   story_card_NN.png    the card's picture
//   story_card_NN.wav    the card's narration, when it has one
// All names are lower case, inside the pages too, so the links hold on every
// file system. The chosen file itself is not written.

#include <QList>
#include <QString>
#include <QStringList>

#include "export/ExportFormat.h"


struct ExportResult {
  QStringList written;         // host paths of the files written, in order
  QList<int> missingPictures;  // deck positions whose picture was missing
  // Deck positions with a picture, text or narration file that is there
  // but could not be read; their pages go without it.
  QList<int> unreadableCards;
  // The deck position whose files could not be written; the export stops
  // there, so it and the positions after it have no page. 0: none.
  int stoppedAt = 0;

  bool Succeeded() const {
    return missingPictures.isEmpty() && unreadableCards.isEmpty() && stoppedAt == 0;
  }
};

// Writes the pages of `story` beside the host path the user chose. Pages and
// copies are each written whole or not at all; files already there are
// replaced, others are left alone. A missing or unreadable picture, text or
// narration leaves its page without it and the export goes on; a file that
// cannot be written ends the export at that card.
ExportResult WriteWebPages(const ExportStory& story, const QString& chosenHostPath);

// The child's message for `result`: what could not be written, or that the
// pages are done.
QString ExportMessage(const ExportResult& result);
