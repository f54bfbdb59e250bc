// The default tune, section by section. Every section is four bars of sixteen rows (a row is a sixteenth
// note) and one pattern, played once in order:
//
//   0 intro     pads alone, fading in; the plucked arpeggio creeps in
//   1 intro     soft kicks, held bass, the arpeggio in full
//   2 build     four-to-the-floor, off-beat bass and hats         (the song restarts here)
//   3 build     snare, driving bass, a noise riser and a retriggered snare roll
//   4-5 theme A the lead's main melody over Am F C G / Am F C E, ending in a tom fill
//   6-7 theme B a syncopated answer over F G Em Am / Dm G E E, chip arpeggios, the bass dives out
//   8 break     no drums: swung hats, the bell's slow melody over Fmaj7 Em7 Dm7 E
//   9 break     soft kicks return; a riser and a snare roll lead back in. The roll's last half bar is
//               a pattern of 8 rows of its own that loops once: a loop that starts on a pattern's first
//               row ends the same way in every player, while trackers disagree on where the next pattern
//               starts after a loop further down.
//   10-13 return themes A and B again, with the bell's counter-melody below the lead
//   14 climax   a new running lead riff while the bell takes over the main melody
//   15 outro    three quiet bars, a pattern of 48 rows; then the song goes on at the build
#include "tools/assets/music_score.h"

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/assets/music_instruments.h"
#include "tools/assets/music_track.h"

namespace tools::assets {
namespace {

constexpr int rows_per_bar = 16;
constexpr int channel_count = 18;

// Channels.
constexpr int ch_kick = 0, ch_snare = 1, ch_hats = 2, ch_bass = 3, ch_pluck = 4, ch_chip = 5;
constexpr int ch_lead_a = 6, ch_lead_b = 7, ch_bell_a = 8, ch_bell_b = 9, ch_pad_first = 10;
constexpr int ch_riser = 16, ch_crash = 17;

enum Section {
  intro_1,
  intro_2,
  build_1,
  build_2,
  theme_a1,
  theme_a2,
  theme_b1,
  theme_b2,
  break_1,
  break_2,
  return_a1,
  return_a2,
  return_b1,
  return_b2,
  climax,
  outro,
  section_count
};
constexpr int restart_section = build_1;
constexpr int rows_per_section = 64;
constexpr int outro_rows = 48;
constexpr int looped_roll_rows = 8;

int row_of(int section, int bar = 0, int row = 0) { return section * rows_per_section + bar * rows_per_bar + row; }

// Pattern lengths: one pattern a section, but the break's looped roll is a pattern of its own and the
// outro is three bars long.
std::vector<int> pattern_lengths() {
  std::vector<int> lengths;
  for (int s = 0; s < section_count; ++s) {
    if (s == break_2) {
      lengths.push_back(rows_per_section - looped_roll_rows);
      lengths.push_back(looped_roll_rows);
    } else {
      lengths.push_back(s == outro ? outro_rows : rows_per_section);
    }
  }
  return lengths;
}

struct Chord {
  int bass;                    // the root in the bass octave
  std::array<int, 3> voicing;  // the pad's three notes
  std::uint8_t arpeggio;       // the arpeggio effect that spells it from its root
};

Chord chord(const std::string& name) {
  struct Named {
    const char* name;
    const char* root;
    std::array<const char*, 3> voicing;
    std::uint8_t arpeggio;
  };
  static const Named chords[] = {
      {"Am", "A2", {"A3", "C4", "E4"}, 0x37},  {"F", "F2", {"A3", "C4", "F4"}, 0x47},
      {"C", "C3", {"G3", "C4", "E4"}, 0x47},   {"G", "G2", {"G3", "B3", "D4"}, 0x47},
      {"E", "E2", {"G#3", "B3", "E4"}, 0x47},  {"Dm", "D3", {"A3", "D4", "F4"}, 0x37},
      {"Em", "E2", {"G3", "B3", "E4"}, 0x37},  {"Fmaj7", "F2", {"A3", "C4", "E4"}, 0x4B},
      {"Em7", "E2", {"G3", "B3", "D4"}, 0x3A}, {"Dm7", "D3", {"A3", "C4", "F4"}, 0x3A},
  };
  for (const Named& c : chords) {
    if (name == c.name) {
      return {key_of(c.root), {key_of(c.voicing[0]), key_of(c.voicing[1]), key_of(c.voicing[2])}, c.arpeggio};
    }
  }
  throw std::invalid_argument("no such chord: " + name);
}

using Progression = std::array<const char*, 4>;

Progression progression_of(int section) {
  switch (section) {
    case build_2:
    case theme_a2:
    case return_a2:
      return {"Am", "F", "C", "E"};
    case theme_b1:
    case return_b1:
      return {"F", "G", "Em", "Am"};
    case theme_b2:
    case return_b2:
      return {"Dm", "G", "E", "E"};
    case break_1:
      return {"Fmaj7", "Em7", "Dm7", "E"};
    case break_2:
      return {"Fmaj7", "G", "Am", "E"};
    case outro:
      return {"Am", "F", "G", "G"};
    default:
      return {"Am", "F", "C", "G"};
  }
}

// The song's bars: the outro has three.
int bars_of(int section) { return section == outro ? 3 : 4; }

class Composer {
 public:
  Composer()
      : track_(section_count * rows_per_section, channel_count),
        pads_(track_,
              {ch_pad_first, ch_pad_first + 1, ch_pad_first + 2, ch_pad_first + 3, ch_pad_first + 4, ch_pad_first + 5},
              ins_pad, 8),
        bass_(track_, {ch_bass}, ins_bass, 1),
        pluck_(track_, {ch_pluck}, ins_pluck, 0),
        lead_(track_, {ch_lead_a, ch_lead_b}, ins_lead, 2),
        bell_(track_, {ch_bell_a, ch_bell_b}, ins_bell, 2),
        riser_(track_, {ch_riser}, ins_riser, 1),
        crash_(track_, {ch_crash}, ins_crash, 0) {
    pads_.pan_channels({40, 128, 216, 72, 128, 184});
    lead_.pan_channels({100, 156});
    bell_.pan_channels({56, 200});
  }

