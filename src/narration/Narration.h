// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The narration part of a run: the one recording device, the one playback
// control the recorder and the player share, and the recorder of the card
// being drawn.

#include "narration/AudioDevice.h"
#include "narration/NarrationPlayer.h"
#include "narration/Recorder.h"

class Dialogs;

struct Narration {
  explicit Narration(Dialogs& dialogs) : recorder(device, player, dialogs) {}
  Narration(const Narration&) = delete;
  Narration& operator=(const Narration&) = delete;

  AudioDevice device;
  NarrationPlayer player;
  Recorder recorder;
};
