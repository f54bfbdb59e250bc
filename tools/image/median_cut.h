// Reduces the colours of a picture to a palette of a given size by median cut: the set of colours is cut
// in two at the median of its widest channel, again and again, and each part becomes its mean colour.
#pragma once

#include <vector>

#include "tools/files/png_file.h"

namespace tools {

// At most `count` colours (1 or more) that stand for `colours`; exactly the distinct colours when there
// are no more than `count` of them.
std::vector<Rgb888> median_cut_palette(const std::vector<Rgb888>& colours, int count);

// The index of the palette entry nearest to `c` (squared distance), among entries `first` to the end.
int nearest_entry(const std::vector<Rgb888>& palette, Rgb888 c, int first = 0);

// How many different colours there are.
std::size_t distinct_colour_count(const std::vector<Rgb888>& colours);

}  // namespace tools
