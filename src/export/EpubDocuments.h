// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The texts of an ePub book: the container's pointer to the package, the
// package document (metadata, manifest, spine), the navigation document,
// the style sheet, the title page, one page per card and one media overlay
// per card with a narration. Everything is UTF-8 XML; the story's name and
// the cards' texts are escaped, never markup.
//
// In the container, for the card at deck index i (PP = i + 1, two digits):
//   META-INF/container.xml
//   EPUB/package.opf, EPUB/nav.xhtml, EPUB/book.css, EPUB/title.xhtml
//   EPUB/cardPP.xhtml        the card's page
//   EPUB/images/cardPP.png   its picture
//   EPUB/audio/cardPP.m4a    its narration, AAC in MP4
//   EPUB/cardPP.smil         the overlay that reads the page aloud

#include <QByteArray>
#include <QString>
#include <vector>

namespace epub {

// One card's page.
struct CardPage {
  QString text;        // the card's text, lines joined with "\n"; empty for none
  bool hasNarration = false;
  int narrationMs = 0;  // the narration's length as its file says
};

struct Book {
  QString title;       // the story's name
  QString identifier;  // "urn:uuid:…"
  QString modified;    // "2026-12-09T21:00:00Z"
  std::vector<CardPage> cards;  // in deck order
};

// The container's file names of card `index` (counted from 0).
QString PageName(int index);      // "card01.xhtml"
QString PictureName(int index);   // "images/card01.png"
QString AudioName(int index);     // "audio/card01.m4a"
QString OverlayName(int index);   // "card01.smil"

// Where the book's own files are inside the container.
inline const QString kFolder = QStringLiteral("EPUB/");

QByteArray ContainerXml();
QByteArray PackageDocument(const Book& book);
QByteArray NavigationDocument(const Book& book);
QByteArray StyleSheet();
QByteArray TitlePage(const Book& book);
QByteArray PageDocument(const Book& book, int index);
QByteArray OverlayDocument(const Book& book, int index);

// The picture's alternative text: the card's text, or "3まいめの え".
QString PictureText(const Book& book, int index);

}  // namespace epub
