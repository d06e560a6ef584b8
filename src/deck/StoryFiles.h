// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The names of a story's files, the one place they are spelled. A class
// folder (and the root of an exchange drive) holds the story list
// "Menu.txt" beside one folder per story; a story folder holds the card list
// "CardData.txt" and, per card number NN (two digits, "Card_07"), its
// picture "Card_NN.PNG", thumbnail "Card_NN.BMP", text "Card_NN.txt" and
// narration "Card_NN_x.wav". Names match without regard to letter case; the
// school PCs spell the text ".TXT" when a card is copied, and a file copy
// creates keeps that spelling.

#include <QString>
#include <cstdlib>

namespace storyfiles {

// The data root a run starts with, before the drive dialog moves it: the
// folder "A_PIKORA" at the root of drive C:.
inline const QString kDataRootFolder = QStringLiteral("A_PIKORA");
inline const QString kDefaultDataRoot = QStringLiteral("C:\\") + kDataRootFolder + u'\\';

// The story list of a class folder or an exchange drive.
inline const QString kStoryList = QStringLiteral("Menu.txt");
// Beside it while a story is renamed: the old and the new name.
inline const QString kRenameJournal = QStringLiteral("Menu_rename.txt");
// The card list of a story folder.
inline const QString kCardList = QStringLiteral("CardData.txt");

enum class CardFile { Picture, Thumbnail, Text, Narration };

// Every file a card can have, in the order a card copy writes them.
inline constexpr CardFile kCardFiles[] = {CardFile::Thumbnail, CardFile::Picture, CardFile::Text,
                                          CardFile::Narration};

// How a card's own files are spelled when a card is saved or recorded, and
// when a card copy writes them.
enum class Spelling { Saved, Copied };

// What follows the stem: ".PNG", ".BMP", ".txt" (".TXT" for a copy), "_x.wav".
inline QString CardFileSuffix(CardFile kind, Spelling spelling = Spelling::Saved) {
  switch (kind) {
    case CardFile::Picture: return QStringLiteral(".PNG");
    case CardFile::Thumbnail: return QStringLiteral(".BMP");
    case CardFile::Text:
      return spelling == Spelling::Copied ? QStringLiteral(".TXT") : QStringLiteral(".txt");
    case CardFile::Narration: return QStringLiteral("_x.wav");
  }
  return {};
}

// What every card file's name begins with, followed by the card's number.
inline const QString kCardPrefix = QStringLiteral("Card_");

// "Card_07" for 7: the number's last two digits ("Card_00" for 0).
inline QString CardStem(int number) {
  const QString digits = QStringLiteral("0") + QString::number(std::abs(number));
  return kCardPrefix + digits.right(2);
}

// Whether `name` begins as a card file's does (any letter case): a card's
// file, or its lock.
inline bool IsCardName(const QString& name) { return name.startsWith(kCardPrefix, Qt::CaseInsensitive); }

// "Card_07.PNG" and so on.
inline QString CardFileName(int number, CardFile kind, Spelling spelling = Spelling::Saved) {
  return CardStem(number) + CardFileSuffix(kind, spelling);
}

// The path text of a card's file in a story folder (ending in "\").
inline QString CardFilePath(const QString& storyFolder, int number, CardFile kind,
                            Spelling spelling = Spelling::Saved) {
  return storyFolder + CardFileName(number, kind, spelling);
}

// Every card file of a story, as a listing pattern: "Card_*".
inline const QString kAnyCardFile = kCardPrefix + u'*';

// One kind of card file of every card, as a listing pattern: "Card_*.BMP".
inline QString CardFilePattern(CardFile kind) { return kAnyCardFile + CardFileSuffix(kind); }

// The card files of a story and its card list, as a listing pattern.
inline const QString kStoryWorkPattern = kAnyCardFile + QStringLiteral(".*;") + kCardList;

// A new card has no number to name its lock after while it is drawn: its
// lock is named this followed by a random text ("NewCard-1x2y3z").
inline const QString kNewCardPrefix = QStringLiteral("NewCard-");

}  // namespace storyfiles
