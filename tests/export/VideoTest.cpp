// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The story's video, checked on the real file: read back with ffprobe and
// ffmpeg, and played by headless Chromium.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <cmath>

#include "export/ExportDialog.h"
#include "export/StoryVideo.h"
#include "platform/QtDialogs.h"
#include "support/TestSupport.h"
#include "support/Viewers.h"

namespace {

const QString kFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\");
const QString kStoryPath = QStringLiteral("A_PIKORA/CLASS_11/ねこ/");
const VideoFormat kVideo;

// A card picture of its own: a colour with a darker band and a light disc.
QImage CardPicture(QColor colour) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(colour);
  QPainter painter(&image);
  painter.fillRect(QRect(0, 450, 800, 100), colour.darker(160));
  painter.setBrush(colour.lighter(140));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPoint(400, 250), 150, 150);
  return image;
}

double Psnr(const QImage& a, const QImage& b, int width) {
  double sum = 0;
  qint64 n = 0;
  for (int y = 0; y < std::min(a.height(), b.height()); ++y)
    for (int x = 0; x < width; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      for (int d : {qRed(p) - qRed(q), qGreen(p) - qGreen(q), qBlue(p) - qBlue(q)}) sum += d * d;
      n += 3;
    }
  const double mse = sum / double(n);
  return mse <= 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

QColor ColumnColour(const QImage& frame, int x) {
  qint64 r = 0, g = 0, b = 0;
  for (int y = 10; y < 110; ++y) {
    const QRgb p = frame.pixel(x, y);
    r += qRed(p), g += qGreen(p), b += qBlue(p);
  }
  return QColor(int(r / 100), int(g / 100), int(b / 100));
}

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 30;
}

// A tool's standard output, or nothing when the tool is not installed.
std::optional<QByteArray> Tool(const QString& tool, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return std::nullopt;
  QProcess process;
  process.start(tool, arguments);
  process.waitForFinished(120000);
  return process.readAllStandardOutput();
}

