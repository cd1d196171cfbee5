// The widgets' own arithmetic: the slider's value and position, the button's cell table, the
// selection window's rows; and the selection and widget functions as scripts call them.
#include <gtest/gtest.h>

#include <string>

#include "WindowWorld.h"
#include "platform/Encoding.h"
#include "window/C_ButtonLayer.h"
#include "window/C_CheckButtonLayer.h"
#include "window/C_SelWindowLayer.h"
#include "window/C_SlideLayer.h"

namespace {

using windowtest::WindowWorld;

// ---- Slider -------------------------------------------------------------------------------------

TEST(Slider, StartValueIsClampedAndAnEmptyRangeStaysAtTheStart) {
  struct Case {
    int32_t min, max, init;
    float position;
    int32_t value;
  };
  const Case cases[] = {
      {0, 10, 15, 1.0f, 10},                               // above the range: the end
      {0, 10, -4, 0.0f, 0},                                // below: the start
      {0, 10, 5, 0.5f, 5},                                 //
      {-50, 50, 0, 0.5f, 0},                               // a range through zero
      {7, 7, 9, 0.0f, 7},                                  // one value: position 0, reports min
      {9, 3, 5, 0.0f, 9},                                  // min above max: as one value
      {INT32_MIN, INT32_MAX, INT32_MAX, 1.0f, INT32_MAX},  // the widest range does not overflow
  };
  for (const Case& c : cases) {
    window::C_SlideLayer slider;
    slider.setSlideData(16.0f, 32.0f, c.min, c.max, false, c.init);
    EXPECT_EQ(slider.position, c.position) << c.min << ".." << c.max << " init " << c.init;
    EXPECT_EQ(slider.getValue(), c.value) << c.min << ".." << c.max << " init " << c.init;
    EXPECT_EQ(slider.takeResult(), c.value);
  }
}

TEST(Slider, SetValueClampsAndGivesEveryValueBack) {
  window::C_SlideLayer slider;
  slider.setSlideData(16.0f, 32.0f, 0, 10, false, 15);
  slider.setValue(-3);
  EXPECT_EQ(slider.getValue(), 0);
  EXPECT_EQ(slider.position, 0.0f);
  slider.setValue(int64_t(1) << 40);
  EXPECT_EQ(slider.getValue(), 10);
  // The rounded quotient alone gives 52 back for 53 of 0..100 (and 12 for 13 of 0..22): every
  // value of these ranges must come back, or a track click would stay where it was.
  for (int32_t max : {22, 100, 255, 1000}) {
    slider.setSlideData(16.0f, 32.0f, 0, max, false, 0);
    for (int32_t v = 0; v <= max; ++v) {
      slider.setValue(v);
      ASSERT_EQ(slider.getValue(), v) << "range 0.." << max;
      ASSERT_LE(slider.position, 1.0f);
    }
  }
  slider.setSlideData(16.0f, 32.0f, 4, 4, false, 4);
  slider.setValue(100);
  EXPECT_EQ(slider.position, 0.0f);
  EXPECT_EQ(slider.getValue(), 4);
}

TEST(Slider, TrackAndThumbFollowTheRectangleAndTheValue) {
  WindowWorld world;
  window::C_SlideLayer slider;
  // 200 x 40 centred at (100, -50): left 0, right 200, top -70, bottom -30.
  slider.setWindow(window::kind::Slider, 200, 40, 100.0f, -50.0f, false, false);
  slider.setSlideData(20.0f, 40.0f, 0, 4, false, 1);
  EXPECT_EQ(slider.trackStartX, 10.0f);
  EXPECT_EQ(slider.trackEndX, 190.0f);
  EXPECT_EQ(slider.trackStartY, -50.0f);
  EXPECT_EQ(slider.trackEndY, -50.0f);
  const window::ThumbRect thumb = slider.thumbRect();  // centre x = 10 + 180 / 4
  EXPECT_EQ(thumb.left, 45);
  EXPECT_EQ(thumb.right, 65);
  EXPECT_EQ(thumb.top, -70);
  EXPECT_EQ(thumb.bottom, -30);
  EXPECT_EQ(slider.currentPicture().alpha(), 0) << "invisible until opened";
}

// ---- Button cells --------------------------------------------------------------------------------

TEST(ButtonCells, TheCellTableByCellCountAndState) {
  // Rows: cell count 5, 4, 3, 2, 1; columns: states 0 to 4.
  const float table[5][5] = {
      {0.0f, 0.2f, 0.4f, 0.6f, 0.8f},
      {0.0f, 0.25f, 0.5f, 0.75f, 0.75f},
      {0.0f, 1.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f},
      {0.0f, 0.0f, 0.5f, 0.5f, 0.5f},
      {0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
  };
  for (int32_t row = 0; row < 5; ++row)
    for (int32_t state = 0; state < 5; ++state)
      EXPECT_FLOAT_EQ(window::ButtonCellOffset(5 - row, state), table[row][state])
          << 5 - row << " cells, state " << state;
  EXPECT_EQ(window::CheckButtonCellOffset(0), 0.0f);
  EXPECT_EQ(window::CheckButtonCellOffset(1), 0.25f);
  EXPECT_EQ(window::CheckButtonCellOffset(2), 0.5f);
}

TEST(ButtonCells, CellCountFromThePictureName) {
  const std::pair<const char*, int32_t> names[] = {
      {"btn.png", 5},    {"btn_sep1.png", 1},   {"btn_sep2.png", 2}, {"a_sep3.png", 3},
      {"a_sep4.png", 4}, {"a_sep5.png", 5},     {"a_sep0.png", 5},   {"a_sepx.png", 5},
      {"a_sep", 5},      {"_sep2_sep4.png", 2}, {"a_SEP2.png", 5},   {"", 5},
  };
  for (const auto& [name, cells] : names) EXPECT_EQ(window::ButtonCellCount(name), cells) << name;
  EXPECT_EQ(window::ButtonCellCount(nullptr), 5);
}

// ---- Selection rows ------------------------------------------------------------------------------

TEST(SelectionWindow, RowsHaveTheFontsHeightAndTheUpperRowOwnsTheBoundary) {
  WindowWorld world;
  window::C_SelWindowLayer sel;
  sel.setPicture("frame.png", nullptr, false);
  sel.setWindow(window::kind::Select, 500, 160, 0.0f, 0.0f, false, false);
  // Size 26 and margin 2: three rows need exactly 84.
  sel.setTextArea(20.0f, 20.0f, 480.0f, 104.0f);
  sel.setFont(0, 26, platform::utf8ToCp932("ＭＳ ゴシック").c_str(), 400);
  sel.setActive(true);
  sel.setText("a\nb\nc", true);
  EXPECT_EQ(sel.choiceCount, 3);
  EXPECT_FALSE(sel.active) << "a new text makes the window inactive";
  EXPECT_TRUE(world.boxes().empty());
  // The area spans x -230..230 and y -60..24; rows are 28 high.
  struct Probe {
    int32_t x, y, row;
  };
  const Probe probes[] = {{0, -60, 0}, {0, -32, 0},  {0, -31, 1},  {0, -4, 1},  {0, -3, 2},   {0, 24, 2},
                          {0, 25, -1}, {0, -61, -1}, {-230, 0, 2}, {230, 0, 2}, {231, 0, -1}, {-231, 0, -1}};
  for (const Probe& p : probes) EXPECT_EQ(sel.rowAt(p.x, p.y), p.row) << p.x << ", " << p.y;

  sel.setText("", true);
  EXPECT_EQ(sel.choiceCount, 0);
  EXPECT_EQ(sel.rowAt(0, -50), -1);

  sel.setTextArea(20.0f, 20.0f, 480.0f, 103.0f);
  sel.setText("a\nb\nc", true);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "ERROR | 選択肢の数が、選択肢描画領域をオーバー");
  EXPECT_EQ(sel.rowAt(0, -3), 2) << "an overfull window still works";
}

}  // namespace