  Track compose() {
    for (int s = 0; s < section_count; ++s) {
      harmony(s);
      drums(s);
      melodies(s);
    }
    return track_;
  }

 private:
  // Pads, bass and arpeggios follow the chords.
  void harmony(int section) {
    const Progression chords = progression_of(section);
    for (int bar = 0; bar < bars_of(section); ++bar) {
      const Chord c = chord(chords[bar]);
      pad_chord(section, bar, c);
      bass_bar(section, bar, c);
      if (uses_chip(section)) {
        chip_bar(section, bar, c);
      } else if (section != intro_1 || bar >= 2) {
        pluck_bar(section, bar, c);
      }
    }
    if (section == theme_b2) {
      // The bass dives out of the theme into the break.
      for (int row = 2; row < 14; ++row) track_.effect(row_of(section, 3, row), ch_bass, music::effect_porta_down, 0x06);
    }
  }

  void pad_chord(int section, int bar, const Chord& c) {
    const bool last_outro_bar = section == outro && bar == bars_of(outro) - 1;
    const int length = last_outro_bar ? 8 : rows_per_bar;  // silent again before the song goes on at the build
    const bool fading_in = section == intro_1 && bar == 0;
    for (int voice = 0; voice < 3; ++voice) {
      Note note;
      note.row = row_of(section, bar);
      note.length = length;
      note.key = c.voicing[voice];
      note.volume = fading_in ? 6 : section == break_1 ? 36 : -1;
      pads_.play(note);
    }
    if (fading_in) {
      for (int row = 1; row < 8; ++row) {
        for (int ch = ch_pad_first; ch < ch_pad_first + 3; ++ch) track_.effect(row, ch, music::effect_volume_slide, 0x10);
      }
    }
  }

  void bass_bar(int section, int bar, const Chord& c) {
    const int start = row_of(section, bar);
    switch (section) {
      case intro_1:
      case outro:
        return;
      case intro_2:
      case break_1:
        bass_.play({start, 14, c.bass, -1});
        return;
      case break_2:
        if (bar < 2) {
          bass_.play({start, 14, c.bass, -1});
          return;
        }
        [[fallthrough]];
      case build_1:
        for (int row = 2; row < rows_per_bar; row += 4) bass_.play({start + row, 1, c.bass, -1});
        return;
      default:
        if (section == theme_b2 && bar == 3) {
          bass_.play({start, 14, c.bass, -1});
          return;
        }
        // Eighths, leaping to the octave on the off-beats that lead into the next beat.
        static const int octave_leaps[8] = {0, 0, 12, 0, 0, 12, 0, 12};
        for (int step = 0; step < 8; ++step) bass_.play({start + 2 * step, 1, c.bass + octave_leaps[step], -1});
    }
  }

