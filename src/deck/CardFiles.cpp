#include "deck/CardFiles.h"

#include <QPainter>

#include "deck/CardList.h"
#include "deck/CardStrip.h"
#include "editor/Canvas.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "platform/TextCodec.h"
#include "shell/Shared.h"

namespace {

const QString kNotSaved = QStringLiteral("カードを ほぞんできませんでした。");
const QString kLeaveUnsaved =
    QStringLiteral("カードを ほぞんできませんでした。\nほぞんしないで「えをかく」を おわりますか？");
const QString kTextNotSaved = QStringLiteral("カードの もじを ほぞんできませんでした。");
const QString kOrderNotSaved = QStringLiteral("カードの じゅんばんを ほぞんできませんでした。");

QImage Blank(QSize size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// The thumbnail reduction: each thumbnail pixel combines its block of
// picture pixels with a bitwise AND, as a plain stretched copy of a
// picture does, so thin black lines stay visible in the small picture.
void Reduce(const QImage& picture, QImage& thumbnail, int width, int height) {
  const int sw = picture.width(), sh = picture.height();
  for (int ty = 0; ty < height; ++ty) {
    const int y0 = ty * sh / height, y1 = std::max(y0 + 1, (ty + 1) * sh / height);
    QRgb* out = reinterpret_cast<QRgb*>(thumbnail.scanLine(ty));
    for (int tx = 0; tx < width; ++tx) {
      const int x0 = tx * sw / width, x1 = std::max(x0 + 1, (tx + 1) * sw / width);
      QRgb value = 0xFFFFFFFF;
      for (int y = y0; y < y1; ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = x0; x < x1; ++x) value &= in[x];
      }
      out[tx] = value | 0xFF000000;
    }
  }
}

// A card past the deck is new; with no current card (the last card was
// erased) the card drawn is new as well.
bool IsNewCard(const AppState& s) { return s.CurrentCard > s.CardCount || s.CurrentCard < 1; }

}  // namespace

int16_t AssignCardNumber(const AppState& s, int except) {
  for (int16_t n = 1;; ++n) {
    bool used = false;
    for (int p = 1; p <= s.CardCount && !used; ++p) used = p != except && s.CardNumbers[p] == n;
    if (!used) return n;
  }
}

void ShowCardPicture(Shared& m) {
  if (m.Picture2Image.isNull()) return;
  QPainter painter(&m.Picture2Image);
  painter.setCompositionMode(QPainter::CompositionMode_Source);
  painter.drawImage(QPoint(m.CanvasOffsetX, m.CanvasOffsetY), m.Picture4Image, QRect(0, 0, 800, 600));
  painter.end();
  m.SurfaceChanged(Surface::Picture2, QRect(m.CanvasOffsetX, m.CanvasOffsetY, 800, 600));
}

void LoadCard(Shared& m) {
  if (m.CurrentCard == 0) return;
  QString text;
  if (IsNewCard(m)) {
    m.Picture4Image = Blank(imaging::kCardSize);
  } else {
    m.CardFileBase = CardFileStem(m, m.CardNumbers[m.CurrentCard]);
    // A card whose picture is missing or broken shows blank paper, never
    // the picture of the card shown before.
    m.Picture4Image =
        imaging::ReadCardPicture(m.CardFileBase + QStringLiteral(".PNG")).value_or(Blank(imaging::kCardSize));
    if (const auto lines = disk::ReadLines(m.CardFileBase + QStringLiteral(".txt"))) {
      for (const QString& line : *lines) text += line + QStringLiteral("\r\n");
    }
  }
  m.ui.Text1Text = text;
  m.ControlsChanged();
  ShowCardPicture(m);
  PaintCanvasFrame(m);
}

void ShowFirstCard(Shared& m) {
  m.CardStripOffset = 0;
  m.CurrentCard = 1;
  DrawCardStrip(m);
  LoadCard(m);
}

void CaptureCardPicture(Shared& m) {
  m.Picture4Image = m.Picture2Image.copy(m.CanvasOffsetX, m.CanvasOffsetY, 800, 600);
  m.Picture7Image = Blank(imaging::kThumbnailSize);
  Reduce(m.Picture4Image, m.Picture7Image, 88, 62);
}

