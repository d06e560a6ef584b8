// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The list of export kinds: one line per kind, in the save dialog's order.

#include "export/EpubBook.h"
#include "export/ExportFormat.h"
#include "export/PictureBook.h"
#include "export/StoryVideo.h"
#include "export/WebPages.h"

const std::vector<const ExportFormat*>& ExportFormats() {
  static const WebPagesFormat webPages;
  static const PictureBookFormat pictureBook;
  static const VideoFormat video;
  static const EpubBookFormat epubBook;
  static const std::vector<const ExportFormat*> formats{&webPages, &pictureBook, &video, &epubBook};
  return formats;
}

QString CardPlaces(const QList<int>& indexes) {
  QStringList places;
  for (int index : indexes) places << QString::number(index + 1);
  return places.join(u'、');
}
