#pragma once
// A main window for the player: cards of one colour each (with a mark of
// their own), narration files that exist or not, and a record of every call.

#include <QImage>
#include <QSet>
#include <QStringList>
#include <vector>

#include "player/PlayerHost.h"

inline QRgb CardColour(int position) { return qRgb(20 * position, 200 - 10 * position, 90); }

class FakeHost : public PlayerHost {
 public:
  explicit FakeHost(int cards, QString name = QStringLiteral("もものたび")) : name_(std::move(name)) {
    for (int p = 0; p <= 30; ++p) {
      QImage card(800, 600, QImage::Format_RGB32);
      card.fill(CardColour(p));
      cards_.push_back(card);
    }
    count = cards;
  }

  int count = 0;
  QSet<int> narrated;  // positions whose narration file exists
  std::vector<int> loaded;
  QStringList played;
  int beeps = 0;
  std::vector<int> closed;

  QString StoryName() const override { return name_; }
  int CardCount() const override { return count; }
  const QImage& LoadCard(int position) override {
    loaded.push_back(position);
    // A load outside the deck would read a place that belongs to no card.
    if (position < 1 || position > count) qFatal("card %d loaded from a deck of %d", position, count);
    return cards_[size_t(position)];
  }
  std::optional<QString> NarrationFile(int position) const override {
    if (position < 1 || position > count) qFatal("narration of place %d asked for", position);
    return QStringLiteral("C:\\A_PIKORA\\CLASS_11\\もものたび\\Card_%1_x.wav").arg(position, 2, 10, QChar(u'0'));
  }
  bool FileExists(const QString& path) const override {
    for (int p : narrated)
      if (p <= count && NarrationFile(p) == path) return true;
    return false;
  }
  void PlayNarration(const QString& path) override { played << path.right(13); }
  void Beep() override { ++beeps; }
  void PlayerClosed(int position) override { closed.push_back(position); }

  const QImage& card(int position) const { return cards_[size_t(position)]; }

 private:
  QString name_;
  std::vector<QImage> cards_;
};
