// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/EpubDocuments.h"

#include <QStringList>

#include "player/StoryPlayer.h"

namespace epub {

namespace {

const QString kXmlHead = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");

// Text and attribute values: & < > and quotes as entities.
QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

QString TwoDigits(int index) { return QStringLiteral("%1").arg(index + 1, 2, 10, QChar(u'0')); }

// SMIL clock values: "0:00:01.234" and "1.234s".
QString Clock(int ms) {
  return QStringLiteral("%1:%2:%3.%4")
      .arg(ms / 3600000)
      .arg(ms / 60000 % 60, 2, 10, QChar(u'0'))
      .arg(ms / 1000 % 60, 2, 10, QChar(u'0'))
      .arg(ms % 1000, 3, 10, QChar(u'0'));
}
QString Seconds(int ms) { return QStringLiteral("%1.%2s").arg(ms / 1000).arg(ms % 1000, 3, 10, QChar(u'0')); }

bool AnyNarration(const Book& book) {
  for (const CardPage& card : book.cards)
    if (card.hasNarration) return true;
  return false;
}

// The head every page shares: its title, the fixed page size, the style.
QString XhtmlHead(const QString& title, bool fixed) {
  QString head = kXmlHead + QStringLiteral(
                                "<!DOCTYPE html>\n"
                                "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
                                "xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"ja\" lang=\"ja\">\n"
                                "<head>\n<meta charset=\"UTF-8\"/>\n<title>") +
                 Escaped(title) + QStringLiteral("</title>\n");
  if (fixed) head += QStringLiteral("<meta name=\"viewport\" content=\"width=800, height=600\"/>\n");
  head += QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" href=\"book.css\"/>\n</head>\n");
  return head;
}

QString PlaceName(int index) { return QString::number(index + 1) + QStringLiteral("まいめ"); }

}  // namespace

QString PageName(int index) { return QStringLiteral("card") + TwoDigits(index) + QStringLiteral(".xhtml"); }
QString PictureName(int index) { return QStringLiteral("images/card") + TwoDigits(index) + QStringLiteral(".png"); }
QString AudioName(int index) { return QStringLiteral("audio/card") + TwoDigits(index) + QStringLiteral(".m4a"); }
QString OverlayName(int index) { return QStringLiteral("card") + TwoDigits(index) + QStringLiteral(".smil"); }

QString PictureText(const Book& book, int index) {
  const QString text = book.cards[size_t(index)].text.simplified();
  return text.isEmpty() ? PlaceName(index) + QStringLiteral("の え") : text;
}

QByteArray ContainerXml() {
  return (kXmlHead + QStringLiteral(
                         "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n"
                         "<rootfiles>\n"
                         "<rootfile full-path=\"EPUB/package.opf\" media-type=\"application/oebps-package+xml\"/>\n"
                         "</rootfiles>\n</container>\n"))
      .toUtf8();
}

