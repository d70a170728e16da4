// Outlook's toolbar settings of one profile: the permanent command bars (name,
// position, visibility), which every explorer window of the profile starts
// with and which outlive a run of Outlook. Kept in a small text file in the
// profile folder, "CommandBars.txt", rewritten whole at every change:
//
//   ; command bars of an Outlook stand-in profile
//   bar=1,1,Quarro
//
// one "bar=" line per bar with its position (MsoBarPosition), 1 when visible
// or 0, and its name (UTF-8; "\" is written "\\", line breaks "\r" and "\n").
// Lines starting with ";" and empty lines are ignored. Controls are not kept:
// the stand-in's controls last for their window's life, temporary or not.
#pragma once

#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "host/String.h"

namespace ostrel::standin {

// MsoBarPosition: msoBarLeft (0) to msoBarPopup (5), a shortcut menu;
// msoBarMenuBar (6) is the Macintosh's only.
inline constexpr int kMsoBarPopup = 5;

struct SavedBar {
  String name;
  int position = 0;
  bool visible = false;

  bool operator==(const SavedBar&) const = default;
};

// Bar names as Office compares them in CommandBars.Item: ASCII letters
// without regard to case, everything else exactly.
bool SameBarName(const String& a, const String& b);

// The settings file's text for these bars, and back. Parsing raises
// host::HostError naming the line for a damaged file (an unknown line, a bad
// number, an empty or repeated name).
std::string FormatSavedBars(const std::vector<SavedBar>& bars);
std::vector<SavedBar> ParseSavedBars(const std::string& text, const std::string& fileName);

class ToolbarProfile {
 public:
  // An empty folder keeps the settings in memory only (for the life of this
  // object). Otherwise reads the folder's settings file when there is one:
  // host::HostError when it cannot be read or is damaged; it is left as it is.
  ToolbarProfile(host::FileSystem& files, const String& folder);

  const std::vector<SavedBar>& Bars() const { return bars_; }

  // Adds the bar, or replaces the one of the same name. The file is written
  // first (the folder made when missing; its parent must exist); when that
  // fails host::HostError is raised and the settings stay as they were.
  void Keep(const SavedBar& bar);

  // The settings file; empty for settings in memory.
  const String& FilePath() const { return path_; }

 private:
  host::FileSystem* files_;
  String folder_;
  String path_;
  std::vector<SavedBar> bars_;
};

}  // namespace ostrel::standin
