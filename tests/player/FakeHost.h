// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// A main window for the player: cards of one colour each, narration files
// that exist or not, and a record of every call. Asking for a card or a
// narration outside the deck is a fault.

#include <QImage>
#include <QSet>
#include <QStringList>
#include <vector>

#include "player/PlayerHost.h"

class FakeHost : public PlayerHost {
 public:
  explicit FakeHost(int cards) : count(cards) {
    for (int p = 0; p < 30; ++p) {
      cards_.emplace_back(800, 600, QImage::Format_RGB32);
      cards_.back().fill(qRgb(20 * p, 200 - 5 * p, 90));
    }
  }

  int count;
  QSet<int> narrated;  // positions (from 0) whose narration file exists
  std::vector<int> loaded, closed;
  QStringList played;
  int beeps = 0;

  QString StoryName() const override { return QStringLiteral("うらしまたろう"); }
  int CardCount() const override { return count; }
  const QImage& LoadCard(int p) override {
    if (p < 0 || p >= count) qFatal("card %d loaded from a deck of %d", p, count);
    loaded.push_back(p);
    return cards_[size_t(p)];
  }
  std::optional<QString> NarrationFile(int p) const override {
    if (p < 0 || p >= count) qFatal("narration of place %d asked for", p);
    // Card numbers follow the positions, from 1.
    return QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うら\\Card_%1_x.wav").arg(p + 1, 2, 10, QChar(u'0'));
  }
  bool FileExists(const QString& path) const override {
    for (int p : narrated)
      if (p < count && NarrationFile(p) == path) return true;
    return false;
  }
  void PlayNarration(const QString& path) override { played << path.right(13); }
  void Beep() override { ++beeps; }
  void PlayerClosed(int p) override { closed.push_back(p); }

  const QImage& card(int p) const { return cards_[size_t(p)]; }

 private:
  std::vector<QImage> cards_;
};
