// Lines starting with # and blank lines are comments, as in any script.
#include "design/design_file.h"

#include <sstream>
#include <stdexcept>

#include "design/main_window.h"
#include "formats/board_text.h"
#include "formats/words.h"
#include "platform/files/bounded_file.h"

namespace design {

std::string designText(const DesignFile& design, std::string_view savedAt) {
  std::ostringstream out;
  out << "# tessivar design, saved " << savedAt << "\n"
      << "# The lines below are user acts on the main window, as tessivar-script reads them:\n"
      << "# \"model\" and \"board\" choose the impedance model and its board and feed,\n"
      << "# \"type TAG TEXT\" types into an edit box, \"slide TAG VALUE\" moves a slider.\n"
      << "# The controls and what they hold:\n";
  for (const Parameter& p : parameters()) {
    out << "#   " << p.editBox;
    if (!p.slider.empty()) out << " and " << p.slider;
    out << ": " << p.meaning << "\n";
  }
  out << "model " << design.model->name() << "\n"
      << "board " << formats::boardWords(design.board) << "\n";
  for (const Act& a : design.acts) out << line(a) << "\n";
  return out.str();
}

namespace {

// A "model" or "board" line into the design; false when the line is neither.
bool modelLine(std::string_view row, DesignFile& design, std::string& why) {
  std::string_view rest = row;
  const std::string_view command = formats::word(rest);
  if (command == "model") {
    const std::string_view name = formats::strip(rest);
    if (const std::optional<antenna::ImpedanceModel> m = antenna::impedanceModelNamed(name))
      design.model = *m;
    else
      why = "the model is " + antenna::impedanceModelChoices();
    return true;
  }
  if (command != "board") return false;
  try {
    design.board = formats::boardFromWords(rest, design.board);
  } catch (const std::invalid_argument& e) {
    why = e.what();
  }
  return true;
}

}  // namespace

DesignFile parseDesign(std::string_view text, std::string_view path,
                       std::vector<std::size_t>* lines) {
  DesignFile design;
  std::vector<Act>& acts = design.acts;
  std::size_t number = 0;
  while (!text.empty()) {
    ++number;
    const std::size_t end = text.find('\n');
    std::string_view row = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t first = row.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || row[first] == '#') continue;
    std::string why;
    if (modelLine(row, design, why)) {
      if (!why.empty())
        throw std::runtime_error(std::string(path) + " line " + std::to_string(number) + ": " +
                                 why);
      continue;
    }
    auto act = parseAct(row, why);
    if (!act)
      throw std::runtime_error(std::string(path) + " line " + std::to_string(number) + ": " + why);
    acts.push_back(*act);
    if (lines) lines->push_back(number);
  }
  if (acts.empty()) throw std::runtime_error(std::string(path) + " holds no acts of a design");
  return design;
}

DesignFile readDesign(const std::string& path, std::vector<std::size_t>* lines) {
  std::string why;
  const std::optional<std::string> text = rt::readBoundedFile(path, kMaxDesignBytes, why);
  if (!text) throw std::runtime_error("cannot read \"" + path + "\": " + why);
  return parseDesign(*text, path, lines);
}

}  // namespace design
