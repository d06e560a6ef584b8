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