// The top-level boxes of an MP4 file, in order.
QStringList Boxes(const QByteArray& file) {
  QStringList boxes;
  for (qint64 at = 0; at + 8 <= file.size();) {
    const auto* p = reinterpret_cast<const uchar*>(file.constData() + at);
    quint64 size = (quint64(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    boxes << QString::fromLatin1(file.mid(at + 4, 4));
    if (size == 1 && at + 16 <= file.size()) {
      size = 0;
      for (int i = 8; i < 16; ++i) size = (size << 8) | p[i];
    }
    if (size < 8) break;
    at += qint64(size);
  }
  return boxes;
}

bool EncodersInstalled() {
  // A story without cards is only the title: quick, and says whether the
  // GStreamer elements are there.
  QTemporaryDir dir;
  return kVideo.Write({QStringLiteral("t"), kFolder, {}}, dir.path() + QStringLiteral("/t.mp4"), {}, nullptr).result !=
         ExportOutcome::Result::EncoderMissing;
}

}  // namespace

class VideoTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<QTemporaryDir> out_;

  QString Story(const QString& name) const { return drives_->c(kStoryPath + name); }
  void Picture(int number, const QImage& image) {
    QDir().mkpath(Story(QString()));
    QVERIFY(image.save(Story(QStringLiteral("Card_%1.PNG").arg(number, 2, 10, QChar(u'0'))), "PNG"));
  }
  void Narration(int number, const QByteArray& wav) {
    WriteHostFile(Story(QStringLiteral("Card_%1_x.wav").arg(number, 2, 10, QChar(u'0'))), wav);
  }

  // The sound at `seconds` for 0.3 s, mono 22050 Hz.
  std::vector<qint16> SoundAt(const QString& video, double seconds) {
    const QByteArray raw = Tool(QStringLiteral("ffmpeg"), {"-v", "error", "-ss", QString::number(seconds, 'f', 3),
                                                           "-t", "0.3", "-i", video, "-vn", "-f", "s16le", "-ac",
                                                           "1", "-ar", "22050", "-"})
                               .value_or(QByteArray());
    std::vector<qint16> samples(size_t(raw.size() / 2));
    std::memcpy(samples.data(), raw.constData(), samples.size() * 2);
    return samples;
  }
  static double Hertz(const std::vector<qint16>& s) {
    int crossings = 0;
    for (size_t i = 1; i < s.size(); ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
    return s.empty() ? 0 : crossings / 2.0 / (double(s.size()) / 22050.0);
  }
  static double Loudness(const std::vector<qint16>& s) {
    double sum = 0;
    for (qint16 v : s) sum += double(v) * v;
    return s.empty() ? 0 : std::sqrt(sum / double(s.size()));
  }

 private slots:
  void init() {
    drives_.reset();
    drives_ = std::make_unique<TempDrives>();
    out_ = std::make_unique<QTemporaryDir>();
  }

  // Four cards through the export button's work: the file's length, its
  // streams and index, each card's picture in its middle, the wipe in
  // columns, each voice at its card, a card that could not be read shown
  // blank and silent and named to the child, and Chromium playing it.
  void videoShowsWhatThePlayerShows() {
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty()) QSKIP("ffmpeg is not installed");
    if (!EncodersInstalled()) QSKIP("the GStreamer encoders are not installed");
    const QImage first = CardPicture(QColor(220, 60, 40)), second = CardPicture(QColor(40, 90, 200)),
                 last = CardPicture(QColor(60, 170, 60));
    Picture(1, first);
    Narration(1, ToneWav(440, 1.0, 22050, 1));
    Picture(4, second);
    Narration(4, ToneWav(880, 0.6, 11025, 2));  // another rate, in stereo
    Narration(2, "RIFF, but no sound in it");    // card 2 has neither picture nor voice
    Picture(3, last);
    Narration(3, ToneWav(660, 0.5, 22050, 1));
    const QString video = out_->path() + QStringLiteral("/Neko.mp4");
    ScriptedDialogs dialogs;
    ExportStoryToChosenFile({QStringLiteral("ねこの おはなし"), kFolder, {1, 4, 2, 3}}, dialogs, nullptr,
                          [&](QWidget*) { return std::optional<QString>(video); });
    QCOMPARE(dialogs.told, QStringList{QStringLiteral(
                               "3まいめの え が ありません。\n3まいめの こえ が よめません。\nどうがが できました。")});
    QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Neko.mp4")});
    const QByteArray bytes = ReadHostFile(video);
    const QStringList boxes = Boxes(bytes);
    QVERIFY2(boxes.indexOf(QStringLiteral("moov")) >= 0 &&
                 boxes.indexOf(QStringLiteral("moov")) < boxes.indexOf(QStringLiteral("mdat")),
             qPrintable(boxes.join(u' ')));

    // Title 2 s; per card a wipe of 25 frames, then the voice and 1 s (2 s
    // after the last card's), or 3 s without a voice. 0.6 s of voice takes
    // 18 frames, 0.5 s 15.
    const double card1 = 2.0, card2 = card1 + (25 + 30 + 30) / 30.0, card3 = card2 + (25 + 18 + 30) / 30.0,
                 card4 = card3 + (25 + 90) / 30.0, end = card4 + (25 + 15 + 60) / 30.0;
    const QString probe = QString::fromUtf8(
        Tool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries",
                                         "format=duration:stream=codec_name,codec_type,width,height,r_frame_rate",
                                         "-of", "compact", video})
            .value());
    QVERIFY2(probe.contains(QStringLiteral("codec_name=h264|codec_type=video|width=800|height=600|r_frame_rate=30/1")),
             qPrintable(probe));
    QVERIFY2(probe.contains(QStringLiteral("codec_name=aac|codec_type=audio")), qPrintable(probe));
    const double duration =
        QRegularExpression(QStringLiteral("duration=([0-9.]+)")).match(probe).captured(1).toDouble();
    QVERIFY2(std::abs(duration - end) < 0.1, qPrintable(QString::number(duration)));

    const double whole = 25 / 30.0;
    QImage blank(800, 600, QImage::Format_RGB32);
    blank.fill(Qt::white);
    for (const auto& [at, picture] : {std::pair{card1 + whole + 1.0, first}, std::pair{card2 + whole + 0.8, second},
                                      std::pair{card3 + whole + 1.5, blank}, std::pair{card4 + whole + 1.5, last}}) {
      const QImage frame = viewers::VideoFrame(video, at);
      QCOMPARE(frame.size(), QSize(800, 600));
      const double psnr = Psnr(frame, picture, 799);
      QVERIFY2(psnr > 30, qPrintable(QStringLiteral("%1 s: %2 dB").arg(at).arg(psnr)));
    }
    // Half-way through the wipe from card 1 to card 2 (frame 12: 25 of its
    // 50 steps), the middle columns show card 2 and the edges still card 1.
    const QImage wipe = viewers::VideoFrame(video, card2 + 12.5 / 30.0);
    QVERIFY(Near(ColumnColour(wipe, 400), second.pixelColor(400, 30)));
    QVERIFY(Near(ColumnColour(wipe, 250), second.pixelColor(250, 30)));
    QVERIFY(Near(ColumnColour(wipe, 40), first.pixelColor(40, 30)));
    QVERIFY(Near(ColumnColour(wipe, 760), first.pixelColor(760, 30)));

    // Each voice from the moment its card is whole; silence around them.
    QVERIFY(Loudness(SoundAt(video, 1.0)) < 100);
    QVERIFY(Loudness(SoundAt(video, card1 + 0.3)) < 100);  // the wipe
    const double low = Hertz(SoundAt(video, card1 + whole + 0.1));
    QVERIFY2(std::abs(low - 440) < 15, qPrintable(QString::number(low)));
    const double high = Hertz(SoundAt(video, card2 + whole + 0.1));
    QVERIFY2(std::abs(high - 880) < 25, qPrintable(QString::number(high)));
    QVERIFY(Loudness(SoundAt(video, card3 + whole + 0.5)) < 100);
    const double lastVoice = Hertz(SoundAt(video, card4 + whole + 0.1));
    QVERIFY2(std::abs(lastVoice - 660) < 20, qPrintable(QString::number(lastVoice)));

    // Chromium reads its length and plays it.
    if (viewers::Chromium().isEmpty()) QSKIP("chromium is not installed");
    const QString page = out_->path() + QStringLiteral("/play.html");
    // Played with its sound: the time goes on and both streams are decoded.
    WriteHostFile(page, R"(<html><body><video id="v" src="Neko.mp4" autoplay></video><p id="out"></p><script>
const v = document.getElementById('v'), out = document.getElementById('out');
setInterval(() => {
  if (v.currentTime > 0 && v.webkitAudioDecodedByteCount > 0 && v.videoWidth > 0)
    out.textContent = 'played ' + v.duration + ' ' + v.videoWidth + 'x' + v.videoHeight;
}, 100);
v.addEventListener('error', () => { out.textContent = 'error ' + v.error.code; });
</script></body></html>)");
    QTemporaryDir profile;
    QProcess browser;
    browser.start(viewers::Chromium(), viewers::ChromiumOptions(profile.path()) +
                                           QStringList{"--autoplay-policy=no-user-gesture-required",
                                                       "--virtual-time-budget=10000", "--dump-dom",
                                                       QUrl::fromLocalFile(page).toString()});
    browser.waitForFinished(120000);
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    const QRegularExpressionMatch played =
        QRegularExpression(QStringLiteral("played ([0-9.]+) 800x600")).match(dom);
    QVERIFY2(played.hasMatch(), qPrintable(dom.left(dom.indexOf(QStringLiteral("<script")))));
    QVERIFY2(std::abs(played.captured(1).toDouble() - end) < 0.1, qPrintable(played.captured(0)));
  }

  // A full disk, 「やめる」 and a computer without the encoders: no new file,
  // an old one byte for byte, and the child told (nothing for 「やめる」).
  void failedOrStoppedVideoLeavesNoFile() {
    if (!EncodersInstalled()) QSKIP("the GStreamer encoders are not installed");
    for (int number = 1; number <= 3; ++number) Picture(number, CardPicture(QColor(50 * number, 100, 150)));
    Narration(2, ToneWav(440, 2.0, 22050, 1));
    const ExportStory story{QStringLiteral("ねこ"), kFolder, {1, 2, 3}};

    FullDisk full(u'D');
    const QString video = full.root() + QStringLiteral("/neko.mp4");
    WriteHostFile(video, "older video");
    const QStringList before = Snapshot(full.root());
    full.WhileFull([&] {
      const ExportOutcome result = kVideo.Write(story, video, {}, nullptr);
      QCOMPARE(result.result, ExportOutcome::Result::NotWritten);
      QCOMPARE(kVideo.Message(result), QStringLiteral("どうがが かけませんでした。"));
    });
    QCOMPARE(Snapshot(full.root()), before);
    QCOMPARE(ReadHostFile(video), QByteArray("older video"));

    // Stopped half-way, from another thread as the dialog does.
    std::atomic<bool> stop{false};
    int last = 0, frames = 0;
    const ExportOutcome stopped = kVideo.Write(story, video, [&](int done, int total) {
      last = done;
      frames = total;
      if (done * 2 >= total) stop = true;
    }, &stop);
    QCOMPARE(stopped.result, ExportOutcome::Result::Stopped);
    QVERIFY(last < frames);
    QCOMPARE(kVideo.Message(stopped), QString());
    QCOMPARE(Snapshot(full.root()), before);

    // Without the encoder plugins (a GStreamer that finds no plugins, in a
    // process of its own).
    QCOMPARE(OutputWithoutGStreamerPlugins(QStringLiteral("PIKORAMA_VIDEO_TEST_CHILD"), video),
             QStringLiteral("どうがを つくる どうぐが ありません。\nせんせいに いってね。"));
    QCOMPARE(Snapshot(full.root()), before);
  }

  // Through the dialog: the windows stay live while it encodes but take no
  // clicks, the progress window shows only after half a second, and its
  // 「やめる」 stops the video with no file and no message.
  void progressWindowAndStop() {
    if (!EncodersInstalled()) QSKIP("the GStreamer encoders are not installed");
    QList<int> cards;
    for (int number = 1; number <= 30; ++number) {
      Picture(number, CardPicture(QColor(8 * number, 200, 100)));
      cards << number;
    }
    const QString video = out_->path() + QStringLiteral("/long.mp4");
    bool hiddenEarly = false, clicked = false;
    QPushButton other(QStringLiteral("えをかく"));
    int otherClicks = 0;
    QObject::connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });
    other.show();
    QElapsedTimer clock;
    QTimer early, watch;
    QObject::connect(&early, &QTimer::timeout, [&] {
      const QProgressDialog* progress = nullptr;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QStringLiteral("ExportProgress")) progress = qobject_cast<QProgressDialog*>(w);
      hiddenEarly = progress && !progress->isVisible();
      QTest::mouseClick(&other, Qt::LeftButton);
    });
    QObject::connect(&watch, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() != QStringLiteral("ExportProgress") || !w->isVisible() || clicked) continue;
        QVERIFY2(clock.elapsed() >= kExportProgressDelayMs, qPrintable(QString::number(clock.elapsed())));
        for (auto* button : w->findChildren<QPushButton*>()) {
          if (button->text() != QStringLiteral("やめる")) continue;
          button->click();
          clicked = true;
        }
      }
    });
    early.setSingleShot(true);
    early.start(kExportProgressDelayMs / 2);
    watch.start(20);
    clock.start();
    ScriptedDialogs dialogs;
    ExportStoryToChosenFile({QStringLiteral("ながい おはなし"), kFolder, cards}, dialogs, nullptr,
                          [&](QWidget*) { return std::optional<QString>(video); });
    QVERIFY(hiddenEarly);
    QVERIFY(clicked);
    QCOMPARE(otherClicks, 0);
    QTest::mouseClick(&other, Qt::LeftButton);
    QCOMPARE(otherClicks, 1);  // and again afterwards
    QCOMPARE(dialogs.told, QStringList());
    QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList());
  }

  // The message after the video in a real box: Return answers it, and the
  // window takes a click afterwards.
  void lastMessageTakesTheAnswer() {
    if (!EncodersInstalled()) QSKIP("the GStreamer encoders are not installed");
    Picture(1, CardPicture(QColor(200, 120, 40)));
    const QString video = out_->path() + QStringLiteral("/one.mp4");
    QPushButton window(QStringLiteral("えをかく"));
    int clicks = 0;
    QObject::connect(&window, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    QString shown;
    int returns = 0;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      if (returns++ > 0) return box->done(QDialog::Rejected);  // Return did not reach it
      shown = box->text();
      QTest::keyClick(box, Qt::Key_Return);
    });
    answer.start(100);
    QtDialogs dialogs;
    dialogs.SetParent(&window);
    ExportStoryToChosenFile({QStringLiteral("ひとつ"), kFolder, {1}}, dialogs, &window,
                          [&](QWidget*) { return std::optional<QString>(video); });
    answer.stop();
    QCOMPARE(shown, QStringLiteral("どうがが できました。"));
    QCOMPARE(returns, 1);
    QTest::mouseClick(&window, Qt::LeftButton);
    QCOMPARE(clicks, 1);
  }
};

int main(int argc, char** argv) {
  // The child of failedOrStoppedVideoLeavesNoFile: one video, its message.
  if (qEnvironmentVariableIsSet("PIKORAMA_VIDEO_TEST_CHILD")) {
    QGuiApplication app(argc, argv);
    const ExportOutcome result =
        kVideo.Write({QStringLiteral("ねこ"), kFolder, {1}}, qEnvironmentVariable("PIKORAMA_VIDEO_TEST_CHILD"), {}, nullptr);
    fputs(kVideo.Message(result).toUtf8().constData(), stdout);
    return 0;
  }
  QApplication app(argc, argv);
  VideoTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "VideoTest.moc"