  static bool uses_chip(int section) {
    return section == theme_b1 || section == theme_b2 || section == break_1 || section == break_2 ||
           section == return_b1 || section == return_b2;
  }

  // The chord held as a chip arpeggio; a change of chord moves the held note by a tone portamento in
  // the volume column, which sets the new pitch without restarting the sample.
  void chip_bar(int section, int bar, const Chord& c) {
    const int start = row_of(section, bar);
    const int key = c.bass + 24;
    const bool first = !uses_chip(section - 1) && bar == 0;
    if (first) {
      track_.note(start, ch_chip, key, ins_chip);
    } else {
      track_.note(start, ch_chip, key, 0, vol_tone_porta(15));
    }
    for (int row = 0; row < rows_per_bar; ++row) track_.effect(start + row, ch_chip, music::effect_arpeggio, c.arpeggio);
    const bool last = !uses_chip(section + 1) && bar == bars_of(section) - 1;
    if (last) track_.key_off(start + rows_per_bar - 1, ch_chip);
  }

  // Sixteenth notes rolling up through the chord over two octaves, swept across the stereo field.
  void pluck_bar(int section, int bar, const Chord& c) {
    static const int rolling_up[rows_per_bar] = {0, 1, 2, 3, 1, 2, 3, 4, 2, 3, 4, 5, 3, 4, 5, 4};
    static const int falling[rows_per_bar] = {5, 4, 3, 2, 4, 3, 2, 1, 3, 2, 1, 0, 2, 1, 0, 1};
    const int* order = section == climax || section == return_a2 ? falling : rolling_up;
    for (int row = 0; row < rows_per_bar; ++row) {
      const int tone = order[row];
      const int key = c.voicing[tone % 3] + 12 * (1 + tone / 3);
      int volume = row % 4 == 0 ? 40 : 26;
      if (section == intro_1) volume = volume * (row + 16 * (bar - 2)) / 40 + 4;
      if (section == outro && bar == 2) volume = volume * (rows_per_bar - row) / rows_per_bar;
      const int sweep = (row < 8 ? row : rows_per_bar - row) * 20;
      pluck_.play({row_of(section, bar, row), 1, key, volume, 48 + sweep});
    }
  }

  void drums(int section) {
    const int first = row_of(section);
    const bool full = section == theme_a1 || section == theme_a2 || section == theme_b1 || section == theme_b2 ||
                      section == return_a1 || section == return_a2 || section == return_b1 || section == return_b2 ||
                      section == climax;
    if (section == build_1 || section == theme_a1 || section == theme_b1 || section == break_1 ||
        section == return_a1 || section == return_b1 || section == climax) {
      crash_.play({first, 16, key_of("C4"), -1});
    }
    for (int bar = 0; bar < bars_of(section); ++bar) {
      const int start = row_of(section, bar);
      switch (section) {
        case intro_2:
        case outro:
          if (section == outro && bar == 2) break;
          soft_kicks(start);
          break;
        case break_1:
          swung_hats(start);
          break;
        case break_2:
          soft_kicks(start);
          if (bar >= 2) offbeat_hats(start);
          break;
        case build_1:
          four_kicks(start);
          offbeat_hats(start);
          break;
        case build_2:
          four_kicks(start);
          offbeat_hats(start);
          if (bar < 3) backbeat(start);
          break;
        default:
          if (!full) break;
          four_kicks(start);
          backbeat(start);
          sixteenth_hats(start);
      }
    }
    if (section == build_2) snare_roll(row_of(section, 3), 0x00);
    if (section == break_2) looped_snare_roll(row_of(section + 1) - looped_roll_rows);
    if (section == theme_a2 || section == return_a2) tom_fill(row_of(section, 3, 8));
    if (section == theme_b2 || section == return_b2) stutter_hats(row_of(section, 3, 12));
  }

