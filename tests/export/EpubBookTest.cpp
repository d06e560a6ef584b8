// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The ePub book, checked on the real file: by epubcheck, and read back as a
// reader reads it (the zip, the package, the pages, the overlays and the
// sound, measured by ffprobe and ffmpeg).

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QtTest>
#include <cmath>

#include "export/EpubBook.h"
#include "media/Media.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"

namespace {

const QString kFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\");
const QString kStoryPath = QStringLiteral("A_PIKORA/CLASS_11/ねこ/");

// A picture of its own for each card: a colour, a band and a disc.
QImage CardPicture(int seed) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(QColor::fromHsv(seed * 37 % 360, 180, 220));
  for (int y = 400; y < 460; ++y)
    for (int x = seed * 20 % 700; x < seed * 20 % 700 + 100; ++x) image.setPixel(x, y, qRgb(seed * 8 % 256, 30, 90));
  return image;
}

struct ToolRun {
  int exitCode = -1;
  QByteArray out;
};

// A tool's exit code and standard output (with its errors), or nothing
// when it is not installed.
std::optional<ToolRun> Tool(const QString& tool, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return std::nullopt;
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(tool, arguments);
  process.waitForFinished(300000);
  return ToolRun{process.exitCode(), process.readAll()};
}

// One file of the book, as a reader unpacks it.
QByteArray Entry(const QString& book, const QString& name) {
  QProcess unzip;
  unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), book, name});
  unzip.waitForFinished(60000);
  return unzip.readAllStandardOutput();
}

// The text of the element with id "text" in a page, its lines run together.
QString PageText(const QByteArray& page) {
  QXmlStreamReader xml(page);
  while (xml.readNextStartElement() || !xml.atEnd()) {
    if (xml.isStartElement() && xml.attributes().value(QStringLiteral("id")) == QStringLiteral("text"))
      return xml.readElementText(QXmlStreamReader::IncludeChildElements);
    if (!xml.isStartElement()) xml.readNext();
  }
  return QStringLiteral("(no text element: %1)").arg(xml.errorString());
}

// epubcheck's report on a book; Debian's is a jar that needs java to start
// it where jar files are not run by the kernel (quicker to start with the
// first compiler tier only, on a busy machine).
std::optional<ToolRun> Epubcheck(const QString& book) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("epubcheck"));
  if (program.isEmpty()) return std::nullopt;
  QFile file(program);
  if (file.open(QIODevice::ReadOnly) && file.read(2) == "PK")
    return Tool(QStringLiteral("java"), {QStringLiteral("-XX:TieredStopAtLevel=1"), QStringLiteral("-XX:+UseSerialGC"),
                                         QStringLiteral("-jar"), QFileInfo(program).canonicalFilePath(), book});
  return Tool(program, {book});
}

double Hertz(const QByteArray& raw) {
  const auto* s = reinterpret_cast<const qint16*>(raw.constData());
  const qsizetype n = raw.size() / 2;
  int crossings = 0;
  for (qsizetype i = 1; i < n; ++i) crossings += (s[i - 1] < 0) != (s[i] < 0);
  return n == 0 ? 0 : crossings / 2.0 / (double(n) / 22050.0);
}

}  // namespace

class EpubBookTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<QTemporaryDir> out_;
  const EpubBookFormat format_;

  QString Story(const QString& name) const { return drives_->c(kStoryPath + name); }
  QString Stem(int number) const { return Story(QStringLiteral("Card_%1").arg(number, 2, 10, QChar(u'0'))); }
  void Card(int number, const QString& text, const QByteArray& wav = {}) {
    QDir().mkpath(Story(QString()));
    QVERIFY(CardPicture(number).save(Stem(number) + QStringLiteral(".PNG"), "PNG"));
    if (!text.isEmpty()) WriteHostFile(Stem(number) + QStringLiteral(".txt"), text::Encode(text).value());
    if (!wav.isEmpty()) WriteHostFile(Stem(number) + QStringLiteral("_x.wav"), wav);
  }
  ExportOutcome Write(const ExportStory& story, const QString& path, const std::atomic<bool>* stop = nullptr,
                      const ExportProgress& progress = {}) {
    return format_.Write(story, path, progress, stop);
  }
  // 30 cards, each with a short narration of its own.
  ExportStory ThirtyCards() {
    QList<int> deck;
    for (int number = 1; number <= 30; ++number) {
      Card(number, QStringLiteral("%1まいめの おはなし").arg(number), ToneWav(300 + 10 * number, 0.3));
      deck << number;
    }
    return {QStringLiteral("ながい おはなし"), kFolder, deck};
  }
  static bool Encoders() {
    media::Module* media = media::Get();
    return media && media->EncodeSpeech(std::vector<int16_t>(4410, 0), 44100, nullptr).outcome ==
                        media::SpeechResult::Outcome::Encoded;
  }

 private slots:
  void init() {
    drives_.reset();
    drives_ = std::make_unique<TempDrives>();
    out_ = std::make_unique<QTemporaryDir>();
  }

  // epubcheck finds no error and no warning in a book of one card, of 30
  // cards read aloud, of cards without voices, and of a story whose name
  // and texts hold what XML must escape.
  void booksPassEpubcheck() {
    if (QStandardPaths::findExecutable(QStringLiteral("epubcheck")).isEmpty()) QSKIP("epubcheck is not installed");
    if (!Encoders()) QSKIP("the AAC encoder is not installed");
    auto check = [&](const QString& name, const ExportStory& story) {
      const QString book = out_->path() + u'/' + name + QStringLiteral(".epub");
      QCOMPARE(Write(story, book).result, ExportOutcome::Result::Written);
      const ToolRun check = Epubcheck(book).value();
      const QString report = QString::fromUtf8(check.out);
      QVERIFY2(check.exitCode == 0 && !report.contains(QStringLiteral("WARNING")) &&
                   !report.contains(QStringLiteral("ERROR")) && !report.contains(QStringLiteral("FATAL")),
               qPrintable(name + u'\n' + report));
    };
    Card(1, QStringLiteral("ひとつだけ\r\n"));
    check(QStringLiteral("one"), {QStringLiteral("ひとつ"), kFolder, {1}});
    check(QStringLiteral("thirty"), ThirtyCards());
    for (int number = 1; number <= 3; ++number) QFile::remove(Stem(number) + QStringLiteral("_x.wav"));
    check(QStringLiteral("quiet"), {QStringLiteral("しずか"), kFolder, {3, 1, 2}});
    Card(4, QStringLiteral("「ねこ」＆ いぬ & <とり> ーー\r\n  ひろい  そら\r\n"), ToneWav(500, 0.3));
    Card(5, QString());  // no text at all
    check(QStringLiteral("marks"), {QStringLiteral("「ケーキ」＆ <パン> & ジュース \"のみもの\""), kFolder, {4, 5, 6}});
  }

  // Read as a reader reads it: "mimetype" first and stored, the title page
  // then the cards in deck order, each page's picture the card's own, its
  // text as text, and each overlay over the whole of its card's voice.
  void bookReadsAsTheDeck() {
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
      QSKIP("unzip or ffmpeg is not installed");
    if (!Encoders()) QSKIP("the AAC encoder is not installed");
    Card(1, QStringLiteral("ねこが ないた。\r\n「にゃあ」＆ <ごろごろ>\r\n"), ToneWav(440, 0.8));
    Card(2, QStringLiteral("いぬが きた。\r\n"));
    Card(3, QString(), ToneWav(880, 1.3));
    Card(4, QStringLiteral("おしまい ー\r\n"), ToneWav(660, 0.5));
    const QList<int> deck{3, 1, 4, 2};
    const QStringList texts{QString(), QStringLiteral("ねこが ないた。「にゃあ」＆ <ごろごろ>"),
                            QStringLiteral("おしまい ー"), QStringLiteral("いぬが きた。")};
    const std::vector<double> tones{880, 440, 660, 0}, lengths{1.3, 0.8, 0.5, 0};
    const QString book = out_->path() + QStringLiteral("/Neko.EPUB");
    QVERIFY(format_.Accepts(book));
    QList<int> progress;
    const ExportOutcome outcome =
        Write({QStringLiteral("ねこの おはなし"), kFolder, deck}, book, nullptr, [&](int done, int total) {
          QCOMPARE(total, 4);
          progress << done;
        });
    QVERIFY(outcome.Complete());
    QCOMPARE(format_.Message(outcome), QStringLiteral("えほんが できました。"));
    QCOMPARE(progress, (QList<int>{1, 2, 3, 4}));
    QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Neko.EPUB")});

    // The first entry, byte by byte as a reader looks for it.
    const QByteArray zip = ReadHostFile(book);
    QVERIFY(zip.startsWith("PK\x03\x04"));
    QCOMPARE(zip.mid(8, 2), QByteArray(2, '\0'));   // stored
    QCOMPARE(zip.mid(28, 2), QByteArray(2, '\0'));  // no extra field
    QCOMPARE(zip.mid(30, 28), QByteArray("mimetypeapplication/epub+zip"));

    const QString opf = QString::fromUtf8(Entry(book, QStringLiteral("EPUB/package.opf")));
    QStringList spine;
    for (const auto& match : QRegularExpression(QStringLiteral("<itemref idref=\"([a-z0-9]+)\"")).globalMatch(opf))
      spine << match.captured(1);
    QCOMPARE(spine, (QStringList{"title", "page01", "page02", "page03", "page04"}));
    QVERIFY(QString::fromUtf8(Entry(book, QStringLiteral("EPUB/title.xhtml"))).contains(QStringLiteral("ねこの おはなし")));

    for (int index = 0; index < deck.size(); ++index) {
      const QString pp = QStringLiteral("%1").arg(index + 1, 2, 10, QChar(u'0'));
      const QImage picture = QImage::fromData(Entry(book, QStringLiteral("EPUB/images/card%1.png").arg(pp)));
      QCOMPARE(picture.convertToFormat(QImage::Format_RGB32), CardPicture(deck[index]));
      const QByteArray page = Entry(book, QStringLiteral("EPUB/card%1.xhtml").arg(pp));
      if (texts[index].isEmpty()) {
        QCOMPARE(PageText(page), QStringLiteral("%1まいめの え").arg(index + 1));  // for the overlay
      } else {
        QCOMPARE(PageText(page), texts[index]);
      }
      const QString overlay = QString::fromUtf8(Entry(book, QStringLiteral("EPUB/card%1.smil").arg(pp)));
      if (tones[size_t(index)] == 0) {
        QVERIFY(overlay.isEmpty());
        QVERIFY(!opf.contains(QStringLiteral("id=\"page%1\" href=\"card%1.xhtml\" media-type=\"application/xhtml+xml\" "
                                             "media-overlay").arg(pp)));
        continue;
      }
      QVERIFY2(overlay.contains(QStringLiteral("<text src=\"card%1.xhtml#text\"/>").arg(pp)), qPrintable(overlay));
      const double clipEnd =
          QRegularExpression(QStringLiteral("clipEnd=\"([0-9.]+)s\"")).match(overlay).captured(1).toDouble();
      const QString sound = out_->path() + QStringLiteral("/card%1.m4a").arg(pp);
      WriteHostFile(sound, Entry(book, QStringLiteral("EPUB/audio/card%1.m4a").arg(pp)));
      const double measured = Tool(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration",
                                                               "-of", "csv=p=0", sound})
                                  ->out.trimmed()
                                  .toDouble();
      QVERIFY2(std::abs(clipEnd - measured) < 0.05 && std::abs(clipEnd - lengths[size_t(index)]) < 0.05,
               qPrintable(QStringLiteral("card %1: clipEnd %2 s, ffprobe %3 s").arg(index + 1).arg(clipEnd).arg(measured)));
      const QByteArray raw = Tool(QStringLiteral("ffmpeg"), {"-v", "error", "-ss", "0.1", "-t", "0.3", "-i", sound,
                                                             "-f", "s16le", "-ac", "1", "-ar", "22050", "-"})
                                 ->out;
      const double hertz = Hertz(raw);
      QVERIFY2(std::abs(hertz - tones[size_t(index)]) < 15, qPrintable(QString::number(hertz)));
    }
    // Read aloud only where there is a voice, and the lengths add up.
    QVERIFY(opf.contains(QStringLiteral("<meta property=\"media:duration\">0:00:02.")));
    QVERIFY(opf.contains(QStringLiteral("synchronizedAudioText")));

    // A card with no picture and a broken voice is named, with no "done".
    QFile::remove(Stem(2) + QStringLiteral(".PNG"));
    WriteHostFile(Stem(4) + QStringLiteral("_x.wav"), "RIFF, but no sound in it");
    const ExportOutcome partial = Write({QStringLiteral("ねこ"), kFolder, deck}, book);
    QCOMPARE(partial.result, ExportOutcome::Result::Written);
    QCOMPARE(format_.Message(partial),
             QStringLiteral("4まいめの え が ありません。\n3まいめの こえ が よめません。"));
  }

  // A full disk, a stop and a computer without the encoder: no new file, an
  // old one byte for byte, and the child told (nothing for a stop).
  void failedOrStoppedBookLeavesNoFile() {
    if (!Encoders()) QSKIP("the AAC encoder is not installed");
    for (int number = 1; number <= 3; ++number) Card(number, QStringLiteral("ねこ"), ToneWav(440, 0.5));
    const ExportStory story{QStringLiteral("ねこ"), kFolder, {1, 2, 3}};

    FullDisk full(u'D');
    const QString book = full.root() + QStringLiteral("/neko.epub");
    WriteHostFile(book, "older book");
    const QStringList before = Snapshot(full.root());
    full.WhileFull([&] {
      const ExportOutcome outcome = Write(story, book);
      QCOMPARE(outcome.result, ExportOutcome::Result::NotWritten);
      QCOMPARE(format_.Message(outcome), QStringLiteral("えほんが かけませんでした。"));
    });
    QCOMPARE(Snapshot(full.root()), before);

    // Stopped after the first card, and inside an encoding.
    std::atomic<bool> stop{false};
    const ExportOutcome stopped = Write(story, book, &stop, [&](int, int) { stop = true; });
    QCOMPARE(stopped.result, ExportOutcome::Result::Stopped);
    QCOMPARE(format_.Message(stopped), QString());
    QCOMPARE(media::Get()->EncodeSpeech(std::vector<int16_t>(44100, 0), 44100, &stop).outcome,
             media::SpeechResult::Outcome::Stopped);
    QCOMPARE(Snapshot(full.root()), before);

    // Without the encoder plugins (a GStreamer that finds none, in a
    // process of its own).
    QCOMPARE(OutputWithoutGStreamerPlugins(QStringLiteral("PIKORAMA_EPUB_TEST_CHILD"), book),
             QStringLiteral("えほんを つくる どうぐが ありません。\nせんせいに いってね。"));
    QCOMPARE(Snapshot(full.root()), before);
    QCOMPARE(ReadHostFile(book), QByteArray("older book"));
  }

  // Ace by DAISY finds no serious or critical fault in the 30-card book.
  void thirtyCardsPassAce() {
    const QString script = QFINDTESTDATA("../support/ace_check.sh");
    if (script.isEmpty()) QSKIP("tests/support/ace_check.sh is not there");
    if (!Encoders()) QSKIP("the AAC encoder is not installed");
    const QString book = out_->path() + QStringLiteral("/thirty.epub");
    QCOMPARE(Write(ThirtyCards(), book).result, ExportOutcome::Result::Written);
    const ToolRun ace = Tool(QStringLiteral("bash"), {script, book}).value();
    if (ace.exitCode == 77) QSKIP("Ace by DAISY is not available");
    QVERIFY2(ace.exitCode == 0, ace.out.constData());
  }
};

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  // The child of failedOrStoppedBookLeavesNoFile: one book, its message.
  if (qEnvironmentVariableIsSet("PIKORAMA_EPUB_TEST_CHILD")) {
    const EpubBookFormat format;
    const ExportOutcome outcome = format.Write({QStringLiteral("ねこ"), kFolder, {1}},
                                               qEnvironmentVariable("PIKORAMA_EPUB_TEST_CHILD"), {}, nullptr);
    fputs(format.Message(outcome).toUtf8().constData(), stdout);
    return 0;
  }
  EpubBookTest test;
  QTEST_SET_MAIN_SOURCE_PATH
  return QTest::qExec(&test, argc, argv);
}

#include "EpubBookTest.moc"
