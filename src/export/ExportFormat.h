// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// One kind of file a story can be exported as: the web pages, the picture
// book, the video and so on. Each kind is one class; the save dialog of
// "HＰ変換" is built from the list of them (ExportFormats()), and a chosen
// name goes to the kind whose ending it has.

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <vector>

// What an export needs of a story.
struct ExportStory {
  QString name;            // the story's name, for the titles
  QString folder;          // the story folder's path text, ending in "\"
  QList<int> cardNumbers;  // the deck, first card first
};

// How an export went. Cards are named by their deck index, counted from 0;
// only the child's message says "1まいめ" for index 0.
struct ExportOutcome {
  enum class Result {
    Written,         // the file (or files) are there, whole
    Stopped,         // the child stopped it; nothing written
    EncoderMissing,  // a sound or video encoder is not installed; nothing written
    NotWritten,      // making or writing failed; a file that was there is as it was
  };
  Result result = Result::NotWritten;
  QStringList written;              // host paths of the files written, in order
  QList<int> missingPictures;       // cards without a picture file
  QList<int> unreadableCards;       // cards with a picture or text there but unreadable
  QList<int> unreadableNarrations;  // cards with a narration there but unreadable
  // Formats of several files: the first card whose files could not be
  // written, where the export stopped; -1 for none.
  int notWrittenFrom = -1;

  // Everything of every card is in the export.
  bool Complete() const {
    return result == Result::Written && missingPictures.isEmpty() && unreadableCards.isEmpty() &&
           unreadableNarrations.isEmpty() && notWrittenFrom < 0;
  }
};

// Cards done out of all cards (or frames out of all frames); may be called
// on a worker thread.
using ExportProgress = std::function<void(int done, int total)>;

class ExportFormat {
 public:
  virtual ~ExportFormat() = default;

  // The save dialog's filter text: "えほん (*.pdf)".
  virtual QString Filter() const = 0;
  // The ending a name typed without one is given when this filter is
  // chosen, without the dot: "pdf".
  virtual QString Extension() const = 0;
  // True when a chosen name asks for this kind (by its ending, in any
  // letter case).
  virtual bool Accepts(const QString& chosenHostPath) const = 0;
  // Long work: made on a worker thread while a progress window shows after
  // half a second, and may be stopped.
  virtual bool Slow() const { return false; }
  // The progress window's title and text, for slow kinds.
  virtual QString ProgressTitle() const { return {}; }
  virtual QString ProgressText() const { return {}; }

  // Makes the export of `story` at the chosen host path, whole or not at
  // all. `stop` set from another thread ends it soon, writing nothing.
  // Safe on a worker thread.
  virtual ExportOutcome Write(const ExportStory& story, const QString& chosenHostPath,
                              const ExportProgress& progress, const std::atomic<bool>* stop) const = 0;
  // What the child is told; empty for a stopped export.
  virtual QString Message(const ExportOutcome& outcome) const = 0;
};

// Every kind, in the save dialog's order; the first is the default and
// takes a name no other kind accepts.
const std::vector<const ExportFormat*>& ExportFormats();

// The cards' places as the child counts them, for the messages: "1、3" for
// the deck indexes 0 and 2.
QString CardPlaces(const QList<int>& indexes);
