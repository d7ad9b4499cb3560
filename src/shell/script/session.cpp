#include "shell/script/session.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/file_output.h"
#include "platform/qt/interaction.h"
#include "platform/qt/renderer.h"
#include "shell/script/json.h"

namespace script {
namespace {

// A line that cannot be carried out; its message goes to the user.
struct BadLine : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// Splits off the first word; `rest` keeps what follows its separating blank.
std::string_view word(std::string_view& rest) {
  rest = trim(rest);
  std::size_t end = rest.find_first_of(" \t");
  std::string_view w = rest.substr(0, end);
  rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  return w;
}

std::string quoted(std::string_view s) {
  return "\"" + std::string(s) + "\"";
}

std::string textOf(double h, std::string_view property) {
  return rt::gfx::prop(h, property).text();
}

// Every object below h (h itself first), hidden ones included.
void descendants(double h, std::vector<double>& out) {
  out.push_back(h);
  for (double c : rt::gfx::children(h)) descendants(c, out);
}

std::vector<double> below(double h) {
  std::vector<double> all;
  descendants(h, all);
  return all;
}

double mainWindow() {
  for (double f : rt::gfx::figures())
    if (textOf(f, "Tag") == "figure1") return f;
  throw BadLine("the main window is not open");
}

// The object of the main window with this tag.
double tagged(std::string_view tag) {
  if (tag.empty()) throw BadLine("a tag is missing");
  if (std::optional<double> h = rt::findByTag(mainWindow(), tag)) return *h;
  throw BadLine("no object of the main window is tagged " + quoted(tag));
}

double control(std::string_view tag, std::string_view style, std::string_view what) {
  double h = tagged(tag);
  if (rt::gfx::type(h) != "uicontrol" || textOf(h, "Style") != style)
    throw BadLine(quoted(tag) + " is not " + std::string(what));
  return h;
}

double number(std::string_view text, std::string_view what) {
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v))
    throw BadLine(std::string(what) + " must be a number, not " + quoted(text));
  return v;
}

// A figure by its number: 1 is the main window, then the others in the
// order they were opened.
double figureNumber(std::string_view text) {
  std::size_t n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  std::vector<double> figs = rt::gfx::figures();
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n == 0)
    throw BadLine("a figure number (1, 2, ...) is needed, not " + quoted(text));
  if (n > figs.size())
    throw BadLine("there is no figure " + std::string(text) + " (" + std::to_string(figs.size()) +
                  " open)");
  // The main window first, the rest in creation order.
  double main = mainWindow();
  std::vector<double> ordered = {main};
  for (double f : figs)
    if (f != main) ordered.push_back(f);
  return ordered[n - 1];
}

// All elements, column by column, as one list.
std::string list(const rt::Array& a) {
  std::string s = "[";
  if (!a.isNull() && a.isNumeric()) {
    for (std::size_t i = 0; i < a.numel(); ++i) {
      if (i) s += ", ";
      s += jsonNumber(a.re()[i], Digits::seventeen);
    }
  }
  return s + "]";
}

// A matrix as a list of its rows.
std::string rows(const rt::Array& a) {
  std::string s = "[";
  if (!a.isNull() && a.isNumeric()) {
    for (std::size_t r = 0; r < a.rows(); ++r) {
      s += r ? ", [" : "[";
      for (std::size_t c = 0; c < a.cols(); ++c) {
        if (c) s += ", ";
        s += jsonNumber(a.re()[c * a.rows() + r], Digits::seventeen);
      }
      s += "]";
    }
  }
  return s + "]";
}

class Player {
 public:
  Player(std::ostream& out, Canvas& canvas) : out_(out), canvas_(canvas) {}

