// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include "export/ExportDialog.h"
#include "export/WebPages.h"
#include "platform/Fonts.h"
#include "platform/RemovableDrives.h"
#include "platform/TextCodec.h"
#include "support/TestSupport.h"
#include "support/Viewers.h"

namespace {

const QString kFolder = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\おはなし\\");
const QByteArray kMeta = "<META http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";

QByteArray Sjis(const QString& s) { return text::Encode(s).value(); }

// Each line ended by CR LF.
QByteArray Lines(const QByteArrayList& lines) { return lines.join("\r\n") + "\r\n"; }

const WebPagesFormat kPages;

ExportOutcome WriteWebPages(const ExportStory& story, const QString& chosenHostPath) {
  return kPages.Write(story, chosenHostPath, {}, nullptr);
}

}  // namespace

class WebPagesTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempDrives> drives_;
  std::unique_ptr<QTemporaryDir> web_;

  QString Card(const QString& name, const QByteArray& bytes = {}) {
    QDir().mkpath(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/おはなし")));
    WriteHostFile(drives_->c(QStringLiteral("A_PIKORA/CLASS_11/おはなし/") + name), bytes);
    return drives_->c(QStringLiteral("A_PIKORA/CLASS_11/おはなし/") + name);
  }
  // A solid 800 x 600 card picture.
  void Picture(const QString& name, QColor colour) {
    QImage image(800, 600, QImage::Format_RGB888);
    image.fill(colour);
    QVERIFY(image.save(Card(name), "PNG"));
  }
  QString Web(const QString& name) const { return web_->path() + u'/' + name; }
  QByteArray WebFile(const QString& name) const { return ReadHostFile(Web(name)); }
  QStringList WebNames() const { return QDir(web_->path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

 private slots:
  void init() {
    drives_.reset();  // its end unsets the drives
    drives_ = std::make_unique<TempDrives>();
    web_ = std::make_unique<QTemporaryDir>();
  }

  // Three cards 1, 4, 2; card 1 with narration and one line of text.
  void workedExampleByteForByteAndAgain() {
    Card("Card_01.PNG", "pic1");
    Card("Card_01_x.wav", "wav1");
    Card("card_01.TXT", Sjis("はじめ\r\n"));
    Card("Card_04.png", "pic4");
    Card("Card_02.PNG", "pic2");
    ScriptedDialogs dialogs;
    const ExportStory story{QStringLiteral("おはなし"), kFolder, {1, 4, 2}};
    ExportStoryToChosenFile(story, dialogs, nullptr, [&](QWidget*) { return Web("Story.html"); });
    QCOMPARE(dialogs.told, QStringList{QStringLiteral("ホームページが できました。")});
    QCOMPARE(WebNames(), (QStringList{"story_01cd.htm", "story_02cd.htm", "story_03cd.htm", "story_card_01.png",
                                      "story_card_01.wav", "story_card_02.png", "story_card_04.png"}));
    QCOMPARE(WebFile("story_01cd.htm"),
             Lines({"<HTML>", "<HEAD>" + kMeta + "<TITLE>" + Sjis("おはなし") + "[1]</TITLE>",
                    "<BGSOUND SRC=\"story_card_01.wav\">", "</HEAD>", "<BODY  bgcolor=\"#CCFFCC\">", "<CENTER>",
                    "<H1>" + Sjis("おはなし") + "[1]</H1>", "<A href=\"story_02cd.htm\">" + Sjis("つぎのカード") + "</A>",
                    "<BR>", "<IMG SRC=\"story_card_01.png\">", "<AUDIO SRC=\"story_card_01.wav\" CONTROLS AUTOPLAY></AUDIO>",
                    "<TABLE WIDTH=65%><TR><TD>", Sjis("はじめ") + "<br>", "", "</TD></TR></TABLE>", "</CENTER>",
                    "</BODY>", "</HTML>"}));
    // Card 4, second in the deck (page [2]): no narration, no text file.
    QCOMPARE(WebFile("story_02cd.htm"),
             Lines({"<HTML>", "<HEAD>" + kMeta + "<TITLE>" + Sjis("おはなし") + "</TITLE></HEAD>",
                    "<BODY  bgcolor=\"#CCFFCC\">", "<CENTER>", "<H1>" + Sjis("おはなし") + "[2]</H1>",
                    "<A href=\"story_03cd.htm\">" + Sjis("つぎのカード") + "</A>", "<BR>",
                    "<IMG SRC=\"story_card_04.png\">", "</CENTER>", "</BODY>", "</HTML>"}));
    QVERIFY(!WebFile("story_03cd.htm").contains("<A href"));
    QCOMPARE(WebFile("story_card_04.png"), QByteArray("pic4"));
    QVERIFY(QFileInfo(Web("story_card_04.png")).permissions() & QFileDevice::ReadOther);
    QCOMPARE(WebFile("story_card_01.wav"), QByteArray("wav1"));

    // Again with capitals, after card 2 left the deck: pages and copies are
    // replaced, the files of card 2 stay.
    Card("Card_04.png", "new4");
    const ExportOutcome again = WriteWebPages({QStringLiteral("おはなし"), kFolder, {1, 4}}, Web("STORY.HTM"));
    QVERIFY(again.Complete());
    QCOMPARE(WebNames().size(), 7);
    QCOMPARE(WebFile("story_card_04.png"), QByteArray("new4"));
    QVERIFY(!WebFile("story_02cd.htm").contains("<A href"));
    QVERIFY(WebFile("story_03cd.htm").contains("story_card_02.png"));
  }

  void textEscapingAndNames() {
    Card("Card_07.PNG", "pic");
    Card("Card_07.txt", "\r\n\r\n");
    Card("Card_08.PNG", "pic");
    Card("Card_08.txt", "");
    Card("Card_09.PNG", "pic");
    Card("Card_09.txt", Sjis("a<b>&\"c\"\r\n\r\nえ\r\n"));
    const QString name = QStringLiteral("<も&じ>\"😀\"");
    QDir().mkpath(Web("my.site"));
    const ExportOutcome result = WriteWebPages({name, kFolder, {7, 8, 9}}, Web("my.site/Pages.v2.html"));
    QVERIFY(result.Complete());
    const QString table = QStringLiteral("<TABLE WIDTH=65%><TR><TD>\r\n</TD></TR></TABLE>\r\n");
    QVERIFY(text::Decode(WebFile("my.site/pages_01cd.htm")).contains(table));
    QVERIFY(text::Decode(WebFile("my.site/pages_02cd.htm")).contains(table));
    const QString last = text::Decode(WebFile("my.site/pages_03cd.htm"));
    QVERIFY(last.contains(QStringLiteral("<TITLE>&lt;も&amp;じ&gt;&quot;&#128512;&quot;</TITLE>")));
    QVERIFY(last.contains(QStringLiteral("<TD>\r\na&lt;b&gt;&amp;&quot;c&quot;<br>\r\n\r\nえ<br>\r\n\r\n</TD>")));
    // Link names that would bend the address are percent-encoded.
    WriteWebPages({name, kFolder, {7, 8}}, Web("A b#1.html"));
    QVERIFY(WebFile("a b#1_01cd.htm").contains("<A href=\"a%20b%231_02cd.htm\">"));
    // One card: no link.
    WriteWebPages({name, kFolder, {7}}, Web("one.html"));
    QVERIFY(!WebFile("one_01cd.htm").contains("<A href"));
    // Pages on a USB stick are flushed to it, and that is no failure.
    disk::testing::SetMountTable([] { return QByteArray(); }, {QFileInfo(web_->path()).absolutePath()});
    QVERIFY(WriteWebPages({name, kFolder, {7}}, Web("stick.html")).Complete());
    disk::testing::SetMountTable({});
  }

  void failuresAreToldAndNothingIsHalfWritten() {
    // Cancel, and a story without cards: a beep, nothing written.
    ScriptedDialogs dialogs;
    ExportStoryToChosenFile({"s", kFolder, {1}}, dialogs, nullptr, [](QWidget*) { return std::nullopt; });
    ExportStoryToChosenFile({"s", kFolder, {}}, dialogs, nullptr, [&](QWidget*) { return Web("s.html"); });
    QCOMPARE(dialogs.beeps, 2);
    QVERIFY(dialogs.told.isEmpty() && WebNames().isEmpty());

    // A missing picture: the other cards are written, the child is told.
    Card("Card_01.PNG", "pic1");
    Card("Card_02.PNG", QByteArray(300000, 'a'));
    ExportStoryToChosenFile({"s", kFolder, {1, 2, 3}}, dialogs, nullptr, [&](QWidget*) { return Web("s.html"); });
    QCOMPARE(dialogs.told.value(0), QStringLiteral("3まいめの え が ありません。"));
    QCOMPARE(WebNames().size(), 5);

    // A folder that is not there.
    const ExportOutcome nowhere = WriteWebPages({"s", kFolder, {1}}, Web("none/s.html"));
    QCOMPARE(kPages.Message(nowhere), QStringLiteral("ホームページが かけませんでした。"));

    // Files may grow to 100 KB only: the second card's picture cannot be
    // written. The old copy stays whole and no temporary file is left.
    Card("Card_02.PNG", QByteArray(300000, 'b'));
    const QStringList before = Snapshot(web_->path());
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 100000;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const ExportOutcome full = WriteWebPages({"s", kFolder, {1, 2, 3}}, Web("s.html"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    QCOMPARE(full.notWrittenFrom, 1);
    QCOMPARE(kPages.Message(full), QStringLiteral("2まいめから あとが かけませんでした。"));
    QCOMPARE(Snapshot(web_->path()), before);
    QCOMPARE(WebFile("s_card_02.png"), QByteArray(300000, 'a'));

    // A narration and a text that are there but cannot be read are no
    // success: the child hears which cards. Root reads everything, so the
    // export runs as an unprivileged user.
    Card("Card_03.PNG", "pic3");
    const QByteArray wav = QFile::encodeName(Card("Card_01_x.wav", "wav1"));
    const QByteArray txt = QFile::encodeName(Card("Card_03.txt", Sjis("みっつめ\r\n")));
    QProcess::execute(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("a+rwX"),
                                                drives_->root(u'C'), web_->path()});
    QVERIFY(::chmod(wav.constData(), 0) == 0 && ::chmod(txt.constData(), 0) == 0);
    QVERIFY(AsUnprivilegedUser([&] {
      const ExportOutcome unread = WriteWebPages({"s", kFolder, {1, 2, 3}}, Web("u.html"));
      return !unread.Complete() && unread.unreadableCards == QList<int>{0, 2} &&
             kPages.Message(unread) == QStringLiteral("1、3まいめの カードが よめませんでした。");
    }));
  }

  // The dialog is built from the list of kinds: their filters in the list's
  // order with すべて second, and a name typed without ending, with a filter
  // chosen in the dialog's own list, gets that kind's ending and goes to it.
  void japaneseSaveDialogFromTheKinds() {
    InstallJapanese(*qApp);
    std::unique_ptr<QFileDialog> dialog(MakeExportDialog(nullptr));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("ホームページのファイル名入力"));
    QCOMPARE(dialog->defaultSuffix(), QStringLiteral("html"));
    QCOMPARE(dialog->nameFilters(),
             (QStringList{"ホームページ (*.htm *.html)", "すべて (*)", "えほん (*.pdf)", "どうが (*.mp4)",
                          "えほん (*.epub)"}));
    const std::vector<const ExportFormat*>& formats = ExportFormats();
    QStringList rows;
    for (const ExportFormat* format : formats) rows << format->Filter();
    rows.insert(1, QStringLiteral("すべて (*)"));
    QCOMPARE(dialog->nameFilters(), rows);
    auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    const auto typed = [&](const QString& filter) {
      const int row = types->findText(filter);
      types->setCurrentIndex(row);
      emit types->activated(row);
      emit types->textActivated(filter);
      dialog->selectFile(QStringLiteral("おはなし"));
      return QFileInfo(dialog->selectedFiles().value(0)).fileName();
    };
    for (const ExportFormat* format : formats) {
      const QString name = typed(format->Filter());
      QCOMPARE(name, QStringLiteral("おはなし.") + format->Extension());
      QVERIFY(format->Accepts(name));
      for (const ExportFormat* other : formats) QVERIFY(other == format || !other->Accepts(name));
    }
    QCOMPARE(typed(QStringLiteral("すべて (*)")), QStringLiteral("おはなし.") + formats.front()->Extension());
    QVERIFY(formats.front()->Accepts(QStringLiteral("おはなし.txt")));  // the first kind takes the rest
    QVERIFY(dialog->testOption(QFileDialog::DontUseNativeDialog));
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    QVERIFY(buttons->button(QDialogButtonBox::Save)->text().startsWith(QStringLiteral("保存")));
    QVERIFY(buttons->button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("キャンセル")));
  }

  // Headless Chromium shows the first page of a two-card story from disk and
  // follows its link.
  void realBrowser() {
    if (viewers::Chromium().isEmpty()) QSKIP("chromium is not installed");
    Picture("Card_03.PNG", Qt::red);
    Card("Card_03_x.wav", "RIFF");
    Picture("Card_05.PNG", Qt::blue);
    QVERIFY(WriteWebPages({QStringLiteral("うさぎの おはなし"), kFolder, {3, 5}}, Web("Usagi.html")).Complete());
    QTemporaryDir profile;
    auto run = [&](const QStringList& extra, const QUrl& url) {
      QProcess browser;
      browser.start(viewers::Chromium(), viewers::ChromiumOptions(profile.path()) + extra + QStringList{url.toString()});
      browser.waitForFinished(120000);
      return QString::fromUtf8(browser.readAllStandardOutput());
    };
    const QUrl first = QUrl::fromLocalFile(Web("usagi_01cd.htm"));
    const QString dom = run({"--dump-dom"}, first);
    QVERIFY2(dom.contains(QStringLiteral("<title>うさぎの おはなし[1]</title>")), qPrintable(dom));
    QVERIFY(dom.contains(QStringLiteral("href=\"usagi_02cd.htm\"")));
    QVERIFY(run({"--dump-dom"}, first.resolved(QUrl("usagi_02cd.htm"))).contains(QStringLiteral("[2]</h1>")));
    const QImage image = viewers::Screenshot(Web("usagi_01cd.htm"), {1000, 900});
    QVERIFY(!image.isNull());
    QCOMPARE(image.pixelColor(image.width() / 2, 500), QColor(255, 0, 0));
  }
};

QTEST_MAIN(WebPagesTest)
#include "WebPagesTest.moc"
