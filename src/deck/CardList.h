// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The story's deck on disk: "CardData.txt" in the story folder holds the
// card numbers in deck order, one per line as number printing writes them
// (" 3 " CR LF); an empty deck is an empty file. A card's files are named
// from its number: storyFolder & "Card_" & two digits, with ".PNG" (the
// picture), ".BMP" (the thumbnail), ".txt" (the text) and "_x.wav" (the
// narration) appended.

#include <QByteArray>
#include <QString>

class DeckState;

// Most cards a deck holds.
inline constexpr int kMaxCards = 30;

// "CardData.txt" in the current story folder.
QString CardListFile(const DeckState& s);

// The stem of card `number`'s files in the current story folder:
// storyFolder & "Card_07" for 7. The number is written as its last two
// digits ("Card_00" for 0).
QString CardFileStem(const DeckState& s, int number);
// The same for the story in `storyFolder`.
QString CardFileStem(const QString& storyFolder, int number);

// Fills cardNumbers from the list file, at most 30 numbers. Lines that name
// no card (not a number, or not 1 to 30) and numbers already read are left
// out, so no two positions share files. currentCard and the strip page stay
// as they are.
// A missing or empty file gives an empty deck. False when the file could
// not be read.
bool ReadCardList(DeckState& s);

// Writes cardNumbers to the list file, replacing it whole:
// the old file stays untouched when the write fails. False on failure.
bool WriteCardList(const DeckState& s);

