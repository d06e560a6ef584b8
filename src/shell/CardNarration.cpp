// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "shell/CardNarration.h"

#include "deck/CardFiles.h"
#include "deck/CardList.h"
#include "deck/StoryFiles.h"
#include "shell/Session.h"

std::optional<QString> NarrationFileAt(const DeckState& deck, int position) {
  if (position < 1 || position > deck.CardCount) return std::nullopt;
  return storyfiles::CardFilePath(deck.StoryFolder, deck.CardNumbers[size_t(position)],
                                  storyfiles::CardFile::Narration);
}

void OpeningCard(Session& m, const std::function<void()>& step) {
  const bool wasOpen = m.editor.toolPanelVisible;
  step();
  if (!wasOpen && m.editor.toolPanelVisible)
    m.narration.recorder.CardOpened(NarrationFileAt(m.deck, m.deck.CurrentCard));
}

void SavingCard(Session& m, const std::function<void()>& step) {
  const bool wasNew = IsNewCard(m.deck);
  step();
  if (!wasNew || IsNewCard(m.deck)) return;
  if (const auto file = NarrationFileAt(m.deck, m.deck.CurrentCard))
    m.narration.recorder.SavePendingNarration(*file);
}

void OfferUnsavedRecording(Session& m) {
  Recorder& recorder = m.narration.recorder;
  if (!recorder.HasUnsavedRecording()) return;
  if (!m.dialogs.Ask(QStringLiteral("ろくおんした こえを ほぞんしますか？"))) return;
  recorder.Stop();
  recorder.Save();
}
