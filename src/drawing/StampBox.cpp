// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/StampBox.h"

#include <QHash>
#include <QPainter>

#include "drawing/StampTable.h"
#include "drawing/ToolActions.h"

namespace {

const QColor kBoxColour(255, 255, 192);
const QColor kPlain(192, 255, 192);
const QColor kLit(0, 255, 16);
const QColor kTileColour(255, 255, 255);

constexpr int kMargin = 8;
constexpr int kTabHeight = 40;
constexpr int kTileWidth = 84;
constexpr int kTileHeight = 78;
constexpr int kTileStamp = 48;
constexpr int kTilesTop = kMargin + kTabHeight + 8;
constexpr int kBarTop = kTilesTop + kStampTileRows * kTileHeight + 8;
constexpr int kBarHeight = 44;

const char* const kSizeNames[] = {"ちいさい", "ふつう", "おおきい"};

// The tiles' pictures, rendered once for the run.
const QImage& TileStamp(const Stamp& stamp) {
  static QHash<const Stamp*, QImage> tiles;
  auto found = tiles.find(&stamp);
  if (found == tiles.end()) found = tiles.insert(&stamp, RenderStamp(stamp, kTileStamp, false));
  return *found;
}

void Button(QPainter& painter, const QRect& place, const QString& caption, bool lit, int pixels) {
  painter.setPen(Qt::black);
  painter.setBrush(lit ? kLit : kPlain);
  painter.drawRect(place.adjusted(0, 0, -1, -1));
  QFont font = painter.font();
  font.setPixelSize(pixels);
  font.setBold(true);
  painter.setFont(font);
  painter.drawText(place, Qt::AlignCenter, caption);
}

}  // namespace

QRect StampBoxTab(int category) {
  const int count = int(StampCategories().size());
  const int width = (kStampBoxSize.width() - 2 * kMargin) / count;
  return {kMargin + category * width, kMargin, width - 2, kTabHeight};
}

QRect StampBoxTile(int index) {
  return {kMargin + index % kStampTileColumns * kTileWidth, kTilesTop + index / kStampTileColumns * kTileHeight,
          kTileWidth - 2, kTileHeight - 2};
}

QRect StampBoxSizeButton(int size) { return {kMargin + size * 130, kBarTop, 124, kBarHeight}; }

QRect StampBoxMirrorButton() { return {kStampBoxSize.width() - kMargin - 160, kBarTop, 160, kBarHeight}; }

void DrawStampBox(QImage& surface, const EditorState& editor) {
  if (surface.size() != kStampBoxSize) surface = QImage(kStampBoxSize, QImage::Format_RGB32);
  surface.fill(kBoxColour);
  QPainter painter(&surface);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const auto categories = StampCategories();
  const StampChoice& choice = editor.stamp;
  for (int i = 0; i < int(categories.size()); ++i)
    Button(painter, StampBoxTab(i), QString::fromUtf8(categories[size_t(i)].name), i == choice.tab, 15);
  const int shown = qBound(0, choice.tab, int(categories.size()) - 1);
  const auto stamps = categories[size_t(shown)].stamps;
  for (int i = 0; i < int(stamps.size()) && i < kStampTileColumns * kStampTileRows; ++i) {
    const QRect tile = StampBoxTile(i);
    const bool chosen = shown == choice.category && i == choice.index;
    painter.setPen(chosen ? QPen(Qt::red, 3) : QPen(Qt::gray));
    painter.setBrush(kTileColour);
    painter.drawRect(tile.adjusted(0, 0, -1, -1));
    const QImage& picture = TileStamp(stamps[size_t(i)]);
    painter.drawImage(QPoint(tile.center().x() - kTileStamp / 2, tile.top() + 3),
                      choice.mirrored ? picture.mirrored(true, false) : picture);
    QFont font = painter.font();
    font.setPixelSize(11);
    font.setBold(false);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(tile.left() + 1, tile.top() + kTileStamp + 4, tile.width() - 2, tile.height() - kTileStamp - 5),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere, QString::fromUtf8(stamps[size_t(i)].name));
  }
  for (int i = 0; i < int(kStampSizes.size()); ++i)
    Button(painter, StampBoxSizeButton(i), QString::fromUtf8(kSizeNames[i]), choice.size == kStampSizes[size_t(i)], 16);
  Button(painter, StampBoxMirrorButton(), QStringLiteral("はんてん"), choice.mirrored, 16);
}

bool StampBoxPress(EditorState& editor, QPoint at) {
  const auto categories = StampCategories();
  for (int i = 0; i < int(categories.size()); ++i) {
    if (!StampBoxTab(i).contains(at)) continue;
    editor.stamp.tab = i;
    editor.notifyChanged();
    return false;
  }
  for (int i = 0; i < int(kStampSizes.size()); ++i) {
    if (!StampBoxSizeButton(i).contains(at)) continue;
    editor.stamp.size = kStampSizes[size_t(i)];
    editor.notifyChanged();
    return false;
  }
  if (StampBoxMirrorButton().contains(at)) {
    editor.stamp.mirrored = !editor.stamp.mirrored;
    editor.notifyChanged();
    return false;
  }
  const int category = qBound(0, editor.stamp.tab, int(categories.size()) - 1);
  const int count = int(categories[size_t(category)].stamps.size());
  for (int i = 0; i < count; ++i) {
    if (!StampBoxTile(i).contains(at)) continue;
    ChooseStamp(editor, category, i);
    return true;
  }
  return false;
}

StampBox::StampBox(EditorState& editor, QWidget* parent)
    : PicturePanel(QStringLiteral("stampBox"), kBoxColour, parent), editor_(editor) {
  setWindowFlag(Qt::Dialog);
  setWindowTitle(QStringLiteral("はんこ"));
  setFixedSize(kStampBoxSize);
  setSurface(&surface_);
  redraw();
  connect(this, &PicturePanel::mousePressed, this, [this](Qt::MouseButton button, Qt::KeyboardModifiers, QPointF at) {
    if (button != Qt::LeftButton) return;
    if (StampBoxPress(editor_, at.toPoint())) hide();
  });
  connect(&editor_, &EditorState::changed, this, [this] {
    if (isVisible()) redraw();
  });
}

void StampBox::open() {
  redraw();
  // Over the middle of the window, clear of the tool panel at its left,
  // where a desktop without a window manager would leave it at the corner.
  if (QWidget* window = parentWidget() ? parentWidget()->window() : nullptr)
    move(window->geometry().center() - rect().center());
  show();
  activateWindow();
}

void StampBox::redraw() {
  DrawStampBox(surface_, editor_);
  showSurface();
}
