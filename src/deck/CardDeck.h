// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The card deck: the card list file and the card file names (CardList.h),
// the card strip (CardStrip.h), and moving a card between its files and
// the deck's card picture and text (CardFiles.h).

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/CardStrip.h"
