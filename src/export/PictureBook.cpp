// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/PictureBook.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

#include "deck/StoryFiles.h"
#include "platform/Disk.h"
#include "platform/Fonts.h"
#include "platform/HostFiles.h"
#include "platform/Imaging.h"

namespace {

constexpr int kDotsPerInch = 300;
constexpr double kTitlePoints = 40;
constexpr double kTextPoints = 28;
constexpr double kFootPoints = 12;


// The program's Gothic face at a printed size.
QFont PrintFont(double points) {
  QFont font = Gothic(points);
  font.setPointSizeF(points);
  return font;
}

void DrawFoot(QPainter& painter, const QRect& page, int number) {
  painter.setFont(PrintFont(kFootPoints));
  const int footHeight = painter.fontMetrics().height() * 2;
  painter.drawText(QRect(page.left(), page.bottom() - footHeight, page.width(), footHeight), Qt::AlignCenter,
                   QString::number(number));
}

void DrawTitlePage(QPainter& painter, const QRect& page, const QString& name) {
  painter.setFont(PrintFont(kTitlePoints));
  QTextOption centred(Qt::AlignCenter);
  centred.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  painter.drawText(QRectF(page), name, centred);
}

// The card's picture scaled to fit the upper part, its text below it.
void DrawCardPage(QPainter& painter, const QRect& page, const std::optional<QImage>& picture,
                  const QString& text, int index) {
  painter.setFont(PrintFont(kFootPoints));
  const int footHeight = painter.fontMetrics().height() * 2;
  painter.setFont(PrintFont(kTextPoints));
  const int lineHeight = painter.fontMetrics().lineSpacing();
  // Room for three lines of text under the picture, more if the text is longer.
  const int textLines = std::max<qsizetype>(3, text.count(u'\n') + 1);
  const int textHeight = std::min(lineHeight * int(textLines) + lineHeight / 2, page.height() / 2);
  const QRect pictureArea(page.left(), page.top(), page.width(), page.height() - footHeight - textHeight);
  if (picture) {
    const QSize size = picture->size().scaled(pictureArea.size(), Qt::KeepAspectRatio);
    const QRect target(pictureArea.left() + (pictureArea.width() - size.width()) / 2, pictureArea.top(),
                       size.width(), size.height());
    painter.drawImage(target, *picture);
    painter.setPen(QPen(Qt::gray, 2));
    painter.drawRect(target);
    painter.setPen(Qt::black);
  }
  const QRect textArea(page.left() + page.width() / 10, pictureArea.bottom() + lineHeight / 2,
                       page.width() * 8 / 10, textHeight - lineHeight / 2);
  QTextOption wrapped(Qt::AlignLeft | Qt::AlignTop);
  wrapped.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  painter.drawText(QRectF(textArea), text, wrapped);
  DrawFoot(painter, page, index + 1);
}

}  // namespace

QByteArray PictureBookPdf(const ExportStory& story, QList<int>* missingPictures, QList<int>* unreadableTexts) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (!buffer.open(QIODevice::WriteOnly)) return {};
  {
    QPdfWriter writer(&buffer);
    writer.setTitle(story.name);
    writer.setCreator(QStringLiteral("pikorama"));
    writer.setResolution(kDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(15, 15, 15, 12),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) return {};
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect page = writer.pageLayout().paintRectPixels(writer.resolution()).translated(
        -writer.pageLayout().paintRectPixels(writer.resolution()).topLeft());
    DrawTitlePage(painter, page, story.name);
    for (int index = 0; index < story.cardNumbers.size(); ++index) {
      const int number = story.cardNumbers.at(index);
      using storyfiles::CardFile;
      const std::optional<QImage> picture =
          imaging::ReadCardPicture(storyfiles::CardFilePath(story.folder, number, CardFile::Picture));
      if (!picture && missingPictures) missingPictures->append(index);
      const QString textFile = storyfiles::CardFilePath(story.folder, number, CardFile::Text);
      const auto read = disk::ReadLines(textFile);
      if (!read && disk::Exists(textFile) && unreadableTexts) unreadableTexts->append(index);
      QStringList lines = read.value_or(QStringList());
      while (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
      if (!writer.newPage()) return {};
      DrawCardPage(painter, page, picture, lines.join(u'\n'), index);
    }
    if (!painter.end()) return {};
  }
  return bytes;
}

QString PictureBookFormat::Filter() const { return QStringLiteral("えほん (*.pdf)"); }

QString PictureBookFormat::Extension() const { return QStringLiteral("pdf"); }

bool PictureBookFormat::Accepts(const QString& chosenHostPath) const {
  return chosenHostPath.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

ExportOutcome PictureBookFormat::Write(const ExportStory& story, const QString& chosenHostPath,
                                       const ExportProgress& /*progress*/, const std::atomic<bool>* stop) const {
  ExportOutcome outcome;
  const QByteArray pdf = PictureBookPdf(story, &outcome.missingPictures, &outcome.unreadableCards);
  if (stop && stop->load()) {
    outcome.result = ExportOutcome::Result::Stopped;
    return outcome;
  }
  if (pdf.isEmpty() || !host::WriteWholeFile(chosenHostPath, pdf)) return outcome;  // NotWritten
  outcome.result = ExportOutcome::Result::Written;
  outcome.written << chosenHostPath;
  return outcome;
}

QString PictureBookFormat::Message(const ExportOutcome& outcome) const {
  if (outcome.result == ExportOutcome::Result::Stopped) return {};
  if (outcome.result != ExportOutcome::Result::Written) return QStringLiteral("えほんが かけませんでした。");
  QStringList parts;
  if (!outcome.missingPictures.isEmpty())
    parts << CardPlaces(outcome.missingPictures) + QStringLiteral("まいめの え が ありません。");
  // "Done" only when every card is in the book as it is on disk.
  if (!outcome.unreadableCards.isEmpty())
    return (parts << CardPlaces(outcome.unreadableCards) + QStringLiteral("まいめの カードが よめませんでした。")).join(u'\n');
  return (parts << QStringLiteral("えほんが できました。")).join(u'\n');
}
