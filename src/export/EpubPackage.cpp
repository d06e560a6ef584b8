// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "export/EpubPackage.h"

#include <QDateTime>
#include <algorithm>
#include <optional>

#include <zlib.h>

namespace epub {

namespace {

constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint16 kVersion = 20;  // deflate, as every reader knows it
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;

void Put16(QByteArray& out, quint16 value) {
  out.append(char(value & 0xff));
  out.append(char(value >> 8));
}

void Put32(QByteArray& out, quint32 value) {
  Put16(out, quint16(value & 0xffff));
  Put16(out, quint16(value >> 16));
}

quint32 Crc(const QByteArray& bytes) {
  return quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef*>(bytes.constData()), uInt(bytes.size())));
}

// Raw deflate (no zlib header), as zip wants it; nothing on failure.
std::optional<QByteArray> Deflate(const QByteArray& bytes) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return std::nullopt;
  QByteArray out(qsizetype(deflateBound(&stream, uLong(bytes.size()))), Qt::Uninitialized);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.constData()));
  stream.avail_in = uInt(bytes.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = uInt(out.size());
  const int status = deflate(&stream, Z_FINISH);
  const qsizetype written = qsizetype(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  out.truncate(written);
  return out;
}

}  // namespace

Package::Package() {
  // The time of making, in the local time MS-DOS kept.
  const QDateTime now = QDateTime::currentDateTime();
  const QDate date = now.date();
  const QTime time = now.time();
  dosTime_ = quint16((time.hour() << 11) | (time.minute() << 5) | (time.second() / 2));
  dosDate_ = quint16(((std::max(date.year(), 1980) - 1980) << 9) | (date.month() << 5) | date.day());
  const QByteArray mimetype("application/epub+zip");
  AddEntry("mimetype", mimetype, Crc(mimetype), mimetype.size(), false);
}

bool Package::Add(const QString& name, const QByteArray& bytes) {
  const std::optional<QByteArray> deflated = Deflate(bytes);
  if (!deflated) return false;
  AddEntry(name.toLatin1(), *deflated, Crc(bytes), bytes.size(), true);
  return true;
}

void Package::AddEntry(const QByteArray& name, const QByteArray& stored, quint32 crc, qint64 size,
                       bool deflated) {
  const quint32 offset = quint32(body_.size());
  auto common = [&](QByteArray& out) {
    Put16(out, kVersion);  // version needed to extract
    Put16(out, 0);         // flags: sizes in the header, no descriptor after
    Put16(out, deflated ? kDeflated : kStored);
    Put16(out, dosTime_);
    Put16(out, dosDate_);
    Put32(out, crc);
    Put32(out, quint32(stored.size()));
    Put32(out, quint32(size));
    Put16(out, quint16(name.size()));
    Put16(out, 0);  // no extra field
  };
  Put32(body_, kLocalHeader);
  common(body_);
  body_ += name;
  body_ += stored;

  Put32(directory_, kCentralHeader);
  Put16(directory_, kVersion);  // made by
  common(directory_);
  Put16(directory_, 0);  // comment
  Put16(directory_, 0);  // disk
  Put16(directory_, 0);  // internal attributes
  Put32(directory_, 0);  // external attributes
  Put32(directory_, offset);
  directory_ += name;
  ++entries_;
}

QByteArray Package::Finish() {
  QByteArray file = body_ + directory_;
  Put32(file, kEndOfDirectory);
  Put16(file, 0);  // this disk
  Put16(file, 0);  // the directory's disk
  Put16(file, quint16(entries_));
  Put16(file, quint16(entries_));
  Put32(file, quint32(directory_.size()));
  Put32(file, quint32(body_.size()));
  Put16(file, 0);  // no comment
  return file;
}

}  // namespace epub
