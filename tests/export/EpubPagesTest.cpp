// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// The ePub book as a reader shows it: its pages opened in headless
// Chromium, and the whole book checked by Ace by DAISY
// (tests/support/ace_check.sh).

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <cmath>

#include "export/EpubBook.h"
#include "export/EpubDocuments.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"
#include "support/Viewers.h"

namespace {

const QString kFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\うみ\\");
const QString kStoryPath = QStringLiteral("A_PIKORA/CLASS_11/うみ/");

// Above this line a card's page is its picture alone; below it lies the
// band with the text (one line of text takes about 70 pixels).
constexpr int kBandTop = 500;

// A card picture of its own, light everywhere so that only the text is
// dark on the page: a ground, a disc and a bar placed by `n`.
QImage CardPicture(int n) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(QColor::fromHsv(n * 110 % 360, 90, 245));
  QPainter painter(&image);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromHsv((n * 110 + 180) % 360, 140, 230));
  painter.drawEllipse(QPoint(150 + 220 * n, 200), 120, 120);
  painter.fillRect(QRect(0, 380 + 20 * n, 800, 60), QColor::fromHsv((n * 110 + 90) % 360, 120, 220));
  return image;
}

// Mean difference per colour channel between two pictures over rows
// [top, bottom).
double MeanDifference(const QImage& a, const QImage& b, int top, int bottom) {
  qint64 sum = 0, n = 0;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < 800; ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
      n += 3;
    }
  return double(sum) / double(n);
}

// The dark pixels of rows [top, bottom), as a set of positions.
QSet<int> DarkPixels(const QImage& image, int top, int bottom) {
  QSet<int> dark;
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 100) dark.insert(y * 800 + x);
  return dark;
}

int Run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(program, arguments);
  if (!process.waitForFinished(300000)) return -1;
  if (output) *output = process.readAll();
  return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

}  // namespace

class EpubPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<QTemporaryDir> out_;
  const QStringList texts_{QStringLiteral("うみに ふねが うかんで いました。"), QStringLiteral("くじらが きました。"),
                           QStringLiteral("おしまい")};

  QString Story(const QString& name) const { return drives_->c(kStoryPath + name); }

  // Cards 1 to 3 with their pictures and texts (card `narrated` with a
  // voice too), made into a book; its host path.
  QString MakeBook(int narrated = 0) {
    for (int n = 1; n <= 3; ++n) {
      WriteHostFile(Story(QStringLiteral("Card_0%1.txt").arg(n)), text::Encode(texts_[n - 1] + "\r\n").value());
      CardPicture(n).save(Story(QStringLiteral("Card_0%1.PNG").arg(n)), "PNG");
    }
    if (narrated) WriteHostFile(Story(QStringLiteral("Card_0%1_x.wav").arg(narrated)), ToneWav(440, 1.0));
    const QString book = out_->path() + QStringLiteral("/Umi.epub");
    const ExportOutcome outcome =
        EpubBookFormat().Write({QStringLiteral("うみの おはなし"), kFolder, {1, 2, 3}}, book, {}, nullptr);
    if (outcome.result == ExportOutcome::Result::EncoderMissing) return {};
    return outcome.Complete() ? book : QStringLiteral("not written");
  }

 private slots:
  void initTestCase() {
    // The Ace of this build, unless another is named.
    if (!qEnvironmentVariableIsSet("PIKORAMA_ACE_DIR")) qputenv("PIKORAMA_ACE_DIR", PIKORAMA_ACE_DIR);
  }

  void init() {
    drives_.reset();
    drives_ = std::make_unique<TempDrives>();
    out_ = std::make_unique<QTemporaryDir>();
  }

  // Each card's page in headless Chromium at the book's 800 x 600: the
  // card's own picture fills the page above the text band, and the card's
  // own text shows in the band.
  void pagesShowPicturesAndTexts() {
    if (viewers::Chromium().isEmpty()) QSKIP("chromium is not installed");
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) QSKIP("unzip is not installed");
    const QString book = MakeBook();
    QVERIFY(QFileInfo::exists(book));
    const QString unpacked = out_->path() + QStringLiteral("/book");
    QCOMPARE(Run(QStringLiteral("unzip"), {"-q", book, "-d", unpacked}), 0);

    QList<QSet<int>> texts;
    for (int index = 0; index < 3; ++index) {
      const QString page = unpacked + u'/' + epub::kFolder + epub::PageName(index);
      QVERIFY2(QFileInfo::exists(page), qPrintable(page));
      const QImage image = viewers::Screenshot(page, {800, 600});
      QCOMPARE(image.size(), QSize(800, 600));
      // Its own picture, not another card's, and not blank paper.
      for (int n = 1; n <= 3; ++n) {
        const double difference = MeanDifference(image, CardPicture(n), 0, kBandTop);
        QVERIFY2(n == index + 1 ? difference < 4 : difference > 15,
                 qPrintable(QStringLiteral("page %1 against picture %2: %3").arg(index + 1).arg(n).arg(difference)));
      }
      QVERIFY(DarkPixels(image, 0, kBandTop).isEmpty());
      // Its text: dark writing in the band, different from page to page.
      const QSet<int> text = DarkPixels(image, kBandTop, 600);
      QVERIFY2(text.size() > 200, qPrintable(QStringLiteral("page %1: %2 dark pixels").arg(index + 1).arg(text.size())));
      for (const QSet<int>& other : texts) QVERIFY(text != other);
      texts << text;
    }
  }

  // Ace by DAISY finds no serious or critical violation in a book with a
  // narrated card; a copy whose page lost its picture's alternative text is
  // caught, naming the rule, so a clean result means something.
  void bookPassesAce() {
    const QString check = QStringLiteral(PIKORAMA_SOURCE_DIR "/tests/support/ace_check.sh");
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("zip")).isEmpty())
      QSKIP("zip and unzip are not installed");
    const QString book = MakeBook(2);
    if (book.isEmpty()) QSKIP("the sound encoder is not installed");
    QVERIFY(QFileInfo::exists(book));
    QByteArray report;
    const int clean = Run(QStringLiteral("bash"), {check, book}, &report);
    if (clean == 77) QSKIP(qPrintable(QStringLiteral("Ace by DAISY cannot run: ") + QString::fromUtf8(report).trimmed()));
    QVERIFY2(clean == 0, report.constData());

    // The same book with the second page's alt attribute taken out, packed
    // again as a reader expects: "mimetype" first and stored.
    const QString unpacked = out_->path() + QStringLiteral("/book");
    QCOMPARE(Run(QStringLiteral("unzip"), {"-q", book, "-d", unpacked}), 0);
    const QString page = unpacked + u'/' + epub::kFolder + epub::PageName(1);
    QByteArray xhtml = ReadHostFile(page);
    const qsizetype alt = xhtml.indexOf(" alt=\"");
    QVERIFY(alt > 0);
    xhtml.remove(alt, xhtml.indexOf('"', alt + 6) + 1 - alt);
    WriteHostFile(page, xhtml);
    const QString broken = out_->path() + QStringLiteral("/Broken.epub");
    QProcess zip;
    zip.setWorkingDirectory(unpacked);
    zip.start(QStringLiteral("zip"), {"-X0q", broken, "mimetype"});
    QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
    QStringList rest = QDir(unpacked).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    rest.removeOne(QStringLiteral("mimetype"));
    zip.start(QStringLiteral("zip"), QStringList{"-Xrq9", broken} + rest);
    QVERIFY(zip.waitForFinished() && zip.exitCode() == 0);
    QCOMPARE(Run(QStringLiteral("bash"), {check, broken}, &report), 1);
    QVERIFY2(report.contains(epub::PageName(1).toUtf8() + ": image-alt (critical)"), report.constData());
  }
};

QTEST_MAIN(EpubPagesTest)
#include "EpubPagesTest.moc"