  void line(std::string_view text) {
    std::string_view rest = text;
    std::string_view command = word(rest);
    if (command == "type") {
      std::string_view tag = word(rest);
      double h = control(tag, "edit", "an edit box");
      std::string typed(rest);
      while (!typed.empty() && typed.back() == '\r') typed.pop_back();
      rt::gfx::userAct(h, {{"String", rt::str(typed)}});
    } else if (command == "slide") {
      std::string_view tag = word(rest);
      double h = control(tag, "slider", "a slider");
      double v = number(trim(rest), "the slider position");
      double lo = rt::gfx::prop(h, "Min").scalar(), hi = rt::gfx::prop(h, "Max").scalar();
      if (!(lo <= v && v <= hi)) {
        std::ostringstream range;
        range << quoted(tag) << " moves only from its Min " << jsonNumber(lo) << " to its Max "
              << jsonNumber(hi);
        throw BadLine(range.str());
      }
      rt::gfx::userAct(h, {{"Value", rt::scalar(v)}});
    } else if (command == "get") {
      std::string_view tag = word(rest);
      std::string_view property = word(rest);
      if (property.empty()) throw BadLine("get needs a tag and a property");
      double h = tagged(tag);
      rt::Array value;
      try {
        value = rt::get(rt::gfx::handleArray(h), rt::str(property));
      } catch (const rt::Error& e) {
        throw BadLine(e.what());
      }
      print(json(value));
    } else if (command == "line") {
      std::string_view tag = word(rest);
      double ax = tagged(tag);
      if (rt::gfx::type(ax) != "axes") throw BadLine(quoted(tag) + " is not an axes");
      std::optional<double> newest;
      for (double c : rt::gfx::children(ax))
        if (rt::gfx::type(c) == "line") newest = c;
      if (!newest) {
        print(R"({"x": [], "y": []})");
      } else {
        print("{\"x\": " + list(rt::gfx::prop(*newest, "XData")) +
              ", \"y\": " + list(rt::gfx::prop(*newest, "YData")) + "}");
      }
    } else if (command == "surface") {
      std::string_view n = word(rest);
      std::size_t k = 0;
      auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), k);
      if (n.empty() || ec != std::errc() || end != n.data() + n.size() || k == 0)
        throw BadLine("surface needs a pattern figure number (1, 2, ...), not " + quoted(n));
      double main = mainWindow();
      std::vector<double> patterns;
      for (double f : rt::gfx::figures())
        if (f != main) patterns.push_back(f);
      if (k > patterns.size())
        throw BadLine("the pattern has opened " + std::to_string(patterns.size()) +
                      " figure(s), not " + std::string(n));
      std::optional<double> surface;
      for (double h : below(patterns[k - 1]))
        if (rt::gfx::type(h) == "surface") surface = h;
      if (!surface) throw BadLine("pattern figure " + std::string(n) + " holds no surface");
      print("{\"x\": " + rows(rt::gfx::prop(*surface, "XData")) +
            ", \"y\": " + rows(rt::gfx::prop(*surface, "YData")) +
            ", \"z\": " + rows(rt::gfx::prop(*surface, "ZData")) +
            ", \"c\": " + rows(rt::gfx::prop(*surface, "CData")) + "}");
    } else if (command == "figures") {
      print(std::to_string(rt::gfx::figures().size()));
    } else if (command == "png" || command == "svg") {
      double fig = figureNumber(word(rest));
      std::string path(trim(rest));
      if (path.empty()) throw BadLine(std::string(command) + " needs a figure number and a file");
      bool ok = command == "png" ? canvas_.savePng(fig, path) : canvas_.saveSvg(fig, path);
      if (!ok) throw BadLine("cannot write " + quoted(path));
    } else if (command == "csv") {
      double fig = figureNumber(word(rest));
      std::string path(trim(rest));
      if (path.empty()) throw BadLine("csv needs a figure number and a file");
      std::string failure = rt::qt::writeFile(QString::fromStdString(path),
                                              QByteArray::fromStdString(rt::gfx::figureCsv(fig)));
      if (!failure.empty()) throw BadLine(failure);
    } else if (command == "rotate") {
      std::string_view n = word(rest);
      double fig = figureNumber(n);
      double az = number(word(rest), "the azimuth");
      double el = number(trim(rest), "the elevation");
      std::optional<double> ax;
      for (double c : rt::gfx::children(fig))
        if (rt::gfx::type(c) == "axes" && rt::qt::isThreeD(c)) ax = c;
      if (!ax) throw BadLine("figure " + std::string(n) + " has no 3-D axes");
      rt::qt::rotateTo(*ax, az, el);
    } else {
      throw BadLine("unknown command " + quoted(command));
    }
  }

 private:
  void print(const std::string& s) { out_ << s << '\n' << std::flush; }

  std::ostream& out_;
  Canvas& canvas_;
};

}  // namespace

int play(std::istream& in, std::ostream& out, std::ostream& err, Canvas& canvas) {
  Player player(out, canvas);
  int status = 0;
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    std::string_view t = trim(text);
    if (t.empty() || t.front() == '#') continue;
    try {
      player.line(text);
    } catch (const BadLine& e) {
      err << "tessivar-script: line " << number << ": " << e.what() << '\n' << std::flush;
      status = 2;
    } catch (const std::exception& e) {
      // Raised by the program or its runtime while acting: reported the
      // runtime's way, and the script goes on.
      rt::reportError(e);
    }
  }
  return status;
}

}  // namespace script
