// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// Rows of the story list, shared by the files of the library.

#include <QString>
#include <QStringList>

#include "deck/DeckState.h"
#include "library/LibraryState.h"

// The first row other than `except` whose name matches `name` the way
// folder names match, or -1.
int RowNamed(const QStringList& names, const QString& name, int except);
// The row of story `name`: the same spelling first, else the same name in
// other letter case; -1 when the list has none.
int RowOf(const QStringList& names, const QString& name);
// The selected row, when a story is selected; else -1.
int SelectedRow(const LibraryState& library, const DeckState& deck);