QByteArray PackageDocument(const Book& book) {
  const bool spoken = AnyNarration(book);
  QString opf = kXmlHead + QStringLiteral(
                               "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                               "unique-identifier=\"bookid\" xml:lang=\"ja\">\n"
                               "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n");
  auto meta = [&](const QString& property, const QString& value, const QString& refines = {}) {
    opf += QStringLiteral("<meta property=\"") + property + u'"';
    if (!refines.isEmpty()) opf += QStringLiteral(" refines=\"#") + refines + u'"';
    opf += u'>' + Escaped(value) + QStringLiteral("</meta>\n");
  };
  opf += QStringLiteral("<dc:identifier id=\"bookid\">") + Escaped(book.identifier) + QStringLiteral("</dc:identifier>\n");
  opf += QStringLiteral("<dc:title>") + Escaped(book.title) + QStringLiteral("</dc:title>\n");
  opf += QStringLiteral("<dc:language>ja</dc:language>\n");
  meta(QStringLiteral("dcterms:modified"), book.modified);
  meta(QStringLiteral("rendition:layout"), QStringLiteral("pre-paginated"));
  meta(QStringLiteral("rendition:spread"), QStringLiteral("none"));

  // Who can read it, and how.
  meta(QStringLiteral("schema:accessMode"), QStringLiteral("textual"));
  meta(QStringLiteral("schema:accessMode"), QStringLiteral("visual"));
  if (spoken) meta(QStringLiteral("schema:accessMode"), QStringLiteral("auditory"));
  meta(QStringLiteral("schema:accessModeSufficient"), QStringLiteral("textual,visual"));
  meta(QStringLiteral("schema:accessModeSufficient"), QStringLiteral("textual"));
  QStringList features = {QStringLiteral("alternativeText"), QStringLiteral("readingOrder"),
                          QStringLiteral("pageNavigation"), QStringLiteral("tableOfContents")};
  if (spoken) features << QStringLiteral("synchronizedAudioText");
  for (const QString& feature : features) meta(QStringLiteral("schema:accessibilityFeature"), feature);
  meta(QStringLiteral("schema:accessibilityHazard"), QStringLiteral("none"));
  QString summary = QStringLiteral("えと もじの えほんです。 えには もじで せつめいが ついています。");
  if (spoken) summary += QStringLiteral(" こえで よみあげ、 よんでいる もじに いろが つきます。");
  meta(QStringLiteral("schema:accessibilitySummary"), summary);

  // The overlays' lengths, each and in all.
  int totalMs = 0;
  for (int i = 0; i < int(book.cards.size()); ++i) {
    const CardPage& card = book.cards[size_t(i)];
    if (!card.hasNarration) continue;
    meta(QStringLiteral("media:duration"), Clock(card.narrationMs), QStringLiteral("mo") + TwoDigits(i));
    totalMs += card.narrationMs;
  }
  if (spoken) {
    meta(QStringLiteral("media:duration"), Clock(totalMs));
    meta(QStringLiteral("media:active-class"), QStringLiteral("reading"));
  }
  opf += QStringLiteral("</metadata>\n<manifest>\n");

  auto item = [&](const QString& id, const QString& href, const QString& type, const QString& extra = {}) {
    opf += QStringLiteral("<item id=\"%1\" href=\"%2\" media-type=\"%3\"%4/>\n").arg(id, href, type, extra);
  };
  const QString xhtml = QStringLiteral("application/xhtml+xml");
  item(QStringLiteral("nav"), QStringLiteral("nav.xhtml"), xhtml, QStringLiteral(" properties=\"nav\""));
  item(QStringLiteral("css"), QStringLiteral("book.css"), QStringLiteral("text/css"));
  item(QStringLiteral("title"), QStringLiteral("title.xhtml"), xhtml);
  for (int i = 0; i < int(book.cards.size()); ++i) {
    const QString pp = TwoDigits(i);
    const bool spokenCard = book.cards[size_t(i)].hasNarration;
    item(QStringLiteral("page") + pp, PageName(i), xhtml,
         spokenCard ? QStringLiteral(" media-overlay=\"mo%1\"").arg(pp) : QString());
    item(QStringLiteral("picture") + pp, PictureName(i), QStringLiteral("image/png"),
         i == 0 ? QStringLiteral(" properties=\"cover-image\"") : QString());
    if (!spokenCard) continue;
    item(QStringLiteral("audio") + pp, AudioName(i), QStringLiteral("audio/mp4"));
    item(QStringLiteral("mo") + pp, OverlayName(i), QStringLiteral("application/smil+xml"));
  }
  opf += QStringLiteral("</manifest>\n<spine>\n<itemref idref=\"title\"/>\n");
  for (int i = 0; i < int(book.cards.size()); ++i)
    opf += QStringLiteral("<itemref idref=\"page%1\"/>\n").arg(TwoDigits(i));
  opf += QStringLiteral("</spine>\n</package>\n");
  return opf.toUtf8();
}

QByteArray NavigationDocument(const Book& book) {
  QString nav = XhtmlHead(book.title, false) + QStringLiteral(
                                                   "<body>\n<nav epub:type=\"toc\" id=\"toc\" role=\"doc-toc\">\n"
                                                   "<h1>もくじ</h1>\n<ol>\n<li><a href=\"title.xhtml\">") +
                Escaped(book.title) + QStringLiteral("</a></li>\n");
  QString pages;
  for (int i = 0; i < int(book.cards.size()); ++i) {
    nav += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n").arg(PageName(i), PlaceName(i));
    pages += QStringLiteral("<li><a href=\"%1\">%2</a></li>\n").arg(PageName(i)).arg(i + 1);
  }
  nav += QStringLiteral("</ol>\n</nav>\n");
  if (!book.cards.empty())
    nav += QStringLiteral("<nav epub:type=\"page-list\" id=\"pages\" role=\"doc-pagelist\" hidden=\"hidden\">\n"
                          "<h2>ページ</h2>\n<ol>\n") +
           pages + QStringLiteral("</ol>\n</nav>\n");
  nav += QStringLiteral("<nav epub:type=\"landmarks\" id=\"landmarks\" hidden=\"hidden\">\n<h2>ガイド</h2>\n<ol>\n"
                        "<li><a epub:type=\"titlepage\" href=\"title.xhtml\">") +
         Escaped(book.title) + QStringLiteral("</a></li>\n");
  if (!book.cards.empty())
    nav += QStringLiteral("<li><a epub:type=\"bodymatter\" href=\"%1\">%2</a></li>\n").arg(PageName(0), PlaceName(0));
  nav += QStringLiteral("</ol>\n</nav>\n</body>\n</html>\n");
  return nav.toUtf8();
}

