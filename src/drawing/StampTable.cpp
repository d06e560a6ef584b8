// SPDX-FileCopyrightText: 2026 pikorama contributors
// SPDX-License-Identifier: GPL-3.0-or-later

#include "drawing/StampTable.h"

#include <QFile>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QProcess>
#include <array>

namespace {

// The names are what a first-grader would call the picture, in hiragana.
constexpr Stamp kAnimals[] = {
    {"🐱", "ねこ"}, {"🐶", "いぬ"}, {"🐭", "ねずみ"}, {"🐹", "はむすたー"}, {"🐰", "うさぎ"},
    {"🦊", "きつね"}, {"🐻", "くま"}, {"🐼", "ぱんだ"}, {"🐨", "こあら"}, {"🐯", "とら"},
    {"🦁", "らいおん"}, {"🐮", "うし"}, {"🐷", "ぶた"}, {"🐸", "かえる"}, {"🐵", "さる"},
    {"🐔", "にわとり"}, {"🐧", "ぺんぎん"}, {"🐦", "ことり"}, {"🐤", "ひよこ"}, {"🦆", "あひる"},
    {"🦉", "ふくろう"}, {"🐴", "うま"}, {"🦄", "ゆにこーん"}, {"🐝", "はち"}, {"🐛", "いもむし"},
    {"🦋", "ちょうちょ"}, {"🐌", "かたつむり"}, {"🐞", "てんとうむし"}, {"🐜", "あり"}, {"🐢", "かめ"},
    {"🐍", "へび"}, {"🦖", "きょうりゅう"}, {"🐙", "たこ"}, {"🦑", "いか"}, {"🦀", "かに"},
    {"🐠", "ねったいぎょ"}, {"🐟", "さかな"}, {"🐬", "いるか"}, {"🐳", "くじら"}, {"🦈", "さめ"},
    {"🐊", "わに"}, {"🐘", "ぞう"}, {"🦒", "きりん"}, {"🦓", "しまうま"}, {"🐑", "ひつじ"},
    {"🐐", "やぎ"}, {"🦔", "はりねずみ"}, {"🐿\xEF\xB8\x8F", "りす"}, {"🦩", "ふらみんご"}, {"🐓", "おんどり"},
};

constexpr Stamp kFood[] = {
    {"🍎", "りんご"}, {"🍐", "ようなし"}, {"🍊", "みかん"}, {"🍋", "れもん"}, {"🍌", "ばなな"},
    {"🍉", "すいか"}, {"🍇", "ぶどう"}, {"🍓", "いちご"}, {"🍒", "さくらんぼ"}, {"🍑", "もも"},
    {"🍍", "ぱいなっぷる"}, {"🥝", "きうい"}, {"🍅", "とまと"}, {"🍆", "なす"}, {"🥕", "にんじん"},
    {"🌽", "とうもろこし"}, {"🥦", "ぶろっこりー"}, {"🥒", "きゅうり"}, {"🍄", "きのこ"}, {"🥔", "じゃがいも"},
    {"🍞", "ぱん"}, {"🥐", "くろわっさん"}, {"🧀", "ちーず"}, {"🥚", "たまご"}, {"🍳", "めだまやき"},
    {"🥞", "ほっとけーき"}, {"🍔", "はんばーがー"}, {"🍟", "ぽてと"}, {"🍕", "ぴざ"}, {"🌭", "ほっとどっぐ"},
    {"🍙", "おにぎり"}, {"🍚", "ごはん"}, {"🍛", "かれー"}, {"🍜", "らーめん"}, {"🍝", "すぱげってぃ"},
    {"🍣", "おすし"}, {"🍤", "えびふらい"}, {"🍡", "だんご"}, {"🍦", "そふとくりーむ"}, {"🍧", "かきごおり"},
    {"🍨", "あいす"}, {"🍩", "どーなつ"}, {"🍪", "くっきー"}, {"🎂", "けーき"}, {"🍰", "しょーとけーき"},
    {"🍮", "ぷりん"}, {"🍭", "ぺろぺろきゃんでぃ"}, {"🍫", "ちょこれーと"}, {"🍬", "あめだま"}, {"🥛", "ぎゅうにゅう"},
};

constexpr Stamp kVehicles[] = {
    {"🚗", "くるま"}, {"🚕", "たくしー"}, {"🚙", "じーぷ"}, {"🚌", "ばす"}, {"🚎", "とろりーばす"},
    {"🏎\xEF\xB8\x8F", "れーしんぐかー"}, {"🚓", "ぱとかー"}, {"🚑", "きゅうきゅうしゃ"}, {"🚒", "しょうぼうしゃ"}, {"🚐", "わごん"},
    {"🚚", "とらっく"}, {"🚛", "おおがたとらっく"}, {"🚜", "とらくたー"}, {"🛵", "すくーたー"}, {"🏍\xEF\xB8\x8F", "おーとばい"},
    {"🚲", "じてんしゃ"}, {"🛴", "きっくぼーど"}, {"🛹", "すけぼー"}, {"🚨", "さいれん"}, {"🚃", "でんしゃ"},
    {"🚋", "ろめんでんしゃ"}, {"🚄", "しんかんせん"}, {"🚅", "はやいでんしゃ"}, {"🚂", "きかんしゃ"}, {"🚇", "ちかてつ"},
    {"🚝", "ものれーる"}, {"🚞", "やまのでんしゃ"}, {"🚉", "えき"}, {"✈\xEF\xB8\x8F", "ひこうき"}, {"🛩\xEF\xB8\x8F", "こがたひこうき"},
    {"🚁", "へりこぷたー"}, {"🚀", "ろけっと"}, {"🛸", "ゆーふぉー"}, {"🛰\xEF\xB8\x8F", "じんこうえいせい"}, {"🪂", "ぱらしゅーと"},
    {"🎈", "ふうせん"}, {"⛵", "よっと"}, {"🚤", "もーたーぼーと"}, {"🛥\xEF\xB8\x8F", "ぼーと"}, {"🚢", "ふね"},
    {"⛴\xEF\xB8\x8F", "ふぇりー"}, {"🛶", "かぬー"}, {"⚓", "いかり"}, {"🚦", "しんごう"}, {"🚧", "こうじちゅう"},
    {"⛽", "がそりんすたんど"}, {"🚏", "ばすてい"}, {"🛞", "たいや"}, {"🚠", "ろーぷうぇい"}, {"🎢", "じぇっとこーすたー"},
};

constexpr Stamp kNature[] = {
    {"☀\xEF\xB8\x8F", "たいよう"}, {"🌙", "つき"}, {"⭐", "ほし"}, {"🌟", "きらきらぼし"}, {"☁\xEF\xB8\x8F", "くも"},
    {"⛅", "はれときどきくもり"}, {"🌧\xEF\xB8\x8F", "あめ"}, {"⛈\xEF\xB8\x8F", "かみなりあめ"}, {"⚡", "かみなり"}, {"❄\xEF\xB8\x8F", "ゆきのけっしょう"},
    {"☃\xEF\xB8\x8F", "ゆきだるま"}, {"🌈", "にじ"}, {"☂\xEF\xB8\x8F", "かさ"}, {"💧", "しずく"}, {"🌊", "なみ"},
    {"🔥", "ひ"}, {"🌪\xEF\xB8\x8F", "たつまき"}, {"🌋", "かざん"}, {"🗻", "ふじさん"}, {"⛰\xEF\xB8\x8F", "やま"},
    {"🏝\xEF\xB8\x8F", "しま"}, {"🏖\xEF\xB8\x8F", "すなはま"}, {"🌍", "ちきゅう"}, {"🌸", "さくら"}, {"🌷", "ちゅーりっぷ"},
    {"🌹", "ばら"}, {"🌻", "ひまわり"}, {"🌼", "はな"}, {"🌺", "はいびすかす"}, {"💐", "はなたば"},
    {"🌱", "ふたば"}, {"🌿", "は"}, {"☘\xEF\xB8\x8F", "みつば"}, {"🍀", "よつば"}, {"🍁", "もみじ"},
    {"🍂", "おちば"}, {"🍃", "かぜにまうは"}, {"🌲", "もみのき"}, {"🌳", "き"}, {"🌴", "やしのき"},
    {"🌵", "さぼてん"}, {"🎋", "たなばた"}, {"🎍", "かどまつ"}, {"🌰", "くり"}, {"🪨", "いし"},
    {"🪵", "まるた"}, {"🐚", "かいがら"}, {"🌾", "いなほ"}, {"🌏", "あじあのちきゅう"}, {"🌌", "あまのがわ"},
};

constexpr Stamp kFaces[] = {
    {"😀", "にこにこ"}, {"😃", "わーい"}, {"😄", "にっこり"}, {"😁", "にかっ"}, {"😆", "おおわらい"},
    {"😅", "あせあせ"}, {"🤣", "ころげてわらう"}, {"😂", "うれしなき"}, {"🙂", "ほほえみ"}, {"😉", "うぃんく"},
    {"😊", "てれてれ"}, {"😇", "てんし"}, {"🥰", "だいすき"}, {"😍", "めがはーと"}, {"🤩", "めがほし"},
    {"😘", "ちゅー"}, {"😋", "おいしい"}, {"😛", "べー"}, {"🤪", "へんがお"}, {"🤗", "ぎゅー"},
    {"🤔", "かんがえちゅう"}, {"🤫", "しーっ"}, {"😐", "むー"}, {"😑", "しらーっ"}, {"😶", "だんまり"},
    {"😏", "にやり"}, {"🙄", "あきれた"}, {"😬", "いーっ"}, {"😌", "ほっ"}, {"😔", "しょんぼり"},
    {"😪", "ねむい"}, {"😴", "ぐーぐー"}, {"😷", "ますく"}, {"🤒", "おねつ"}, {"🤧", "はくしょん"},
    {"🥵", "あつい"}, {"🥶", "さむい"}, {"😵", "くらくら"}, {"🤠", "かうぼーい"}, {"🥳", "おいわい"},
    {"😎", "さんぐらす"}, {"🤓", "めがね"}, {"😲", "びっくり"}, {"😳", "どきっ"}, {"🥺", "おねがい"},
    {"😢", "なみだ"}, {"😭", "えーん"}, {"😱", "ぎゃー"}, {"😡", "ぷんぷん"}, {"👻", "おばけ"},
};

constexpr Stamp kThings[] = {
    {"⚽", "さっかーぼーる"}, {"⚾", "やきゅうのぼーる"}, {"🏀", "ばすけっとぼーる"}, {"🎾", "てにすぼーる"}, {"🏐", "ばれーぼーる"},
    {"🎱", "びりやーど"}, {"🪁", "たこあげ"}, {"🧸", "くまのぬいぐるみ"}, {"🪀", "よーよー"}, {"🎨", "えのぐ"},
    {"✏\xEF\xB8\x8F", "えんぴつ"}, {"🖍\xEF\xB8\x8F", "くれよん"}, {"📏", "じょうぎ"}, {"✂\xEF\xB8\x8F", "はさみ"}, {"📚", "ほん"},
    {"🎒", "らんどせる"}, {"🎁", "ぷれぜんと"}, {"🎀", "りぼん"}, {"🎉", "くらっかー"}, {"🎊", "くすだま"},
    {"🎏", "こいのぼり"}, {"🎐", "ふうりん"}, {"🏮", "ちょうちん"}, {"🎃", "かぼちゃのおばけ"}, {"🎄", "くりすますつりー"},
    {"🔔", "すず"}, {"🎵", "おんぷ"}, {"🎹", "けんばん"}, {"🥁", "たいこ"}, {"🎺", "とらんぺっと"},
    {"🎸", "ぎたー"}, {"🎻", "ばいおりん"}, {"📷", "かめら"}, {"📺", "てれび"}, {"⏰", "めざましどけい"},
    {"💡", "でんきゅう"}, {"🔦", "かいちゅうでんとう"}, {"🔑", "かぎ"}, {"🔨", "かなづち"}, {"🧲", "じしゃく"},
    {"🪣", "ばけつ"}, {"🧽", "すぽんじ"}, {"🪥", "はぶらし"}, {"👑", "おうかん"}, {"🎩", "しるくはっと"},
    {"👒", "むぎわらぼうし"}, {"👟", "くつ"}, {"👕", "しゃつ"}, {"💎", "ほうせき"}, {"❤\xEF\xB8\x8F", "はーと"},
};

constexpr Stamp kPlaces[] = {
    {"🏠", "いえ"}, {"🏡", "にわのあるいえ"}, {"🏫", "がっこう"}, {"🏥", "びょういん"}, {"🏪", "こんびに"},
    {"🏰", "おしろ"}, {"🏯", "にほんのおしろ"}, {"⛩\xEF\xB8\x8F", "とりい"}, {"🗼", "とうきょうたわー"}, {"🎡", "かんらんしゃ"},
    {"🎠", "めりーごーらんど"}, {"⛺", "てんと"}, {"⛲", "ふんすい"}, {"🌉", "はし"}, {"🏭", "こうじょう"},
};

constexpr std::array<StampCategory, 7> kCategories = {{
    {"どうぶつ", kAnimals},
    {"たべもの", kFood},
    {"のりもの", kVehicles},
    {"しぜん", kNature},
    {"かお", kFaces},
    {"もの", kThings},
    {"たてもの", kPlaces},
}};

// Where fontconfig keeps the colour emoji font; the usual place when there
// is no fc-match to ask.
QString EmojiFontFile() {
  const QString chosen = qEnvironmentVariable("PIKORAMA_STAMP_FONT");
  if (!chosen.isEmpty()) return chosen;
  QProcess match;
  match.start(QStringLiteral("fc-match"), {QStringLiteral("-f"), QStringLiteral("%{file}"),
                                           QStringLiteral("Noto Color Emoji")});
  if (match.waitForFinished(3000) && match.exitCode() == 0) {
    const QString file = QString::fromLocal8Bit(match.readAllStandardOutput()).trimmed();
    // fc-match names some other font when the emoji font is not installed.
    if (file.contains(QStringLiteral("ColorEmoji"), Qt::CaseInsensitive)) return file;
  }
  return QStringLiteral("/usr/share/fonts/truetype/noto/NotoColorEmoji.ttf");
}

}  // namespace

std::span<const StampCategory> StampCategories() { return kCategories; }

int StampCount() {
  int n = 0;
  for (const StampCategory& category : kCategories) n += int(category.stamps.size());
  return n;
}

QString StampFontFamily() {
  // Loaded once for each file asked for; the lookup is made on first use.
  static QHash<QString, QString> loaded;
  const QString file = EmojiFontFile();
  if (const auto found = loaded.constFind(file); found != loaded.constEnd()) return *found;
  QString family;
  if (QFile::exists(file)) {
    const int id = QFontDatabase::addApplicationFont(file);
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    if (!families.isEmpty()) family = families.first();
  }
  loaded.insert(file, family);
  return family;
}

QImage RenderStamp(const Stamp& stamp, int size, bool mirrored) {
  const QString family = StampFontFamily();
  if (family.isEmpty() || size <= 0) return {};
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font(family);
    // The font's pictures are square and a little narrower than the line.
    font.setPixelSize(qMax(1, size * 4 / 5));
    font.setStyleStrategy(QFont::NoFontMerging);
    painter.setFont(font);
    painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QString::fromUtf8(stamp.text));
  }
  if (mirrored) image = image.mirrored(true, false);
  return image.convertToFormat(QImage::Format_ARGB32);
}
