// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// Whole files by path text: bytes, lines of text and pictures, read and
// written.

#include "platform/Disk.h"

#include <fcntl.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#include "platform/DrivePaths.h"
#include "platform/FolderEntries.h"
#include "platform/HeldFolder.h"
#include "platform/RecentFolder.h"
#include "platform/TextCodec.h"
#include "platform/WholeFile.h"

namespace disk {

bool CopyFile(const QString& from, const QString& to) {
  const auto bytes = ReadBytes(from);
  return bytes && WriteBytes(to, *bytes);
}

std::optional<QByteArray> ReadBytes(const QString& file) { return ReadBytes(file, nullptr); }

std::optional<QByteArray> ReadBytes(const QString& file, FileStamp* stamp) {
  // Spelled exactly as on disk, the file is one question below its drive's
  // folder; otherwise it is found step by step.
  if (const auto parsed = ParsePathText(file); parsed && parsed->parts.size() > 1) {
    if (const auto root = RootText(parsed->drive)) {
      if (const auto folder = ExactFolder(*root, parsed->parts.mid(0, parsed->parts.size() - 1))) {
        // Never a link, and never waiting on a pipe someone put there.
        const Fd fd(::openat(*folder, QFile::encodeName(parsed->parts.last()).constData(),
                             O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (fd.ok()) return ReadOpenFile(fd.get(), stamp);
      }
    }
  }
  const Fd fd = OpenFile(file);
  if (!fd.ok()) return std::nullopt;
  return ReadOpenFile(fd.get(), stamp);
}

bool WriteBytes(const QString& file, const QByteArray& bytes) {
  const auto entry = Locate(file);
  if (!entry) return false;
  WholeFile out(entry->folder.get(), entry->name);
  return out.Write(bytes) && out.Commit();
}

bool WriteHostBytes(const QString& hostPath, const QByteArray& bytes) {
  // A folder of the computer chosen by the user: links there are theirs.
  const QFileInfo target(hostPath);
  const Fd folder(::open(QFile::encodeName(target.absolutePath()).constData(),
                         O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!folder.ok() || target.fileName().isEmpty()) return false;
  WholeFile out(folder.get(), QFile::encodeName(target.fileName()));
  return out.Write(bytes) && out.Commit();
}

std::optional<QStringList> ReadLines(const QString& file) {
  const auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return text::SplitLines(text::Decode(*bytes));
}

bool WriteLines(const QString& file, const QStringList& lines) {
  QByteArray bytes;
  for (const QString& line : lines) {
    const auto encoded = text::Encode(line);
    if (!encoded) return false;
    bytes += *encoded;
    bytes += "\r\n";
  }
  return WriteBytes(file, bytes);
}

std::optional<QList<QByteArray>> ReadRawLines(const QString& file) {
  const auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  return text::SplitRawLines(*bytes);
}

bool WriteRawLines(const QString& file, const QList<QByteArray>& lines) {
  QByteArray bytes;
  for (const QByteArray& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return WriteBytes(file, bytes);
}

bool AppendLine(const QString& file, const QString& line) {
  const auto encoded = text::Encode(line);
  if (!encoded) return false;
  QByteArray bytes;
  if (FileExists(file)) {
    const auto old = ReadBytes(file);
    if (!old) return false;
    bytes = *old;
    // A last line without its ending would run into the new one.
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r')) bytes += "\r\n";
  }
  bytes += *encoded;
  bytes += "\r\n";
  return WriteBytes(file, bytes);
}

std::optional<QImage> ReadImage(const QString& file) {
  auto bytes = ReadBytes(file);
  if (!bytes) return std::nullopt;
  QBuffer buffer(&*bytes);
  QImageReader reader(&buffer);
  QImage image = reader.read();
  if (image.isNull()) return std::nullopt;
  return image;
}

bool WriteImage(const QString& file, const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(image.convertToFormat(QImage::Format_RGB888))) return false;
  buffer.close();
  return WriteBytes(file, bytes);
}

}  // namespace disk
