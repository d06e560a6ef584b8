// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include "export/ExportDialog.h"
#include "export/PictureBook.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"
#include "support/Viewers.h"

namespace {

const QString kFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\ねこ\\");
const PictureBookFormat kBook;

// The output of a poppler tool, or nothing when it is not installed.
std::optional<QString> Run(const QString& tool, const QStringList& arguments) {
  if (QStandardPaths::findExecutable(tool).isEmpty()) return std::nullopt;
  QProcess process;
  process.start(tool, arguments);
  if (!process.waitForFinished(60000) || process.exitCode() != 0) return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

class PictureBookTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<QTemporaryDir> out_;

  void Card(int number, QColor colour, const QString& text) {
    const QString stem = drives_->c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/Card_0%1").arg(number));
    QImage image(800, 600, QImage::Format_RGB888);
    image.fill(colour);
    WriteHostFile(stem + QStringLiteral(".txt"), text::Encode(text).value());  // makes the folder too
    QVERIFY(image.save(stem + QStringLiteral(".PNG"), "PNG"));
  }
  ExportStory ThreeCards() {
    Card(1, Qt::red, QStringLiteral("ねこが　ないた。\r\nにゃあ\r\n"));
    Card(2, Qt::green, QStringLiteral("いぬが　きた。\r\n"));
    Card(3, Qt::blue, QStringLiteral("おしまい\r\n"));
    return {QStringLiteral("ねこの おはなし"), kFolder, {1, 3, 2}};
  }

 private slots:
  void init() {
    drives_.reset();
    drives_ = std::make_unique<TempDrives>();
    out_ = std::make_unique<QTemporaryDir>();
  }

  // Through the export button's work: a ".pdf" name gets the book, and the
  // book has the title page and the cards in deck order.
  void threeCardsMakeFourPagesInDeckOrder() {
    const ExportStory story = ThreeCards();
    const QString pdf = out_->path() + QStringLiteral("/Neko.PDF");
    ScriptedDialogs dialogs;
    ExportStoryToChosenFile(story, dialogs, nullptr, [&](QWidget*) { return std::optional<QString>(pdf); });
    QCOMPARE(dialogs.told, QStringList{QStringLiteral("えほんが できました。")});
    QCOMPARE(QDir(out_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Neko.PDF")});
    QVERIFY(ReadHostFile(pdf).startsWith("%PDF"));

    const auto info = Run(QStringLiteral("pdfinfo"), {pdf});
    if (!info) QSKIP("poppler-utils are not installed");
    QVERIFY2(info->contains(QRegularExpression(QStringLiteral("Pages:\\s+4\\n"))), qPrintable(*info));
    QVERIFY(info->contains(QRegularExpression(QStringLiteral("Page size:\\s+842"))));  // A4 across

    const QString text = Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).value();
    // Spaces are compared away: the tool lays full-width ones out as it likes.
    QStringList pages = text.split(u'\f');
    for (QString& page : pages) page.remove(QRegularExpression(QStringLiteral("[\\s\u3000]")));
    QVERIFY2(pages.size() >= 4, qPrintable(text));
    QVERIFY(pages[0].contains(QStringLiteral("ねこのおはなし")));
    QVERIFY(pages[1].contains(QStringLiteral("ねこがないた。にゃあ")) && pages[1].contains(QStringLiteral("にゃあ")));
    QVERIFY(pages[2].contains(QStringLiteral("おしまい")));  // card 3 is second in the deck
    QVERIFY(pages[3].contains(QStringLiteral("いぬがきた。")));

    const QString fonts = Run(QStringLiteral("pdffonts"), {pdf}).value();  // IPAGothic, embedded
    QVERIFY2(fonts.contains(QRegularExpression(QStringLiteral("IPAGothic\\S*\\s+CID TrueType\\s+Identity-H\\s+yes"))),
             qPrintable(fonts));

    // Page 2 shows card 1's red picture in its upper part, page 3 card 3's blue.
    for (const auto& [page, colour] : {std::pair{2, QColor(Qt::red)}, std::pair{3, QColor(Qt::blue)}}) {
      const QImage shot = viewers::PdfPage(pdf, page, 30);
      QVERIFY(!shot.isNull());
      const QColor seen = shot.pixelColor(shot.width() / 2, shot.height() / 3);
      QVERIFY2(std::abs(seen.red() - colour.red()) + std::abs(seen.green() - colour.green()) +
                       std::abs(seen.blue() - colour.blue()) < 24,
               qPrintable(seen.name()));  // the picture may be stored compressed with loss
      QCOMPARE(shot.pixelColor(2, 2), QColor(Qt::white));
    }
  }

  // A write that really fails leaves no file and no temporary file, and an
  // older book there stays whole.
  void failedWriteLeavesNothing() {
    const ExportStory story = ThreeCards();
    FullDisk full(u'D');
    const QString pdf = full.root() + QStringLiteral("/book.pdf");
    const QStringList before = Snapshot(full.root());
    full.WhileFull([&] {
      const ExportOutcome result = kBook.Write(story, pdf, {}, nullptr);
      QCOMPARE(result.result, ExportOutcome::Result::NotWritten);
      QCOMPARE(kBook.Message(result), QStringLiteral("えほんが かけませんでした。"));
    });
    QCOMPARE(Snapshot(full.root()), before);

    WriteHostFile(pdf, "older book");
    full.WhileFull([&] { QVERIFY(kBook.Write(story, pdf, {}, nullptr).result != ExportOutcome::Result::Written); }, 4096);
    QCOMPARE(ReadHostFile(pdf), QByteArray("older book"));
    QCOMPARE(QDir(full.root()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("book.pdf")});
  }

  // A missing picture and a text that is there but cannot be read (a link,
  // which is never followed) are named by their place in the deck, and the
  // book is not called done.
  void cardsThatCannotBeReadAreNamed() {
    const ExportStory story = ThreeCards();
    const QString stem = drives_->c(QStringLiteral("A_PIKORA/CLASS_11/ねこ/Card_0"));
    QFile::remove(stem + QStringLiteral("2.PNG"));
    QFile::rename(stem + QStringLiteral("3.txt"), out_->path() + QStringLiteral("/elsewhere.txt"));
    QVERIFY(QFile::link(out_->path() + QStringLiteral("/elsewhere.txt"), stem + QStringLiteral("3.txt")));
    const ExportOutcome result = kBook.Write(story, out_->path() + QStringLiteral("/book.pdf"), {}, nullptr);
    QVERIFY(result.result == ExportOutcome::Result::Written && !result.Complete());
    QCOMPARE(result.missingPictures, QList<int>{2});  // card 2, third in the deck
    QCOMPARE(result.unreadableCards, QList<int>{1});
    QCOMPARE(kBook.Message(result),
             QStringLiteral("3まいめの え が ありません。\n2まいめの カードが よめませんでした。"));
  }
};

QTEST_MAIN(PictureBookTest)
#include "PictureBookTest.moc"
