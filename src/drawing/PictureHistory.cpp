// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/PictureHistory.h"

#include <algorithm>
#include <cstring>

namespace {

// A step's difference is read row by row through its rectangle as one
// sequence of 32-bit values, coded as
//   [n]            followed by one value: n times that value (a run), or
//   [n | kLiteral] followed by n values, each once.
// Unchanged pixels are runs of 0, a filled area a run of one value.
constexpr uint32_t kLiteral = 0x80000000u;
constexpr uint32_t kMaxCount = kLiteral - 1;

class DeltaWriter {
 public:
  explicit DeltaWriter(std::vector<uint32_t>& out) : out_(out) {}
  void add(uint32_t value) {
    if (count_ > 0 && value == value_ && count_ < kMaxCount) {
      ++count_;
      return;
    }
    flush();
    value_ = value;
    count_ = 1;
  }
  void finish() {
    flush();
    out_.shrink_to_fit();
  }

 private:
  void flush() {
    if (count_ == 0) return;
    if (count_ >= 2 || value_ == 0) {
      out_.push_back(count_);
      out_.push_back(value_);
      literal_ = npos;
    } else {
      // A lone value joins the literal block before it, or starts one.
      if (literal_ == npos || (out_[literal_] & kMaxCount) == kMaxCount) {
        literal_ = out_.size();
        out_.push_back(kLiteral);
      }
      ++out_[literal_];
      out_.push_back(value_);
    }
    count_ = 0;
  }

  static constexpr size_t npos = size_t(-1);
  std::vector<uint32_t>& out_;
  uint32_t value_ = 0;
  uint32_t count_ = 0;
  size_t literal_ = npos;
};

uint32_t* Row(QImage& image, int y) { return reinterpret_cast<uint32_t*>(image.scanLine(y)); }
const uint32_t* Row(const QImage& image, int y) { return reinterpret_cast<const uint32_t*>(image.constScanLine(y)); }

// The canvas as the history compares it: 32 bits a pixel.
bool Comparable(const QImage& a, const QImage& b) {
  return a.size() == b.size() && a.depth() == 32 && b.depth() == 32;
}

}  // namespace

void PictureHistory::Start(const QImage& canvas) {
  Clear();
  picture_ = canvas.copy();
}

void PictureHistory::Clear() {
  picture_ = QImage();
  steps_.clear();
  done_ = 0;
}

bool PictureHistory::Record(const QImage& canvas, std::optional<TextChange> text) {
  if (!Comparable(canvas, picture_)) {
    // A canvas of another shape has no steps to share with this one.
    Start(canvas);
    return false;
  }
  const int w = canvas.width(), h = canvas.height();
  const size_t rowBytes = size_t(w) * sizeof(uint32_t);
  int left = w, right = -1, top = h, bottom = -1;
  for (int y = 0; y < h; ++y) {
    const uint32_t* now = Row(canvas, y);
    const uint32_t* was = Row(picture_, y);
    if (std::memcmp(now, was, rowBytes) == 0) continue;
    int first = 0;
    while (now[first] == was[first]) ++first;
    int last = w - 1;
    while (now[last] == was[last]) --last;
    left = std::min(left, first);
    right = std::max(right, last);
    top = std::min(top, y);
    bottom = y;
  }
  if (bottom < 0 && !text) return false;

  Step step;
  step.text = std::move(text);
  if (bottom >= 0) {
    step.rect = QRect(QPoint(left, top), QPoint(right, bottom));
    DeltaWriter writer(step.delta);
    for (int y = top; y <= bottom; ++y) {
      const uint32_t* now = Row(canvas, y);
      uint32_t* was = Row(picture_, y);
      for (int x = left; x <= right; ++x) writer.add(now[x] ^ was[x]);
      std::memcpy(was + left, now + left, size_t(right - left + 1) * sizeof(uint32_t));
    }
    writer.finish();
  }
  Push(std::move(step));
  return true;
}

bool PictureHistory::Record(const QImage& canvas, const QImage& mask, const QRect& area) {
  if (!Comparable(canvas, picture_) || mask.size() != canvas.size() || mask.depth() != 8) return Record(canvas);
  const QRect within = area & canvas.rect();
  if (within.isEmpty()) return false;
  const auto taken = [&mask](int y) { return mask.constScanLine(y); };
  int left = canvas.width(), right = -1, top = canvas.height(), bottom = -1;
  for (int y = within.top(); y <= within.bottom(); ++y) {
    const uint32_t* now = Row(canvas, y);
    const uint32_t* was = Row(picture_, y);
    const uchar* marked = taken(y);
    for (int x = within.left(); x <= within.right(); ++x) {
      if (!marked[x] || now[x] == was[x]) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = y;
    }
  }
  if (bottom < 0) return false;

  Step step;
  step.rect = QRect(QPoint(left, top), QPoint(right, bottom));
  DeltaWriter writer(step.delta);
  for (int y = top; y <= bottom; ++y) {
    const uint32_t* now = Row(canvas, y);
    uint32_t* was = Row(picture_, y);
    const uchar* marked = taken(y);
    for (int x = left; x <= right; ++x) {
      if (!marked[x]) {
        writer.add(0);
        continue;
      }
      writer.add(now[x] ^ was[x]);
      was[x] = now[x];
    }
  }
  writer.finish();
  Push(std::move(step));
  return true;
}