bool SaveCard(Shared& m) {
  // An outline following the pointer is not part of the picture.
  EraseRubberBand(m);
  m.ShapeClickCount = 0;
  // A story folder that has gone (deleted by hand, or a list from another
  // computer) is made again, so the drawing has somewhere to go.
  if (!disk::FolderExists(m.StoryFolder)) disk::CreateFolder(m.StoryFolder);

  const auto deckBefore = m.CardNumbers;
  const int16_t countBefore = m.CardCount;
  const bool isNew = IsNewCard(m);
  if (isNew) {
    // The new card is the one right after the last card, and a deck holds
    // at most thirty.
    if (m.CardCount >= kMaxCards) return false;
    m.CurrentCard = int16_t(m.CardCount + 1);
    m.CardCount = m.CurrentCard;
    m.CardNumbers[m.CardCount] = AssignCardNumber(m, m.CardCount);
    if (!WriteCardList(m)) {
      m.CardNumbers = deckBefore;
      m.CardCount = countBefore;
      return false;
    }
  }
  m.CardFileBase = CardFileStem(m, m.CardNumbers[m.CurrentCard]);
  CaptureCardPicture(m);
  const QString thumbnail = m.CardFileBase + QStringLiteral(".BMP");
  const bool hadThumbnail = disk::FileExists(thumbnail);
  // The picture first: a thumbnail never shows a drawing the card lacks.
  const bool written = imaging::WriteCardPicture(m.CardFileBase + QStringLiteral(".PNG"), m.Picture4Image) &&
                       imaging::WriteThumbnail(thumbnail, m.Picture7Image);
  if (!written) {
    if (isNew) {
      // The deck names only cards whose picture is on disk.
      disk::DeleteFile(m.CardFileBase + QStringLiteral(".PNG"));
      if (!hadThumbnail) disk::DeleteFile(thumbnail);
      m.CardNumbers = deckBefore;
      m.CardCount = countBefore;
      WriteCardList(m);
    }
    return false;
  }

  const QString textFile = m.CardFileBase + QStringLiteral(".txt");
  if (m.ui.Text1Text.isEmpty()) {
    disk::DeleteFile(textFile);
  } else {
    const auto bytes = text::Encode(m.ui.Text1Text + QStringLiteral("\r\n"));
    if (!bytes || !disk::WriteBytes(textFile, *bytes)) m.dialogs.Tell(kTextNotSaved);
  }
  return true;
}

namespace {

// Saves the card and the deck order; false, after telling the child, when
// either could not be written.
bool SaveCardAndOrder(Shared& m, bool tell) {
  if (!SaveCard(m)) {
    if (tell) m.dialogs.Tell(kNotSaved);
    return false;
  }
  if (!WriteCardList(m)) {
    if (tell) m.dialogs.Tell(kOrderNotSaved);
    return false;
  }
  return true;
}

}  // namespace

void Command10_Click(Shared& m) {
  if (!SaveCardAndOrder(m, false)) {
    DrawCardStrip(m);  // a card that did get its number shows in the strip
    // The drawing stays unless the child chooses to leave without it: a
    // drive that is gone for good must not trap the child in the editor.
    if (!m.dialogs.Ask(kLeaveUnsaved)) return;
    LoadCard(m);  // the card as it is on disk (blank paper for a new card)
  }
  DrawCardStrip(m);
  m.ui.Picture6Visible = false;
  m.ui.Picture2Visible = false;
  m.ui.Text1Visible = false;
  m.ui.Picture1Visible = true;
  m.CurrentTool = 0;
  m.ControlsChanged();
}

void Command11_Click(Shared& m) {
  SaveCardAndOrder(m, true);
  DrawCardStrip(m);
}

void Command14_Click(Shared& m) {
  if (!m.dialogs.Ask(QStringLiteral("はじめに、もどします。"))) return;
  SaveUndoImage(m);
  if (!IsNewCard(m)) {
    LoadCard(m);
  } else {
    ClearCanvas(m);
  }
  PaintCanvasFrame(m);
  m.ui.Text1Text.clear();
  m.ui.Text1Visible = false;
  m.ui.Picture2Visible = true;  // the picture, not an empty space, in its place
  m.ControlsChanged();
}
