#include "platform/HostFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "platform/Disk.h"

namespace host {

namespace {

constexpr qint64 kChunk = 1 << 20;

// Writes everything or drops the temporary file; the target is untouched
// unless commit() succeeds.
bool WriteAll(QFileDevice& file, const char* data, qint64 size) {
  qint64 done = 0;
  while (done < size) {
    const qint64 n = file.write(data + done, std::min(kChunk, size - done));
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

bool Finish(QSaveFile& file, bool ok) {
  if (ok && file.flush() && file.error() == QFileDevice::NoError) return file.commit();
  file.cancelWriting();
  file.commit();  // only removes the temporary file after cancelWriting()
  return false;
}

}  // namespace

bool WriteWholeFile(const QString& hostPath, const QByteArray& bytes) {
  if (QFileInfo(hostPath).isDir()) return false;
  QSaveFile file(hostPath);
  if (!file.open(QIODevice::WriteOnly)) return false;
  return Finish(file, WriteAll(file, bytes.constData(), bytes.size()));
}

CopyOutcome CopyToHost(const QString& from, const QString& to) {
  const auto source = disk::HostPath(from);
  if (!source || !QFileInfo(*source).isFile()) return CopyOutcome::SourceMissing;
  QFile in(*source);
  if (!in.open(QIODevice::ReadOnly)) return CopyOutcome::SourceMissing;
  if (QFileInfo(to).isDir()) return CopyOutcome::WriteFailed;
  QSaveFile out(to);
  if (!out.open(QIODevice::WriteOnly)) return CopyOutcome::WriteFailed;
  QByteArray buffer(kChunk, Qt::Uninitialized);
  bool ok = true;
  for (;;) {
    const qint64 n = in.read(buffer.data(), buffer.size());
    if (n < 0) {
      // The source broke off while being read: nothing is replaced.
      Finish(out, false);
      return CopyOutcome::SourceMissing;
    }
    if (n == 0) break;
    if (!WriteAll(out, buffer.constData(), n)) {
      ok = false;
      break;
    }
  }
  return Finish(out, ok) ? CopyOutcome::Copied : CopyOutcome::WriteFailed;
}

}  // namespace host