QRect PictureHistory::MarkUnrecorded(const QImage& canvas, QImage& mask) const {
  if (!Comparable(canvas, picture_) || mask.size() != canvas.size() || mask.depth() != 8) return {};
  const int w = canvas.width();
  const size_t rowBytes = size_t(w) * sizeof(uint32_t);
  QRect marked;
  for (int y = 0; y < canvas.height(); ++y) {
    const uint32_t* now = Row(canvas, y);
    const uint32_t* was = Row(picture_, y);
    if (std::memcmp(now, was, rowBytes) == 0) continue;
    uchar* out = mask.scanLine(y);
    int first = -1, last = -1;
    for (int x = 0; x < w; ++x) {
      if (now[x] == was[x]) continue;
      out[x] = 0xFF;
      if (first < 0) first = x;
      last = x;
    }
    marked |= QRect(first, y, last - first + 1, 1);
  }
  return marked;
}

void PictureHistory::Push(Step step) {
  steps_.erase(steps_.begin() + done_, steps_.end());
  steps_.push_back(std::move(step));
  ++done_;
  if (int(steps_.size()) > kSteps) {
    steps_.pop_front();
    --done_;
  }
}

void PictureHistory::Apply(const Step& step, QImage& canvas) {
  if (step.rect.isEmpty() || !Comparable(canvas, picture_)) return;
  const QRect r = step.rect;
  const int w = r.width();
  int x = 0, y = 0;  // inside the rectangle
  // `n` values from the current position on, row after row, through `f`.
  const auto walk = [&](uint32_t n, auto&& f) {
    while (n > 0 && y < r.height()) {
      const uint32_t here = std::min<uint32_t>(n, uint32_t(w - x));
      uint32_t* c = Row(canvas, r.top() + y) + r.left() + x;
      uint32_t* p = Row(picture_, r.top() + y) + r.left() + x;
      f(c, p, here);
      n -= here;
      x += int(here);
      if (x == w) {
        x = 0;
        ++y;
      }
    }
  };
  const std::vector<uint32_t>& d = step.delta;
  for (size_t i = 0; i < d.size();) {
    const uint32_t head = d[i++];
    const uint32_t n = head & kMaxCount;
    if (head & kLiteral) {
      const uint32_t* values = d.data() + i;
      walk(n, [&values](uint32_t* c, uint32_t* p, uint32_t k) {
        for (uint32_t j = 0; j < k; ++j) {
          c[j] ^= values[j];
          p[j] ^= values[j];
        }
        values += k;
      });
      i += n;
    } else {
      const uint32_t value = d[i++];
      if (value == 0) {
        // Nothing changed here: skip ahead.
        const uint64_t at = uint64_t(y) * uint64_t(w) + uint64_t(x) + n;
        y = int(at / uint64_t(w));
        x = int(at % uint64_t(w));
        continue;
      }
      walk(n, [value](uint32_t* c, uint32_t* p, uint32_t k) {
        for (uint32_t j = 0; j < k; ++j) {
          c[j] ^= value;
          p[j] ^= value;
        }
      });
    }
  }
}

std::optional<PictureHistory::Change> PictureHistory::Undo(QImage& canvas) {
  if (!CanUndo()) return std::nullopt;
  const Step& step = steps_[size_t(--done_)];
  Apply(step, canvas);
  Change change{step.rect, std::nullopt};
  if (step.text) change.text = step.text->before;
  return change;
}

std::optional<PictureHistory::Change> PictureHistory::Redo(QImage& canvas) {
  if (!CanRedo()) return std::nullopt;
  const Step& step = steps_[size_t(done_++)];
  Apply(step, canvas);
  Change change{step.rect, std::nullopt};
  if (step.text) change.text = step.text->after;
  return change;
}

size_t PictureHistory::Bytes() const {
  size_t bytes = size_t(picture_.sizeInBytes());
  for (const Step& step : steps_) {
    bytes += sizeof(Step) + step.delta.capacity() * sizeof(uint32_t);
    if (step.text) bytes += size_t(step.text->before.capacity() + step.text->after.capacity()) * sizeof(QChar);
  }
  return bytes;
}
