// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "platform/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace text {

namespace {
constexpr const char* kCodec = "windows-31j";
}

std::optional<QByteArray> Encode(const QString& s) {
  QStringEncoder encoder(kCodec);
  QByteArray bytes = encoder.encode(s);
  if (!encoder.isValid() || encoder.hasError()) return std::nullopt;
  return bytes;
}

bool CanEncode(const QString& s) { return Encode(s).has_value(); }

QString Decode(const QByteArray& bytes) {
  QStringDecoder decoder(kCodec);
  return decoder.decode(bytes);
}

std::optional<QString> DecodeLine(const QByteArray& line) {
  // Stateless: a lead byte cut off at the end of the line is an error too.
  QStringDecoder decoder(kCodec, QStringConverter::Flag::Stateless);
  QString s = decoder.decode(line);
  if (!decoder.isValid() || decoder.hasError()) return std::nullopt;
  return s;
}

QList<QByteArray> SplitRawLines(const QByteArray& content) {
  QList<QByteArray> lines;
  qsizetype start = 0;
  const qsizetype n = content.size();
  qsizetype i = 0;
  while (i < n) {
    const char c = content.at(i);
    if (c == '\r' || c == '\n') {
      lines.append(content.mid(start, i - start));
      if (c == '\r' && i + 1 < n && content.at(i + 1) == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.append(content.mid(start));
  return lines;
}

QStringList SplitLines(const QString& content) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype n = content.size();
  qsizetype i = 0;
  while (i < n) {
    const QChar c = content.at(i);
    if (c == u'\r' || c == u'\n') {
      lines.append(content.mid(start, i - start));
      if (c == u'\r' && i + 1 < n && content.at(i + 1) == u'\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < n) lines.append(content.mid(start));
  return lines;
}

}  // namespace text
