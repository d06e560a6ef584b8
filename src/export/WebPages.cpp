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

  // The page of the card at deck `index`, named by its place as the child
  // counts.
  QString Page(int index) const { return prefix + TwoDigits(index + 1) + QStringLiteral("cd.htm"); }
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
  int index = 0;
  int number = 0;
  bool hasSound = false;
  std::optional<QStringList> textLines;  // nothing: the card has no text file
};

QByteArray Page(const QString& storyName, const PageNames& names, const Card& card, bool last) {
  const QString title = HtmlText(storyName);
  const QString place = u'[' + QString::number(card.index + 1) + u']';
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
    lines << QStringLiteral("<A href=") + Quoted(LinkName(names.Page(card.index + 1))) +
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

QString WebPagesFormat::Filter() const { return QStringLiteral("ホームページ (*.htm *.html)"); }

QString WebPagesFormat::Extension() const { return QStringLiteral("html"); }

bool WebPagesFormat::Accepts(const QString& chosenHostPath) const {
  for (const ExportFormat* format : ExportFormats()) {
    if (format != this && format->Accepts(chosenHostPath)) return false;
  }
  return true;
}

ExportOutcome WebPagesFormat::Write(const ExportStory& story, const QString& chosenHostPath,
                                    const ExportProgress& progress, const std::atomic<bool>* /*stop*/) const {
  ExportOutcome outcome;
  const auto stopAt = [&](int index) {
    outcome.notWrittenFrom = index;
    outcome.result = index == 0 ? ExportOutcome::Result::NotWritten : ExportOutcome::Result::Written;
    return outcome;
  };
  const PageNames names = NamesFor(chosenHostPath);
  const int count = int(story.cardNumbers.size());
  for (int index = 0; index < count; ++index) {
    Card card;
    card.index = index;
    card.number = story.cardNumbers.at(index);
    using storyfiles::CardFile;
    const auto source = [&](CardFile kind) {
      return storyfiles::CardFilePath(story.folder, card.number, kind);
    };
    const auto unreadable = [&] {
      if (!outcome.unreadableCards.contains(index)) outcome.unreadableCards << index;
    };

    const QString soundFile = names.folder + names.Sound(card.number);
    switch (host::CopyToHost(source(CardFile::Narration), soundFile)) {
      case host::FileCopyResult::Copied:
        card.hasSound = true;
        outcome.written << soundFile;
        break;
      case host::FileCopyResult::SourceMissing:
        break;
      case host::FileCopyResult::SourceUnreadable:
        unreadable();
        break;
      case host::FileCopyResult::WriteFailed:
        return stopAt(index);
    }

    const QString pictureFile = names.folder + names.Picture(card.number);
    switch (host::CopyToHost(source(CardFile::Picture), pictureFile)) {
      case host::FileCopyResult::Copied:
        outcome.written << pictureFile;
        break;
      case host::FileCopyResult::SourceMissing:
        outcome.missingPictures << index;
        break;
      case host::FileCopyResult::SourceUnreadable:
        unreadable();
        break;
      case host::FileCopyResult::WriteFailed:
        return stopAt(index);
    }

    if (disk::Exists(source(CardFile::Text))) {
      card.textLines = disk::ReadLines(source(CardFile::Text));
      if (!card.textLines) unreadable();
    }

    const QString pageFile = names.folder + names.Page(index);
    if (!host::WriteWholeFile(pageFile, Page(story.name, names, card, index == count - 1))) return stopAt(index);
    outcome.written << pageFile;
    if (progress) progress(index + 1, count);
  }
  // On a USB stick the copies reach the device before the child is told
  // the pages are done, so a stick pulled at once holds them whole.
  if (count > 0 && !host::FlushRemovable(names.folder)) return stopAt(0);
  outcome.result = ExportOutcome::Result::Written;
  return outcome;
}

QString WebPagesFormat::Message(const ExportOutcome& outcome) const {
  if (outcome.result == ExportOutcome::Result::Stopped) return {};
  QStringList parts;
  if (!outcome.missingPictures.isEmpty())
    parts << CardPlaces(outcome.missingPictures) + QStringLiteral("まいめの え が ありません。");
  if (!outcome.unreadableCards.isEmpty())
    parts << CardPlaces(outcome.unreadableCards) + QStringLiteral("まいめの カードが よめませんでした。");
  if (outcome.result == ExportOutcome::Result::NotWritten || outcome.notWrittenFrom == 0) {
    parts << QStringLiteral("ホームページが かけませんでした。");
  } else if (outcome.notWrittenFrom > 0) {
    parts << CardPlaces({outcome.notWrittenFrom}) + QStringLiteral("まいめから あとが かけませんでした。");
  }
  if (parts.isEmpty()) return QStringLiteral("ホームページが できました。");
  return parts.join(u'\n');
}
