// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// What the child sees follows the class folder, which other computers
// change too: the story list and the card strip are read again when the
// window comes back to the front and every few seconds while the program
// waits for the child (file-change notices do not cross a network share).
// A story made elsewhere appears, one thrown away there disappears (its
// deck, when it was in hand here, is closed with a short message), one
// renamed there stays in hand under its new name (also told), a card added
// there appears on the strip, and a card drawn again there shows its new
// thumbnail and, when it is the card shown, its new picture and text. Each
// operation on the lists reads them
// again by itself, under their locks.

#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;
class Session;

class ClassFolderWatch : public QObject {
  Q_OBJECT
 public:
  // How often the lists are read again while idle.
  static constexpr int kIdleMs = 3000;

  // Watches for `window` coming to the front. `busy` tells when the lists
  // must stay as they are (a question is open, the story is playing).
  ClassFolderWatch(Session& session, QWidget* window, std::function<bool()> busy);

  // Reads both lists again now, and the card files that changed elsewhere
  // (the strip's thumbnails, the card shown).
  void Refresh();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Session& session_;
  std::function<bool()> busy_;
  QTimer timer_;
  bool refreshing_ = false;
};
