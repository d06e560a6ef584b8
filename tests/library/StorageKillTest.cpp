// The story library and the deck killed at random moments: a child process
// saves, adds, copies, erases and renames over and over and is killed with
// SIGKILL; after each kill the class reads back whole, as at the next start.

#include <QDir>
#include <QtTest>
#include <unistd.h>

#include "deck/CardDeck.h"
#include "deck/CardOperations.h"
#include "library/StoryList.h"
#include "platform/Disk.h"
#include "platform/Imaging.h"
#include "support/TestSupport.h"

namespace {

const QString kClass = QStringLiteral("C:\\A_PIKORA\\CLASS_11\\");

QImage Picture(int shade) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(QColor(shade % 256, 128, 255 - shade % 256));
  return image;
}

// One story operation on the class as the disk holds it.
void OneOperation(int op) {
  LibraryState library;
  DeckState deck;
  ScriptedDialogs dialogs;
  library.BaseFolder = kClass;
  ReadStoryList(library);
  library.CurrentStoryIndex = int16_t(1 + op / 5 % 2);
  DrawStoryList(library, deck);
  ReadCardList(deck);
  deck.CurrentCard = 1;
  LoadCard(deck);
  dialogs.answers = {true, true};
  switch (op % 5) {
    case 0:
      SaveCard(deck, Picture(op));
      break;
    case 1:
      deck.CurrentCard = int16_t(deck.CardCount + 1);
      if (deck.CardCount < 6) SaveCard(deck, Picture(op));
      break;
    case 2:
      if (deck.CardCount < 6) CopyCard(deck, dialogs);
      break;
    case 3:
      deck.CurrentCard = deck.CardCount;
      if (deck.CardCount > 1) EraseCard(deck, dialogs);
      break;
    default: {
      QString name = library.CurrentStoryName;
      name = name.endsWith(u'2') ? name.chopped(1) : name + u'2';
      dialogs.inputs = {name};
      RenameStory(library, deck, dialogs);
    }
  }
}

}  // namespace

class StorageKillTest : public QObject {
  Q_OBJECT
 private slots:
  void killedAtRandomLosesNothing();
};

void StorageKillTest::killedAtRandomLosesNothing() {
  TempDrives drives;
  const QString classHost = drives.c(QStringLiteral("A_PIKORA/CLASS_11"));
  QDir().mkpath(classHost);
  for (const QString& name : {QStringLiteral("A"), QStringLiteral("B")}) {
    QDir().mkpath(classHost + u'/' + name);
    DeckState deck;
    deck.StoryFolder = kClass + name + u'\\';
    WriteCardList(deck);
    for (int card = 1; card <= 2; ++card) {
      deck.CurrentCard = int16_t(card);
      SaveCard(deck, Picture(card));
    }
    disk::AppendLine(kClass + QStringLiteral("Menu.txt"), name);
  }

  RunKillRounds(
      120,
      [] {
        static int op = int(getpid());
        OneOperation(op++);
      },
      [&](int round) {
        LibraryState library;
        library.BaseFolder = kClass;
        ReadStoryList(library);  // finishes a rename cut short, as the next start does
        QCOMPARE(int(library.StoryCount), 2);
        QStringList listed, holding;
        for (int i = 1; i <= library.StoryCount; ++i) {
          listed.append(library.StoryNames[i]);
          DeckState deck;
          deck.StoryFolder = kClass + library.StoryNames[i] + u'\\';
          QVERIFY2(ReadCardList(deck) && deck.CardCount >= 1, qPrintable(QString::number(round)));
          for (int p = 1; p <= deck.CardCount; ++p) {
            const QString stem = CardFileStem(deck, deck.CardNumbers[p]);
            QVERIFY2(imaging::ReadCardPicture(stem + QStringLiteral(".PNG")), qPrintable(stem));
            QVERIFY2(imaging::ReadThumbnail(stem + QStringLiteral(".BMP")), qPrintable(stem));
          }
        }
        for (const QString& folder : QDir(classHost).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
          const QDir story(classHost + u'/' + folder);
          const QStringList pictures = story.entryList({QStringLiteral("Card_*.PNG")}, QDir::Files);
          if (!pictures.isEmpty()) holding.append(folder);
          // No picture on disk is torn, listed or not.
          for (const QString& picture : pictures)
            QVERIFY2(!QImage(story.filePath(picture)).isNull(), qPrintable(picture));
        }
        listed.sort();
        holding.sort();
        QCOMPARE(listed, holding);
      });
}

QTEST_MAIN(StorageKillTest)
#include "StorageKillTest.moc"
