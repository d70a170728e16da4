// The stand-in's user actions as text: one action per line, as a person types
// them or a script holds them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ostrel::standin {

struct Command {
  std::string verb;               // "click", "type", ...
  std::vector<std::string> args;  // words; for type, the control and the text
};

// Splits a line: the verb, then words separated by spaces. For "type" the text
// is everything after the control name and one space, unescaped. Empty lines
// and lines starting with '#' give nothing. Throws std::invalid_argument for a
// line that names an action without what it needs, or a bad escape.
std::optional<Command> ParseCommand(const std::string& line);

// \t, \n, \s (a space) and \\ in typed text; any other backslash is an error.
std::string Unescape(const std::string& text);

// "optButton(7)" to {"optButton", 7}; "cmdNext" to {"cmdNext", -1}. Nothing for
// a malformed name.
struct ControlName {
  std::string name;
  int index = -1;
};
std::optional<ControlName> ParseControlName(const std::string& text);

}  // namespace ostrel::standin
