// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The numbered lists as they are painted, and the rows under a press.

#include <QImage>
#include <QPainter>

#include "library/ClassList.h"
#include "library/StoryList.h"
#include "platform/Fonts.h"
#include "platform/Numbers.h"

namespace {

// The story list's place on the story panel.
constexpr int kStoryListTop = 183;
constexpr int kRowHeight = 21;
constexpr int kRows = 20;
constexpr QSize kStoryPanelSize(190, 618);

const QColor kListFill(255, 255, 200);
const QColor kHighlight(0, 0, 200);
const QColor kRowText(255, 0, 0);
const QColor kPanelBackground(192, 255, 255);

}  // namespace

QString StoryRowText(int i, const QString& name) {
  return (QStringLiteral(" ") + SignedText(i)).right(2) + u' ' + name;
}

QRect DrawNameList(QImage& surface, int top, const QStringList& names, int selected,
                   const QColor& background) {
  QPainter p(&surface);
  p.setRenderHint(QPainter::Antialiasing, false);
  const int bottom = top + kRowHeight * kRows;

  // The names after the 20th run on below the box; what was printed there
  // before goes first, so a deleted story leaves no name behind.
  p.fillRect(QRect(0, bottom + 1, surface.width(), surface.height()), background);

  p.fillRect(QRect(2, top, 183, 419), kListFill);
  p.fillRect(QRect(3, top + kRowHeight * selected, 181, kRowHeight), kHighlight);
  // Row lines from x = 2 up to, not including, x = 185.
  for (int i = 0; i <= kRows; ++i) p.fillRect(QRect(2, top + kRowHeight * i, 183, 1), Qt::black);

  QFont font = Gothic(9);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(kRowText);
  const int ascent = p.fontMetrics().ascent();
  const int shown = int(std::min<qsizetype>(names.size(), kMaxStories));
  for (int i = 0; i < shown; ++i) {
    const int y = top + 6 + kRowHeight * i;
    p.drawText(QPoint(5, y + ascent), StoryRowText(i + 1, names[i]));
  }
  return QRect(0, top, surface.width(), surface.height() - top);
}

void DrawStoryList(LibraryState& library, DeckState& deck) {
  if (library.storyListImage.isNull()) {
    library.storyListImage = QImage(kStoryPanelSize, QImage::Format_RGB32);
    library.storyListImage.fill(kPanelBackground);
  }
  const QRect drawn =
      DrawNameList(library.storyListImage, kStoryListTop, library.storyNames, library.selectedStory,
                   kPanelBackground);
  const QString name = library.storyNames.value(library.selectedStory);
  const QString folder = library.classFolder + name + u'\\';
  // The folder is known again under another name (a rename elsewhere).
  if (folder != deck.storyFolder || library.shownFolderIdentity.isEmpty())
    library.shownFolderIdentity = name.isEmpty() ? QString() : StoryFolderIdentity(folder).value_or(QString());
  deck.storyFolder = folder;
  library.currentStoryName = name;
  library.notifySurface(drawn);
}

bool StorySelected(const DeckState& deck) {
  return !deck.storyFolder.isEmpty() && !deck.storyFolder.endsWith(QStringLiteral("\\\\"));
}

int ListRowAt(double y, int top) {
  const long row = RoundHalfEven(y - top) / kRowHeight;
  return int(std::max(0L, row));
}

void PickStoryAt(LibraryState& library, DeckState& deck, QPointF at) {
  if (!(at.x() > 2 && at.x() < 194 && at.y() > kStoryListTop && at.y() < 602)) return;
  const int row = ListRowAt(at.y(), kStoryListTop);
  if (row >= library.storyNames.size()) return;
  SelectStory(library, deck, row);
}

void SelectStory(LibraryState& library, DeckState& deck, int row) {
  library.selectedStory = row;
  ShowSelectedStory(library, deck);
}

