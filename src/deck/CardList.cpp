// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "deck/CardList.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "platform/Disk.h"
#include "deck/DeckState.h"
#include "deck/StoryFiles.h"
#include "platform/Numbers.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

void SkipBlanks(const QByteArray& b, qsizetype& i) {
  while (i < b.size() && IsBlank(b[i])) ++i;
}

// Steps over one line ending: CR LF, CR or LF.
void SkipLineEnd(const QByteArray& b, qsizetype& i) {
  if (i < b.size() && b[i] == '\r') ++i;
  if (i < b.size() && b[i] == '\n') ++i;
}

// The next field from `i`: leading blanks skipped, ended by a comma or the
// line end, a quoted field without its quotes. A comma that closes a line
// ends the line as well, so "3," reads like "3". Nothing when the file has
// no more to read.
std::optional<QByteArray> ReadField(const QByteArray& b, qsizetype& i) {
  SkipBlanks(b, i);
  if (i >= b.size()) return std::nullopt;
  QByteArray field;
  if (b[i] == '"') {
    ++i;
    while (i < b.size() && b[i] != '"' && !IsLineEnd(b[i])) field += b[i++];
    if (i < b.size() && b[i] == '"') ++i;
    // Whatever follows the closing quote up to the comma is dropped.
    while (i < b.size() && b[i] != ',' && !IsLineEnd(b[i])) ++i;
  } else {
    while (i < b.size() && b[i] != ',' && !IsLineEnd(b[i])) field += b[i++];
  }
  if (i < b.size() && b[i] == ',') {
    ++i;
    qsizetype j = i;
    SkipBlanks(b, j);
    if (j >= b.size() || IsLineEnd(b[j])) {
      i = j;
      SkipLineEnd(b, i);
    }
  } else {
    SkipLineEnd(b, i);
  }
  return field;
}

// The number at the start of a field, blanks ignored, rounded to a whole
// number (halves to even): "3", " 3 ", "3.5" (4), "7 cards" (7). A field
// without a number, or with one no card can have (cards are 1 to 30), gives
// nothing.
std::optional<int> CardNumberOf(const QByteArray& field) {
  QByteArray t;
  for (char c : field)
    if (!IsBlank(c)) t += c;
  qsizetype k = 0;
  QByteArray number;
  if (k < t.size() && (t[k] == '+' || t[k] == '-')) number += t[k++];
  int digits = 0;
  while (k < t.size() && t[k] >= '0' && t[k] <= '9') number += t[k++], ++digits;
  if (k < t.size() && t[k] == '.') {
    number += t[k++];
    while (k < t.size() && t[k] >= '0' && t[k] <= '9') number += t[k++], ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (k < t.size() && (t[k] == 'e' || t[k] == 'E' || t[k] == 'd' || t[k] == 'D')) {
    qsizetype e = k + 1;
    QByteArray exponent = "e";
    if (e < t.size() && (t[e] == '+' || t[e] == '-')) exponent += t[e++];
    const qsizetype first = e;
    while (e < t.size() && t[e] >= '0' && t[e] <= '9') exponent += t[e++];
    if (e > first) number += exponent;
  }
  const double value = std::strtod(number.constData(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  // Card numbers name files by their last two digits: a number beyond the
  // deck's range would alias another card's files, so it names no card.
  if (value < 0.5 || value > kMaxCards + 0.5) return std::nullopt;
  return int(RoundHalfEven(value));
}

}  // namespace

QString CardListFile(const DeckState& s) { return s.storyFolder + storyfiles::kCardList; }

QString CardFileStem(const QString& storyFolder, int number) {
  return storyFolder + storyfiles::CardStem(number);
}

QString CardFileStem(const DeckState& s, int number) { return CardFileStem(s.storyFolder, number); }

bool ReadCardList(DeckState& s) {
  s.cardNumbers.clear();
  const auto bytes = disk::ReadBytes(CardListFile(s));
  if (!bytes) return false;
  qsizetype i = 0;
  while (true) {
    const auto field = ReadField(*bytes, i);
    if (!field || s.cardCount() == kMaxCards) break;
    // A line naming no card, or a card already in the deck, is left out:
    // two positions sharing one card's files would let erasing or saving
    // one of them destroy the other. The next write of the list drops it.
    const auto number = CardNumberOf(*field);
    if (number && !s.cardNumbers.contains(*number)) s.cardNumbers.append(*number);
    if (i >= bytes->size()) break;
  }
  return true;
}

bool WriteCardList(const DeckState& s) {
  QByteArray bytes;
  const int count = std::min(s.cardCount(), kMaxCards);
  for (int position = 0; position < count; ++position) {
    bytes += SignedText(s.cardNumbers[position]).toLatin1();
    bytes += " \r\n";
  }
  return disk::WriteBytes(CardListFile(s), bytes);
}
