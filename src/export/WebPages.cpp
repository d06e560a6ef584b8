// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/WebPages.h"

#include <QFileInfo>
#include <optional>

#include "deck/StoryFiles.h"
#include "platform/Disk.h"
#include "platform/HostFiles.h"
#include "platform/TextCodec.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A number as two characters: "0" before its digits, the last two kept.
QString TwoDigits(int n) { return (QStringLiteral("0") + QString::number(n < 0 ? -n : n)).right(2); }

// Text placed inside a page: the characters that mean something to HTML
// become entities, and a character windows-31j has no code for becomes a
// numeric reference, so it still shows.
QString HtmlText(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (qsizetype i = 0; i < s.size(); ++i) {
    const QChar c = s.at(i);
    if (c == u'&') {
      out += QStringLiteral("&amp;");
    } else if (c == u'<') {
      out += QStringLiteral("&lt;");
    } else if (c == u'>') {
      out += QStringLiteral("&gt;");
    } else if (c == u'"') {
      out += QStringLiteral("&quot;");
    } else {
      const qsizetype len = (c.isHighSurrogate() && i + 1 < s.size()) ? 2 : 1;
      const QString one = s.mid(i, len);
      if (text::CanEncode(one)) {
        out += one;
      } else {
        out += QStringLiteral("&#%1;").arg(one.toUcs4().value(0));
      }
      i += len - 1;
    }
  }
  return out;
}

// A file name inside a link: characters that would end or bend the address
// (space, "#", "?", "%" ...) are percent-encoded, then it is page text.
QString LinkName(const QString& name) {
  static const QByteArray kKeep = "-._~!$&'()*+,;=:@";
  QString out;
  for (const QChar c : name) {
    const char16_t u = c.unicode();
    const bool plain = u >= 0x80 || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                       (u >= u'0' && u <= u'9') || kKeep.contains(char(u));
    out += plain ? QString(c) : QStringLiteral("%%1").arg(int(u), 2, 16, QChar(u'0')).toUpper();
  }
  return HtmlText(out);
}

QString Quoted(const QString& s) { return u'"' + s + u'"'; }

struct PageNames {
  QString folder;  // host folder of the chosen file, ending in "/"
  QString prefix;  // lower-case stem & "_"

  QString Page(int position) const { return prefix + TwoDigits(position) + QStringLiteral("cd.htm"); }
  QString Picture(int number) const { return prefix + QStringLiteral("card_") + TwoDigits(number) + QStringLiteral(".png"); }
  QString Sound(int number) const { return prefix + QStringLiteral("card_") + TwoDigits(number) + QStringLiteral(".wav"); }
};

PageNames NamesFor(const QString& chosenHostPath) {
  const QFileInfo chosen(chosenHostPath);
  // The stem is cut from the file's own name, so a folder with "." in its
  // name keeps its whole name.
  const QString name = chosen.fileName();
  const qsizetype dot = name.indexOf(u'.');
  const QString stem = dot < 0 ? name : name.left(dot);
  return {chosen.absolutePath() + u'/', stem.toLower() + u'_'};
}

struct Card {
  int position = 0;
  int number = 0;
  bool hasSound = false;
  std::optional<QStringList> textLines;  // nothing: the card has no text file
};

