#pragma once
// The program's shared variables: every window and shared procedure reads
// and writes these. Arrays keep their fixed index ranges (names 1..100,
// cards 1..30, palette 0..128); index 0 of the name arrays is unused.
// Colours are 32-bit values with red in the low byte (0x00BBGGRR).

#include <QString>
#include <array>
#include <cstdint>

struct AppState {
  // Storage and story state.
  QString AppFolder;
  QString BaseFolder = QStringLiteral("C:\\A_PIKORA\\");
  QString StoryFolder;
  std::array<QString, 31> ClassNames;
  std::array<QString, 101> StoryNames;
  int16_t StoryCount = 0;
  int16_t CurrentStoryIndex = 0;
  QString CurrentStoryName;
  QString EnteredName;
  QString NewStoryName;
  QString ExchangeDrive = QStringLiteral("D:\\");
  std::array<QString, 101> ExchangeStoryNames;
  int16_t ExchangeStoryCount = 0;
  int16_t ExchangeLeftIndex = 0;
  int16_t ExchangeRightIndex = 0;
  QString ExchangeLeftName;
  QString ExchangeRightName;
  QString ExchangeLeftFolder;
  QString ExchangeRightFolder;

  // The deck of the current story.
  std::array<int16_t, 31> CardNumbers{};
  int16_t CardCount = 0;
  int16_t CurrentCard = 0;
  QString CardFileBase;
  int16_t CardStripOffset = 0;

  // Picture editor.
  int16_t CanvasOffsetX = 7;
  int16_t CanvasOffsetY = 7;
  int16_t CanvasPanelWidth = 0;
  int16_t CanvasPanelHeight = 0;
  int16_t CurrentTool = 0;
  int16_t PenWidth = 1;
  int16_t PenColorIndex = 0;
  int16_t FillColorIndex = 0;
  std::array<int32_t, 129> PaletteColors{};
  int16_t FixMode = 0;
  int16_t SnapStep = 0;
  int16_t ShapeClickCount = 0;
  std::array<float, 11> ShapePointsX{};
  std::array<float, 11> ShapePointsY{};
  int16_t LastPointX = 0;
  int16_t LastPointY = 0;

  // Narration and player.
  int16_t RecordMax = 30000;
  int16_t RecordPosition = 0;
  int16_t PlayerMode = 0;
  int16_t PlayerPhase = 0;
};

// Fills PaletteColors(0..71); entries 72..128 stay 0.
void InitPalette(AppState& s);

// The thirty class names "１年１組" .. "６年５組" into ClassNames(1..30).
void InitClassNames(AppState& s);

// RGB triple of a palette value (red in the low byte).
constexpr int32_t Rgb(int r, int g, int b) { return r | (g << 8) | (b << 16); }

