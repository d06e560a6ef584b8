// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once
// The wave writer: a recording as the bytes of a narration file, and the
// file written whole through the program's file writer.

#include <QAudioFormat>
#include <QByteArray>
#include <QString>
#include <optional>

#include "narration/NarrationConverter.h"

// Samples as the input delivered them, and as far as they are converted.
struct Recording {
  QAudioFormat format;
  QByteArray bytes;
  NarrationConverter converted;  // may lag behind or be empty

  qint64 frames() const;
  qint64 milliseconds() const;
};

// The recording as the bytes of a narration file; nothing when the format
// cannot be read or the encoder fails.
std::optional<QByteArray> EncodeNarration(const Recording& recording);
// The samples of the bytes of a narration file (16-bit PCM, mono, at the
// narration rate) as a recording; nothing for any other file.
std::optional<Recording> DecodeNarration(const QByteArray& bytes);
// Writes the recording to the file named by the path text, replacing it
// whole; on failure the old file is left as it was.
bool WriteNarration(const Recording& recording, const QString& pathText);