QByteArray StyleSheet() {
  const QColor panel = StoryPlayer::kPanelColour;
  return QStringLiteral(
             "@charset \"UTF-8\";\n"
             "html, body { margin: 0; padding: 0; width: 800px; height: 600px; overflow: hidden; }\n"
             "body { font-family: \"IPAGothic\", \"IPAexGothic\", \"Noto Sans JP\", \"Noto Sans CJK JP\", "
             "\"Hiragino Kaku Gothic ProN\", \"Hiragino Sans\", sans-serif; color: #000000; "
             "background-color: #ffffff; }\n"
             ".page { position: relative; width: 800px; height: 600px; }\n"
             // The title screen as the player shows it: the name centred,
             // its top at the player's line.
             ".titlepage { background-color: %1; }\n"
             ".title { position: absolute; left: 0; top: %2px; width: 800px; margin: 0; text-align: center; "
             "font-size: %3pt; font-weight: normal; line-height: 1.2; }\n"
             // A card: the picture fills the page, the text lies in a white
             // band along its foot.
             ".picture { position: absolute; left: 0; top: 0; width: 800px; height: 600px; }\n"
             ".band { position: absolute; left: 0; bottom: 0; width: 800px; box-sizing: border-box; "
             "padding: 12px 28px; background-color: rgba(255, 255, 255, 0.92); }\n"
             ".text { margin: 0; font-size: 28px; line-height: 1.5; white-space: pre-wrap; }\n"
             // The words of a card without text, there for the reading aloud
             // and for screen readers only.
             ".quiet { position: absolute; left: 0; top: 0; width: 1px; height: 1px; overflow: hidden; "
             "clip: rect(0, 0, 0, 0); margin: 0; }\n"
             // What is being read aloud.
             ".reading { background-color: #ffe45c; }\n")
      .arg(panel.name())
      .arg(StoryPlayer::kTitleTop)
      .arg(StoryPlayer::kTitlePoints)
      .toUtf8();
}

QByteArray TitlePage(const Book& book) {
  return (XhtmlHead(book.title, true) +
          QStringLiteral("<body class=\"titlepage\">\n<div class=\"page\">\n<h1 class=\"title\">") +
          Escaped(book.title) + QStringLiteral("</h1>\n</div>\n</body>\n</html>\n"))
      .toUtf8();
}

QByteArray PageDocument(const Book& book, int index) {
  const CardPage& card = book.cards[size_t(index)];
  QString page = XhtmlHead(book.title + QStringLiteral(" ") + PlaceName(index), true) +
                 QStringLiteral("<body>\n<div class=\"page\">\n<img class=\"picture\" src=\"%1\" width=\"800\" "
                                "height=\"600\" alt=\"%2\"/>\n")
                     .arg(PictureName(index), Escaped(PictureText(book, index)));
  if (card.text.isEmpty()) {
    page += QStringLiteral("<p id=\"text\" class=\"quiet\">") + Escaped(PictureText(book, index)) +
            QStringLiteral("</p>\n");
  } else {
    QStringList lines;
    for (const QString& line : card.text.split(u'\n')) lines << Escaped(line);
    page += QStringLiteral("<div class=\"band\"><p id=\"text\" class=\"text\">") + lines.join(QStringLiteral("<br/>")) +
            QStringLiteral("</p></div>\n");
  }
  page += QStringLiteral("</div>\n</body>\n</html>\n");
  return page.toUtf8();
}

QByteArray OverlayDocument(const Book& book, int index) {
  const CardPage& card = book.cards[size_t(index)];
  return (kXmlHead +
          QStringLiteral("<smil xmlns=\"http://www.w3.org/ns/SMIL\" xmlns:epub=\"http://www.idpf.org/2007/ops\" "
                         "version=\"3.0\">\n<body>\n<par id=\"read\">\n<text src=\"%1#text\"/>\n"
                         "<audio src=\"%2\" clipBegin=\"0s\" clipEnd=\"%3\"/>\n</par>\n</body>\n</smil>\n")
              .arg(PageName(index), AudioName(index), Seconds(card.narrationMs)))
      .toUtf8();
}

}  // namespace epub