  void four_kicks(int start) {
    for (int row = 0; row < rows_per_bar; row += 4) track_.note(start + row, ch_kick, key_of("C4"), ins_kick);
  }

  // The kick from its offset: the body without the click, quieter, on the half notes.
  void soft_kicks(int start) {
    for (int row = 0; row < rows_per_bar; row += 8) {
      track_.note(start + row, ch_kick, key_of("C4"), ins_kick, vol_set(40));
      track_.effect(start + row, ch_kick, music::effect_sample_offset, soft_kick_offset);
    }
  }

  void backbeat(int start) {
    track_.note(start + 4, ch_snare, key_of("C4"), ins_snare);
    track_.note(start + 12, ch_snare, key_of("C4"), ins_snare);
  }

  void offbeat_hats(int start) {
    for (int row = 2; row < rows_per_bar; row += 4)
      track_.note(start + row, ch_hats, key_of("C4"), ins_hats, vol_set(36));
  }

  // Closed hats on every sixteenth with the open hat on the off-beat.
  void sixteenth_hats(int start) {
    for (int row = 0; row < rows_per_bar; ++row) {
      const bool open = row % 4 == 2;
      track_.note(start + row, ch_hats, open ? open_hat_key : key_of("C4"), ins_hats,
                  vol_set(open           ? 34
                          : row % 2 == 0 ? 30
                                         : 18));
    }
  }

  // Eighth-note hats, every second one held back by two ticks for a shuffle.
  void swung_hats(int start) {
    for (int row = 0; row < rows_per_bar; row += 2) {
      track_.note(start + row, ch_hats, key_of("C4"), ins_hats, vol_set(row % 4 == 0 ? 24 : 16));
      if (row % 4 == 2) track_.effect(start + row, ch_hats, music::effect_extended, ex_note_delay | 2);
    }
  }

  // A snare on every sixteenth, growing louder, doubled by the retrig effect over the last half bar.
  void snare_roll(int start, std::uint8_t retrig_volume) {
    for (int row = 0; row < rows_per_bar; ++row) {
      track_.note(start + row, ch_snare, key_of("C4"), ins_snare, vol_set(16 + row * 3));
      if (row >= 8) track_.effect(start + row, ch_snare, music::effect_multi_retrig, static_cast<std::uint8_t>(retrig_volume | 3));
    }
  }

  // Half a bar of retriggered snare, played twice by a pattern loop, each hit a little louder.
  void looped_snare_roll(int start) {
    for (int row = 0; row < 8; ++row) {
      track_.note(start + row, ch_snare, key_of("C4"), ins_snare, vol_set(20 + row * 4));
      track_.effect(start + row, ch_snare, music::effect_multi_retrig, 0x92);
    }
    track_.effect(start, ch_crash, music::effect_extended, ex_pattern_loop | 0);
    track_.effect(start + 7, ch_crash, music::effect_extended, ex_pattern_loop | 1);
  }

  // The kick pitched up into toms, falling over the last half bar, with a flam on the snare. The toms
  // take the crash and riser channels, free in these sections, so that each rings out before the next.
  void tom_fill(int start) {
    struct Tom {
      int row;
      int channel;
      const char* pitch;
    };
    for (const Tom& tom :
         {Tom{1, ch_crash, "G4"}, Tom{3, ch_riser, "E4"}, Tom{4, ch_crash, "C4"}, Tom{6, ch_riser, "A3"}}) {
      track_.note(start + tom.row, tom.channel, key_of(tom.pitch), ins_kick, vol_set(44));
    }
    track_.note(start + 7, ch_snare, key_of("C4"), ins_snare, vol_set(30));
    track_.effect(start + 7, ch_snare, music::effect_extended, ex_note_delay | 3);
  }

  // The closed hat retriggered every three ticks: a stutter into the next section.
  void stutter_hats(int start) {
    for (int row = 0; row < 4; ++row) track_.effect(start + row, ch_hats, music::effect_extended, ex_retrigger | 3);
  }

  void melodies(int section) {
    const int start = row_of(section);
    switch (section) {
      case build_2:
        riser(row_of(section, 2), 30);
        break;
      case break_2:
        riser(row_of(section, 2), 24);
        break;
      default:
        break;
    }
    lead_.play_line(start, lead_line(section));
    // Below the lead the bell is a counter-line and stays in the background.
    const bool under_lead = !lead_line(section).empty();
    bell_.play_line(start, bell_line(section), under_lead ? 26 : -1);
  }

