// Bitmap fonts: glyph mapping, clipping to the font's rectangle and to the sheet, transparency, case.
#include <gtest/gtest.h>

#include <vector>

#include "base/frame_geometry.h"
#include "scene/bitmap_font.h"
#include "support/bmp_builder.h"
#include "support/temp_dir.h"

namespace {

constexpr std::uint16_t background = 0xABCD;

// A sheet whose pixel value is its column within a 16-wide cell (0 at the cell's left column, so
// transparent there), except one pixel of value 20 at (3, 1).
std::vector<std::uint8_t> sheet_bmp(int width, int height) {
  std::vector<std::uint8_t> rows(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) rows[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(x % 16);
  }
  rows[1 * width + 3] = 20;
  return test_support::build_bmp({.width = width, .height = -height}, std::vector<std::uint8_t>(1024, 0), rows);
}

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.write("chars.bmp", sheet_bmp(320, 72));
    folder.write("chars2.bmp", sheet_bmp(320, 28));
    scene::create_large_font();
    scene::create_small_font();
    for (int k = 0; k < 16; ++k) colours[k] = static_cast<std::uint16_t>(0x100 + k);
  }
  std::uint16_t& at(int x, int y) { return frame[static_cast<std::size_t>(y) * base::frame_width + x]; }
  // Columns of row `y` that the draw changed.
  std::vector<int> written_columns(int y) {
    std::vector<int> columns;
    for (int x = 0; x < base::frame_width; ++x) {
      if (at(x, y) != background) columns.push_back(x);
    }
    return columns;
  }
  std::vector<int> range(int from, int to) {
    std::vector<int> out;
    for (int x = from; x < to; ++x) out.push_back(x);
    return out;
  }

  test_support::WorkingFolder folder;
  std::vector<std::uint16_t> frame = std::vector<std::uint16_t>(base::frame_pixel_count, background);
  scene::FontColours colours{};
};

TEST_F(FontTest, LargeFontIsClippedToItsRectangle) {
  struct Case {
    int x, y;
    int first_column, end_column;  // written columns of the glyph's row 2, end exclusive
  };
  const Case cases[] = {
      {100, 0, 101, 116},  // a whole glyph: its cell's column 0 is transparent
      {0, 0, 7, 16},       // the clip's left edge at 7 shows the glyph's columns 7..15
      {630, 0, 631, 635},  // the right edge at 635 keeps the first 5 columns (the first is transparent)
      {-16, 0, 0, 0},      // wholly left of the frame
      {635, 0, 0, 0},      // at the clip's right edge
  };
  for (const Case& c : cases) {
    std::fill(frame.begin(), frame.end(), background);
    scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, 'a', c.x, c.y);
    EXPECT_EQ(written_columns(2), range(c.first_column, c.end_column)) << "x = " << c.x;
  }
  // Clipped at the left, the glyph shows its own right part: destination column 7 has the cell's column 7.
  scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, 'a', 0, 0);
  EXPECT_EQ(at(7, 2), colours[7]);
}

TEST_F(FontTest, GlyphRunningPastTheBottomIsCut) {
  scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, 'b', 100, 470);
  EXPECT_EQ(at(101, 479), colours[1]);
  scene::large_font.set_clip(7, 0, 635, 475);
  std::fill(frame.begin(), frame.end(), background);
  scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, 'b', 100, 470);
  EXPECT_EQ(written_columns(474).size(), 15u);
  EXPECT_TRUE(written_columns(475).empty());
}

TEST_F(FontTest, ZeroIsTransparentAndValuesAboveFifteenDrawBlack) {
  scene::small_font.draw_glyph(frame.data(), scene::small_font_colours, base::frame_width, 'a', 40, 50);
  EXPECT_EQ(at(40, 52), background);  // value 0 leaves the pixel beneath it
  EXPECT_EQ(at(43, 51), 0x0000);       // value 20 is black with the font's own table
  EXPECT_EQ(at(41, 52), scene::small_font_colours[1]);
}

TEST_F(FontTest, CasesLookAlikeAndLineFeedsAreNothing) {
  for (const scene::BitmapFont* font : {&scene::large_font, &scene::small_font}) {
    std::vector<std::uint16_t> lower(base::frame_pixel_count, background);
    std::vector<std::uint16_t> upper(base::frame_pixel_count, background);
    font->draw_text(lower.data(), colours, base::frame_width, "abc xyz", 20, 20);
    font->draw_text(upper.data(), colours, base::frame_width, "ABC\nXYZ\n", 20, 20);
    EXPECT_NE(lower, std::vector<std::uint16_t>(base::frame_pixel_count, background));
    EXPECT_NE(lower, upper);  // the line feed is not a space
    std::fill(upper.begin(), upper.end(), background);
    font->draw_text(upper.data(), colours, base::frame_width, "ABC \nXYZ\n", 20, 20);
    EXPECT_EQ(lower, upper);
  }
  EXPECT_EQ(scene::large_font.text_width("Ab c\n\t~"), 4 * 16);
  EXPECT_EQ(scene::small_font.text_width("zarn 2026!\"#"), 12 * 8);
}

TEST_F(FontTest, TextToEdgeStopsAfterTheGlyphThatCrossesTheRightEdge) {
  // The small font's clip ends at 640: "ab" from 625 puts 'b' at 633..640, and the pen at 641 stops it.
  scene::small_font.draw_text_to_edge(frame.data(), colours, base::frame_width, "ab", 625, 0);
  EXPECT_EQ(written_columns(2), range(626, 640));
  EXPECT_EQ(at(634, 2), colours[9]);
  EXPECT_EQ(at(639, 2), colours[14]);

  // A glyph mapped with a negative width moves the pen back: only draw_text, which never stops, shows
  // the glyph after it.
  scene::small_font.set_glyph('<', 0, 0, -200, 14);
  std::vector<std::uint16_t> to_edge(base::frame_pixel_count, background);
  std::vector<std::uint16_t> whole(base::frame_pixel_count, background);
  scene::small_font.draw_text_to_edge(to_edge.data(), colours, base::frame_width, "ab<a", 625, 0);
  scene::small_font.draw_text(whole.data(), colours, base::frame_width, "ab<a", 625, 0);
  EXPECT_EQ(to_edge[2 * base::frame_width + 442], background);
  EXPECT_EQ(whole[2 * base::frame_width + 442], colours[1]);
}

TEST_F(FontTest, MissingSheetOrCellsOffTheSheetDrawOnlyWhatExists) {
  // A cell reaching 6 columns past the sheet's right edge draws its 10 columns on the sheet.
  scene::large_font.set_glyph('#', 310, 0, 16, 24);
  scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, '#', 100, 0);
  EXPECT_EQ(written_columns(2), range(100, 110));
  // Cells wholly off the sheet, far out or at negative positions, draw nothing.
  std::fill(frame.begin(), frame.end(), background);
  scene::large_font.set_glyph('#', -1000000, 2000000000, 16, 24);
  scene::large_font.draw_glyph(frame.data(), colours, base::frame_width, '#', 100, 0);
  EXPECT_EQ(frame, std::vector<std::uint16_t>(base::frame_pixel_count, background));

  const scene::BitmapFont missing("no-such-sheet.bmp");
  EXPECT_TRUE(missing.sheet().empty());
  missing.draw_text(frame.data(), colours, base::frame_width, "abc", 100, 0);
  EXPECT_EQ(frame, std::vector<std::uint16_t>(base::frame_pixel_count, background));
}

}  // namespace
