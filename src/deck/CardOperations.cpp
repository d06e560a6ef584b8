#include "deck/CardOperations.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "editor/Canvas.h"
#include "editor/ToolPalette.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/Numbers.h"
#include "shell/Shared.h"

namespace {

const QString kFinishDrawing = QStringLiteral("「えをかく」をおわってください。");
const QString kStoryFull = QStringLiteral("カードは 30まいまでです。");
const QString kNotCopied = QStringLiteral("カードを コピーできませんでした。");
const QString kNotErased = QStringLiteral("カードを けせませんでした。");

// The files of a card, in the order they are copied.
const char* const kCardFiles[] = {".BMP", ".PNG", ".TXT", "_x.wav"};

bool Drawing(const Shared& m) { return m.ui.Picture6Visible; }

}  // namespace

StripHit HitCardStrip(const Shared& m, QPointF at) {
  StripHit hit;
  const double x = at.x(), y = at.y();
  if (x > 981 && x < 1025) {
    hit.zone = StripHit::PageSwitch;
    return hit;
  }
  if (x <= 30) {
    hit.zone = StripHit::Label;
    return hit;
  }
  const long k = RoundHalfEven(x - 30);
  hit.tile = std::clamp(int(k / 95) + 1, 1, 10);
  hit.position = hit.tile + m.CardStripOffset;
  hit.offset = int(k % 95);
  const int t = hit.offset, p = hit.position;
  const bool card = p <= m.CardCount;
  if (y >= 20) {
    if (t > 2 && t < 35 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Copy;
    else if (t > 50 && t < 85 && y > 67 && y < 84 && card)
      hit.zone = StripHit::Erase;
    else
      hit.zone = StripHit::Open;
  } else if (t > 5 && t < 30 && p > 1 && card) {
    hit.zone = StripHit::MoveLeft;
  } else if (t > 60 && t < 90 && p < m.CardCount) {
    hit.zone = StripHit::MoveRight;
  }
  return hit;
}

void CardStripMouseDown(Shared& m, QPointF at) {
  if (Drawing(m)) {
    m.dialogs.Beep();
    m.dialogs.Tell(kFinishDrawing);
    return;
  }
  // Without a story the card files would land in the class folder.
  if (!StorySelected(m)) {
    m.dialogs.Beep();
    return;
  }
  const StripHit hit = HitCardStrip(m, at);
  switch (hit.zone) {
    case StripHit::None:
      break;
    case StripHit::Label:
      return;
    case StripHit::PageSwitch: {
      const int16_t next = NextCardStripOffset(m);
      if (next != m.CardStripOffset) {
        m.CardStripOffset = next;
        DrawCardStrip(m);
      }
      return;
    }
    default:
      break;
  }
  // A tile past the new-card tile is empty: the deck never gets a gap.
  if (hit.position > m.CardCount + 1) return;
  m.CurrentCard = int16_t(hit.position);
  switch (hit.zone) {
    case StripHit::Copy: CopyCard(m); break;
    case StripHit::Erase: EraseCard(m); break;
    case StripHit::Open: OpenCard(m); break;
    case StripHit::MoveLeft: MoveCardLeft(m); break;
    case StripHit::MoveRight: MoveCardRight(m); break;
    default: break;
  }
}

void CopyCard(Shared& m) {
  if (m.CardCount >= kMaxCards) {
    m.dialogs.Tell(kStoryFull);
    return;
  }
  if (!m.dialogs.Ask(QStringLiteral("このカードをコピーします。"))) return;
  m.CardFileBase = CardFileStem(m, m.CardNumbers[m.CurrentCard]);
  m.CardCount = int16_t(m.CardCount + 1);
  const int16_t number = AssignCardNumber(m, m.CardCount);
  m.CardNumbers[m.CardCount] = number;
  if (!WriteCardList(m)) {
    m.CardCount = int16_t(m.CardCount - 1);
    m.dialogs.Tell(kNotCopied);
    return;
  }
  const QString target = CardFileStem(m, number);
  bool copied = true;
  for (const char* ext : kCardFiles) {
    // A file the card does not have is simply not copied.
    const QString from = m.CardFileBase + QLatin1String(ext);
    if (disk::FileExists(from)) copied = disk::CopyFile(from, target + QLatin1String(ext)) && copied;
  }
  if (!copied) {
    // No half copy stays in the deck.
    for (const char* ext : kCardFiles) disk::DeleteFile(target + QLatin1String(ext));
    m.CardCount = int16_t(m.CardCount - 1);
    WriteCardList(m);
    m.dialogs.Tell(kNotCopied);
  }
  DrawCardStrip(m);
  LoadCard(m);
}

void EraseCard(Shared& m) {
  if (!m.dialogs.Ask(QStringLiteral("このカードを消します。"))) return;
  m.CardFileBase = CardFileStem(m, m.CardNumbers[m.CurrentCard]);
  const auto deck = m.CardNumbers;
  const int16_t count = m.CardCount;
  for (int q = m.CurrentCard; q < m.CardCount; ++q) m.CardNumbers[q] = m.CardNumbers[q + 1];
  m.CardCount = int16_t(m.CardCount - 1);
  // The list goes first: a card is thrown away only once the list no
  // longer names it.
  if (!WriteCardList(m)) {
    m.CardNumbers = deck;
    m.CardCount = count;
    m.dialogs.Tell(kNotErased);
    return;
  }
  for (const char* ext : kCardFiles) disk::DeleteFile(m.CardFileBase + QLatin1String(ext));
  if (m.CardCount < m.CurrentCard) m.CurrentCard = m.CardCount;
  DrawCardStrip(m);
  LoadCard(m);
  if (m.CurrentCard == 0) {
    // The only card is gone: it must not stay on the canvas either.
    ClearCanvas(m);
    PaintCanvasFrame(m);
    m.ui.Text1Text.clear();
    m.ControlsChanged();
  }
}

void OpenCard(Shared& m) {
  m.CurrentTool = 3;
  HighlightToolButtons(m);
  DrawCardStrip(m);
  // The new card opens on blank paper with an empty text, never with the
  // text of the card shown before.
  LoadCard(m);
  m.FillColorIndex = 1;
  m.ui.Command12Face = m.PaletteColors[m.FillColorIndex];
  EnterDrawingMode(m);
}

void MoveCardLeft(Shared& m) {
  std::swap(m.CardNumbers[m.CurrentCard - 1], m.CardNumbers[m.CurrentCard]);
  DrawCardStrip(m);
  LoadCard(m);
}

void MoveCardRight(Shared& m) {
  std::swap(m.CardNumbers[m.CurrentCard], m.CardNumbers[m.CurrentCard + 1]);
  DrawCardStrip(m);
  LoadCard(m);
}