  // Noise climbing by portamento and drifting from left to right while its envelope swells.
  void riser(int start, int length) {
    riser_.play({start, length, key_of("C3"), -1, 40});
    for (int row = 1; row < length; ++row) {
      track_.effect(start + row, ch_riser, music::effect_porta_up, 0x02);
      track_.at(start + row, ch_riser).volume = vol_pan_right(1);
    }
  }

  static std::string lead_line(int section) {
    static const std::string theme_a1_line =
        "E5:4 A5:2 G5:2 E5:4 C5:2 D5:2  C5:6 A4:2 C5:2 D5:2 E5:4  G5:4 E5:2 C5:2 G4:4 C5:2 E5:2  D5:10v B4:2 D5:4";
    static const std::string theme_a2_line =
        "E5:4 A5:2 B5:2 C6:4 B5:2 A5:2  A5:6 F5:2 A5:2 C6:2 A5:4  G5:4 E5:2 G5:2 C6:4 B5:2 G5:2  G#5:8v B5:4 ~G#5:4";
    static const std::string theme_b1_line =
        "C6:3 A5:3 F5:2 A5:4 C6:4  D6:3 B5:3 G5:2 B5:4 D6:2 ~E6:2  E6:6v D6:2 B5:4 G5:4  A5:12v -:4";
    static const std::string theme_b2_line =
        "F5:3 A5:3 D6:2 C6:4 A5:4  B5:3 D6:3 G6:2 F6:4 D6:4  E6:4 D6:2 B5:2 G#5:4 B5:4  E6:12v -:4";
    switch (section) {
      case theme_a1:
      case return_a1:
        return theme_a1_line;
      case theme_a2:
      case return_a2:
        return theme_a2_line;
      case theme_b1:
      case return_b1:
        return theme_b1_line;
      case theme_b2:
      case return_b2:
        return theme_b2_line;
      case climax:
        return "A5:2 C6:2 E6:2 A5:2 C6:2 E6:2 D6:2 C6:2  A5:2 C6:2 F6:2 A5:2 C6:2 F6:2 E6:2 C6:2 "
               "G5:2 C6:2 E6:2 G5:2 C6:2 E6:2 G6:2 E6:2  D6:4 B5:4 G5:4 D6:4";
      default:
        return "";
    }
  }

  static std::string bell_line(int section) {
    switch (section) {
      case break_1:
        return "E5:6 G5:4 A5:6  G5:8 E5:4 D5:4  F5:6 E5:4 D5:6  E5:8 -:8";
      case break_2:
        return "C6:6 A5:4 G5:6  B5:8 G5:4 D5:4  C5:6 E5:4 A5:6  G#5:8 -:8";
      case return_a1:
        return "C5:8 E5:8 C5:8 A4:8 E5:8 G5:8 D5:8 B4:8";
      case return_a2:
        return "C5:8 E5:8 C5:8 A4:8 E5:8 G5:8 B4:8 G#4:8";
      case return_b1:
        return "A4:8 C5:8 B4:8 D5:8 G4:8 B4:8 C5:8 E5:8";
      case return_b2:
        return "A4:8 F4:8 B4:8 D5:8 G#4:8 B4:8 E5:16";
      case climax:
        return lead_line(theme_a1);
      case outro:
        return "E5:4 A5:2 G5:2 E5:8  C5:6 A4:2 C5:8  D5:12";
      default:
        return "";
    }
  }

  Track track_;
  Part pads_, bass_, pluck_, lead_, bell_, riser_, crash_;
};

}  // namespace

music::XmSong make_tune() {
  music::XmSong song;
  song.name = "ZARN - Emberline";
  song.channel_count = channel_count;
  song.restart_position = restart_section;
  song.flags = music::flag_linear_periods;
  song.default_speed = 6;
  song.default_bpm = 128;
  song.patterns = Composer().compose().patterns(pattern_lengths());
  for (std::size_t p = 0; p < song.patterns.size(); ++p) song.orders.push_back(static_cast<std::uint8_t>(p));
  song.instruments = make_tune_instruments();
  return song;
}

}  // namespace tools::assets
