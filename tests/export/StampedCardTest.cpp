// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

// A card drawn with a stamp (the cat) and words in a bubble (「ねこ」),
// saved as the program saves it, then looked at where the child's story
// goes: the player's window, the web pages in Chromium, the picture book
// rendered by poppler, a frame of the video and the ePub book's page in
// Chromium. Each shows the cat's colours and the bubble with the words at
// their place in the picture; the second card, the same paper without
// them, shows none of it there.

#include <QDir>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "deck/CardFiles.h"
#include "drawing/DrawingTools.h"
#include "drawing/StampTable.h"
#include "drawing/ToolActions.h"
#include "export/EpubBook.h"
#include "export/EpubDocuments.h"
#include "export/PictureBook.h"
#include "export/StoryVideo.h"
#include "export/WebPages.h"
#include "platform/Imaging.h"
#include "player/PlayerWindow.h"
#include "support/EditorFixture.h"
#include "support/Viewers.h"

namespace {

// The paper of both cards: a colour no output puts around a picture, so
// that the picture is found in a screenshot by it.
const QColor kPaper(210, 200, 250);
// Where the child clicks, in the picture's own pixels.
constexpr QPoint kStampAt(250, 220);
constexpr int kStampSize = 160;
constexpr QPoint kWordsAt(470, 420);
const QString kStoryName = QStringLiteral("ねこの おはなし");

int Difference(QRgb a, QRgb b) {
  return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// The cat's face and ears: strong yellow to orange.
bool CatColoured(QRgb p) {
  const QColor c(p);
  return c.hsvHue() >= 25 && c.hsvHue() <= 55 && c.hsvSaturation() > 130 && c.value() > 150;
}
// The words in the pen colour, blue.
bool PenColoured(QRgb p) { return qBlue(p) > 150 && qRed(p) < 110 && qGreen(p) < 110; }
bool White(QRgb p) { return qRed(p) > 230 && qGreen(p) > 230 && qBlue(p) > 230; }
bool Black(QRgb p) { return qRed(p) < 80 && qGreen(p) < 80 && qBlue(p) < 80; }

// Pixels of one kind in a region: how many, and where they are on average.
struct Found {
  int count = 0;
  QPointF centre;
};

Found Count(const QImage& picture, QRect region, bool (*kind)(QRgb)) {
  Found found;
  double x = 0, y = 0;
  region &= picture.rect();
  for (int row = region.top(); row <= region.bottom(); ++row)
    for (int column = region.left(); column <= region.right(); ++column)
      if (kind(picture.pixel(column, row))) ++found.count, x += column, y += row;
  if (found.count) found.centre = {x / found.count, y / found.count};
  return found;
}

// What is looked for in one picture: the cat around the stamp, the pen,
// white and black around the words.
struct Marks {
  Found cat, pen, white, black;
};

Marks Measure(const QImage& picture, QRect stampRegion, QRect wordsRegion) {
  return {Count(picture, stampRegion, CatColoured), Count(picture, wordsRegion, PenColoured),
          Count(picture, wordsRegion, White), Count(picture, wordsRegion, Black)};
}

// The card's picture as an output shows it, brought back to 800 x 600:
// the rows and columns that are mostly the paper's colour mark it out. A
// null image when the paper is not there.
QImage PictureIn(const QImage& shot) {
  const QImage image = shot.convertToFormat(QImage::Format_RGB32);
  std::vector<int> rows(size_t(image.height())), columns(size_t(image.width()));
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (Difference(image.pixel(x, y), kPaper.rgb()) < 40) ++rows[size_t(y)], ++columns[size_t(x)];
  const auto first = [](const std::vector<int>& counts) {
    return int(std::find_if(counts.begin(), counts.end(), [](int n) { return n > 100; }) - counts.begin());
  };
  const auto last = [](const std::vector<int>& counts) {
    return int(counts.rend() - std::find_if(counts.rbegin(), counts.rend(), [](int n) { return n > 100; })) - 1;
  };
  const QRect found(QPoint(first(columns), first(rows)), QPoint(last(columns), last(rows)));
  if (!found.isValid() || found.height() < 100) return {};
  // Shown at its own size (the player and the video show one column less):
  // as it is; printed smaller or larger: scaled back by its height.
  if (std::abs(found.height() - 600) <= 2) return image.copy(QRect(found.topLeft(), QSize(800, 600)));
  return image.copy(found).scaled(800, 600, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QString Describe(const Marks& m) {
  const auto one = [](const char* name, const Found& f) {
    return QStringLiteral("%1 %2 at (%3, %4)")
        .arg(QLatin1String(name))
        .arg(f.count)
        .arg(f.centre.x(), 0, 'f', 1)
        .arg(f.centre.y(), 0, 'f', 1);
  };
  return one("cat", m.cat) + QStringLiteral("; ") + one("pen", m.pen) + QStringLiteral("; ") + one("white", m.white) +
         QStringLiteral("; ") + one("black", m.black);
}

}  // namespace

class StampedCardTest : public QObject {
  Q_OBJECT

  std::unique_ptr<EditorFixture> f_;
  std::unique_ptr<QTemporaryDir> out_;
  ExportStory story_;
  QRect stampRegion_, wordsRegion_;
  Marks drawn_;  // as the canvas had them when the card was saved

  // The stamped card and the plain card as `what` shows them: each has
  // the marks of the canvas at their place (within `shift` pixels, with
  // `share` of the pixels kept through its scaling and compression), the
  // plain card none of them.
  void Check(const char* what, const QImage& stamped, const QImage& plain, double shift, double share) {
    const QImage picture = PictureIn(stamped), control = PictureIn(plain);
    QVERIFY2(!picture.isNull() && !control.isNull(), what);
    const Marks seen = Measure(picture, stampRegion_, wordsRegion_);
    const QString report =
        QStringLiteral("%1: drawn %2; seen %3").arg(QLatin1String(what), Describe(drawn_), Describe(seen));
    const std::pair<const Found&, const Found&> pairs[] = {
        {drawn_.cat, seen.cat}, {drawn_.pen, seen.pen}, {drawn_.white, seen.white}, {drawn_.black, seen.black}};
    for (const auto& [drawn, shown] : pairs) {
      QVERIFY2(shown.count >= share * drawn.count, qPrintable(report));
      QVERIFY2(QLineF(drawn.centre, shown.centre).length() <= shift, qPrintable(report));
    }
    const Marks none = Measure(control, stampRegion_, wordsRegion_);
    const QString controlReport = QStringLiteral("%1, the plain card: %2").arg(QLatin1String(what), Describe(none));
    for (const auto& [drawn, shown] : {std::pair{drawn_.cat, none.cat}, std::pair{drawn_.pen, none.pen},
                                       std::pair{drawn_.white, none.white}, std::pair{drawn_.black, none.black}})
      QVERIFY2(shown.count <= drawn.count / 20, qPrintable(controlReport));
  }

  QString Out(const QString& name) const { return out_->path() + u'/' + name; }

 private slots:
  // Card 1: the paper, the cat stamped with a click and 「ねこ」 typed in a
  // bubble, saved by 「えをかく おわり」. Card 2: the paper alone.
  void initTestCase() {
    if (StampFontFamily().isEmpty()) QSKIP("the colour emoji font (fonts-noto-color-emoji) is not installed");
    f_ = std::make_unique<EditorFixture>();
    out_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(f_->drives.c(QStringLiteral("A_PIKORA/CLASS_11/うみ"))));
    EditorParts& s = f_->session;
    EditorState& editor = s.editor;

    QVERIFY(s.drawing.Start());
    const QRect area = PictureArea(editor);
    f_->paint(area, kPaper);
    RecordStep(editor);
    int cat = -1;
    for (int i = 0; i < int(StampCategories().size()); ++i)
      if (QString::fromUtf8(StampCategories()[size_t(i)].name) == QStringLiteral("どうぶつ")) cat = i;
    QVERIFY(cat >= 0);
    QCOMPARE(QString::fromUtf8(StampCategories()[size_t(cat)].stamps[0].name), QStringLiteral("ねこ"));
    editor.stamp.size = kStampSize;
    ChooseStamp(editor, cat, 0);
    const QPoint stampAt = area.topLeft() + kStampAt;
    CanvasMouseMove(editor, 0, stampAt.x(), stampAt.y());
    CanvasMouseDown(editor, kLeftButton, stampAt.x(), stampAt.y());
    CanvasMouseUp(editor, kLeftButton, stampAt.x(), stampAt.y());

    editor.penColourIndex = 1;
    QCOMPARE(editor.paletteColour(1), qRgb(0, 0, 255));
    ChooseTool(editor, f_->dialogs, Tool::Words);
    ChangeWordsLook(editor, {40, true});
    const QPoint wordsAt = area.topLeft() + kWordsAt;
    CanvasMouseDown(editor, kLeftButton, wordsAt.x(), wordsAt.y());
    CanvasMouseUp(editor, kLeftButton, wordsAt.x(), wordsAt.y());
    QVERIFY(TypeWords(editor, f_->dialogs, QStringLiteral("ねこ")));
    const QRect words = WordsRect(editor).translated(-area.topLeft());
    FinishWords(editor);
    const QImage canvasPicture = editor.canvasImage.copy(area).convertToFormat(QImage::Format_RGB32);
    QVERIFY(s.drawing.Finish());

    QVERIFY(s.drawing.OpenAt(s.deck.cardCount()));
    f_->paint(PictureArea(editor), kPaper);
    QVERIFY(s.drawing.Finish());
    QCOMPARE(s.deck.cardNumbers, (QList<int>{1, 2}));
    story_ = {kStoryName, s.deck.storyFolder, s.deck.cardNumbers};

    // What the outputs are to show, from the canvas: around the stamp's
    // square and the words' bubble (with room for a shift to show).
    stampRegion_ = QRect(kStampAt - QPoint(kStampSize / 2, kStampSize / 2), QSize(kStampSize, kStampSize))
                       .adjusted(-30, -30, 30, 30);
    wordsRegion_ = words.adjusted(-20, -20, 20, 20);
    QVERIFY(!stampRegion_.intersects(wordsRegion_));
    drawn_ = Measure(canvasPicture, stampRegion_, wordsRegion_);
    QVERIFY2(drawn_.cat.count > 3000 && drawn_.pen.count > 200 && drawn_.white.count > 1000 && drawn_.black.count > 100,
             qPrintable(Describe(drawn_)));
    // The cat is centred where the child clicked, the words inside their bubble.
    QVERIFY2(QLineF(drawn_.cat.centre, kStampAt).length() < 8, qPrintable(Describe(drawn_)));
    QVERIFY2(words.contains(drawn_.pen.centre.toPoint()) && words.contains(drawn_.white.centre.toPoint()),
             qPrintable(Describe(drawn_)));
    // The saved file is the canvas's picture.
    const auto saved = imaging::ReadCardPicture(story_.folder + QStringLiteral("Card_01.PNG"));
    QVERIFY(saved);
    QCOMPARE(saved->convertToFormat(QImage::Format_RGB32), canvasPicture);
  }

  // The player's window as the child sees it, each card wiped in by 「＞」.
  void player() {
    struct Host : PlayerHost {
      DeckState deck;
      QString StoryName() const override { return kStoryName; }
      int CardCount() const override { return deck.cardCount(); }
      const QImage& LoadCard(int position) override {
        deck.currentCard = position;
        ::LoadCard(deck);
        return deck.cardImage;
      }
      std::optional<QString> NarrationFile(int) const override { return std::nullopt; }
      bool FileExists(const QString&) const override { return false; }
      void PlayNarration(const QString&) override {}
      void Beep() override {}
      void PlayerClosed(int) override {}
    } host;
    host.deck.storyFolder = story_.folder;
    host.deck.cardNumbers = story_.cardNumbers;
    PlayerWindow window(host, QSize(1024, 768));
    window.player().presenter().setTimed(false);
    window.Start();
    QImage shown[2];
    for (QImage& card : shown) {
      QTest::mouseClick(window.findChild<QWidget*>(QStringLiteral("Command3")), Qt::LeftButton);
      window.player().presenter().Finish();
      card = window.grab().toImage();
    }
    Check("player", shown[0], shown[1], 1, 0.95);
  }

  // The web pages: each card's page in headless Chromium.
  void webPages() {
    if (viewers::Chromium().isEmpty()) QSKIP("chromium is not installed");
    QVERIFY(WebPagesFormat().Write(story_, Out(QStringLiteral("Neko.html")), {}, nullptr).Complete());
    const QImage first = viewers::Screenshot(Out(QStringLiteral("neko_01cd.htm")), {1000, 900});
    const QImage second = viewers::Screenshot(Out(QStringLiteral("neko_02cd.htm")), {1000, 900});
    Check("web pages", first, second, 1, 0.95);
  }

  // The picture book: its card pages rendered by poppler.
  void pictureBook() {
    if (!viewers::PopplerInstalled()) QSKIP("poppler-utils are not installed");
    const QString pdf = Out(QStringLiteral("Neko.pdf"));
    QVERIFY(PictureBookFormat().Write(story_, pdf, {}, nullptr).Complete());
    Check("picture book", viewers::PdfPage(pdf, 2, 100), viewers::PdfPage(pdf, 3, 100), 3, 0.8);
  }

  // The video: a frame in the middle of each card's time on the screen
  // (the title 2 s, each card's wipe 25 frames, then 3 s without a voice).
  void video() {
    if (!viewers::FfmpegInstalled()) QSKIP("ffmpeg is not installed");
    const QString mp4 = Out(QStringLiteral("Neko.mp4"));
    const ExportOutcome outcome = VideoFormat().Write(story_, mp4, {}, nullptr);
    if (outcome.result == ExportOutcome::Result::EncoderMissing) QSKIP("the GStreamer encoders are not installed");
    QVERIFY(outcome.Complete());
    const double card = (25 + 90) / 30.0;
    Check("video", viewers::VideoFrame(mp4, 2.0 + card / 2), viewers::VideoFrame(mp4, 2.0 + card * 1.5), 3, 0.7);
  }

  // The ePub book: each card's page in headless Chromium at the book's size.
  void epubBook() {
    if (viewers::Chromium().isEmpty()) QSKIP("chromium is not installed");
    if (QStandardPaths::findExecutable(QStringLiteral("unzip")).isEmpty()) QSKIP("unzip is not installed");
    const QString book = Out(QStringLiteral("Neko.epub"));
    QVERIFY(EpubBookFormat().Write(story_, book, {}, nullptr).Complete());
    const QString unpacked = Out(QStringLiteral("book"));
    QCOMPARE(QProcess::execute(QStringLiteral("unzip"), {"-q", book, "-d", unpacked}), 0);
    QImage pages[2];
    for (int index = 0; index < 2; ++index)
      pages[index] = viewers::Screenshot(unpacked + u'/' + epub::kFolder + epub::PageName(index), {800, 600});
    Check("ePub book", pages[0], pages[1], 1, 0.9);
  }
};

QTEST_MAIN(StampedCardTest)
#include "StampedCardTest.moc"