QByteArray Page(const QString& storyName, const PageNames& names, const Card& card, bool last) {
  const QString title = HtmlText(storyName);
  const QString place = u'[' + QString::number(card.position) + u']';
  const QString meta =
      QStringLiteral("<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">");
  QStringList lines{QStringLiteral("<HTML>")};
  if (card.hasSound) {
    lines << QStringLiteral("<HEAD>") + meta + QStringLiteral("<TITLE>") + title + place +
                 QStringLiteral("</TITLE>");
    lines << QStringLiteral("<BGSOUND SRC=") + Quoted(LinkName(names.Sound(card.number))) + u'>';
    lines << QStringLiteral("</HEAD>");
  } else {
    lines << QStringLiteral("<HEAD>") + meta + QStringLiteral("<TITLE>") + title +
                 QStringLiteral("</TITLE></HEAD>");
  }
  lines << QStringLiteral("<BODY  bgcolor=\"#CCFFCC\">") << QStringLiteral("<CENTER>");
  lines << QStringLiteral("<H1>") + title + place + QStringLiteral("</H1>");
  if (!last) {
    lines << QStringLiteral("<A href=") + Quoted(LinkName(names.Page(card.position + 1))) +
                 QStringLiteral(">つぎのカード</A>");
  }
  lines << QStringLiteral("<BR>");
  lines << QStringLiteral("<IMG SRC=") + Quoted(LinkName(names.Picture(card.number))) + u'>';
  if (card.hasSound) {
    lines << QStringLiteral("<AUDIO SRC=") + Quoted(LinkName(names.Sound(card.number))) +
                 QStringLiteral(" CONTROLS AUTOPLAY></AUDIO>");
  }
  if (card.textLines) {
    lines << QStringLiteral("<TABLE WIDTH=65%><TR><TD>");
    for (const QString& line : *card.textLines) {
      if (line.isEmpty()) continue;
      lines << HtmlText(line) + QStringLiteral("<br>") << QString();
    }
    lines << QStringLiteral("</TD></TR></TABLE>");
  }
  lines << QStringLiteral("</CENTER>") << QStringLiteral("</BODY>") << QStringLiteral("</HTML>");
  // Every character is now one windows-31j can store.
  return text::Encode(lines.join(kCrLf) + kCrLf).value_or(QByteArray());
}

}  // namespace

ExportResult WriteWebPages(const ExportStory& story, const QString& chosenHostPath) {
  ExportResult result;
  const PageNames names = NamesFor(chosenHostPath);
  const int count = int(story.cardNumbers.size());
  for (int position = 1; position <= count; ++position) {
    Card card;
    card.position = position;
    card.number = story.cardNumbers.at(position - 1);
    using storyfiles::CardFile;
    const auto source = [&](CardFile kind) {
      return storyfiles::CardFilePath(story.folder, card.number, kind);
    };
    const auto unreadable = [&] {
      if (!result.unreadableCards.contains(position)) result.unreadableCards << position;
    };

    const QString soundFile = names.folder + names.Sound(card.number);
    switch (host::CopyToHost(source(CardFile::Narration), soundFile)) {
      case host::FileCopyResult::Copied:
        card.hasSound = true;
        result.written << soundFile;
        break;
      case host::FileCopyResult::SourceMissing:
        break;
      case host::FileCopyResult::SourceUnreadable:
        unreadable();
        break;
      case host::FileCopyResult::WriteFailed:
        result.stoppedAt = position;
        return result;
    }

    const QString pictureFile = names.folder + names.Picture(card.number);
    switch (host::CopyToHost(source(CardFile::Picture), pictureFile)) {
      case host::FileCopyResult::Copied:
        result.written << pictureFile;
        break;
      case host::FileCopyResult::SourceMissing:
        result.missingPictures << position;
        break;
      case host::FileCopyResult::SourceUnreadable:
        unreadable();
        break;
      case host::FileCopyResult::WriteFailed:
        result.stoppedAt = position;
        return result;
    }

    if (disk::Exists(source(CardFile::Text))) {
      card.textLines = disk::ReadLines(source(CardFile::Text));
      if (!card.textLines) unreadable();
    }

    const QString pageFile = names.folder + names.Page(position);
    if (!host::WriteWholeFile(pageFile, Page(story.name, names, card, position == count))) {
      result.stoppedAt = position;
      return result;
    }
    result.written << pageFile;
  }
  // On a USB stick the copies reach the device before the child is told
  // the pages are done, so a stick pulled at once holds them whole.
  if (count > 0 && !host::FlushRemovable(names.folder)) result.stoppedAt = 1;
  return result;
}

QString ExportMessage(const ExportResult& result) {
  QStringList parts;
  if (!result.missingPictures.isEmpty()) {
    QStringList places;
    for (int position : result.missingPictures) places << QString::number(position);
    parts << places.join(u'、') + QStringLiteral("まいめの え が ありません。");
  }
  if (!result.unreadableCards.isEmpty()) {
    QStringList places;
    for (int position : result.unreadableCards) places << QString::number(position);
    parts << places.join(u'、') + QStringLiteral("まいめの カードが よめませんでした。");
  }
  if (result.stoppedAt == 1) {
    parts << QStringLiteral("ホームページが かけませんでした。");
  } else if (result.stoppedAt > 1) {
    parts << QString::number(result.stoppedAt) + QStringLiteral("まいめから あとが かけませんでした。");
  }
  if (parts.isEmpty()) return QStringLiteral("ホームページが できました。");
  return parts.join(u'\n');
}
