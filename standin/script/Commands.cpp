#include "script/Commands.h"

#include <cctype>
#include <stdexcept>

namespace ostrel::standin {

namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : text) {
    if (c == ' ' || c == '\t') {
      if (!word.empty())
        words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty())
    words.push_back(std::move(word));
  return words;
}

struct Arity {
  const char* verb;
  std::size_t fewest;  // words after the verb
  std::size_t most;
};
constexpr Arity kArity[] = {
    {"start", 0, 1},          {"quit", 0, 0},           {"open-explorer", 0, 0},
    {"close-explorer", 0, 1}, {"open-inspector", 0, 0}, {"close-inspector", 0, 1},
    {"click", 1, 1},          {"select", 2, 2},         {"tab", 0, 0},
    {"show", 0, 0},           {"answer", 1, 1},         {"help", 0, 0},
    {"switch-folder", 1, 1},  {"close", 0, 0},          {"fail", 1, 1},
    {"clear-failures", 0, 0}, {"disconnect", 0, 0},     {"connect", 0, 0},
    {"objects", 0, 0},
};

std::string WordCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " word" : " words");
}

}  // namespace

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (i + 1 == text.size())
      throw std::invalid_argument("a lone \\ at the end of the text");
    switch (text[++i]) {
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 's':
        out += ' ';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        throw std::invalid_argument(std::string("unknown escape \\") + text[i]);
    }
  }
  return out;
}

std::optional<Command> ParseCommand(const std::string& raw) {
  std::string line = raw;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
    line.pop_back();
  std::size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t'))
    ++start;
  if (start == line.size() || line[start] == '#')
    return std::nullopt;
  line.erase(0, start);

  const std::size_t verbEnd = line.find(' ');
  Command command;
  command.verb = line.substr(0, verbEnd);
  const std::string rest = verbEnd == std::string::npos ? "" : line.substr(verbEnd + 1);

  if (command.verb == "type") {
    // type CONTROL TEXT: the text is the rest of the line after one space.
    std::size_t nameStart = 0;
    while (nameStart < rest.size() && rest[nameStart] == ' ')
      ++nameStart;
    const std::size_t nameEnd = rest.find(' ', nameStart);
    const std::string name = rest.substr(nameStart, nameEnd - nameStart);
    if (name.empty())
      throw std::invalid_argument("type needs a control and a text");
    command.args.push_back(name);
    command.args.push_back(nameEnd == std::string::npos ? "" : Unescape(rest.substr(nameEnd + 1)));
    return command;
  }
  command.args = Words(rest);
  for (const Arity& arity : kArity) {
    if (command.verb != arity.verb)
      continue;
    if (command.args.size() < arity.fewest || command.args.size() > arity.most) {
      throw std::invalid_argument(command.verb + " takes " +
                                  (arity.fewest == arity.most
                                       ? WordCount(arity.most)
                                       : "at most " + WordCount(arity.most)));
    }
    return command;
  }
  throw std::invalid_argument("unknown action \"" + command.verb + "\" (try: help)");
}

std::optional<ControlName> ParseControlName(const std::string& text) {
  const std::size_t open = text.find('(');
  ControlName result;
  result.name = text.substr(0, open);
  if (result.name.empty())
    return std::nullopt;
  for (char c : result.name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
      return std::nullopt;
  if (open == std::string::npos)
    return result;
  if (text.back() != ')' || open + 2 >= text.size())
    return std::nullopt;
  int index = 0;
  for (std::size_t i = open + 1; i + 1 < text.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i])) || index > 10000)
      return std::nullopt;
    index = index * 10 + (text[i] - '0');
  }
  result.index = index;
  return result;
}

}  // namespace ostrel::standin
