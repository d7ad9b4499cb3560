// The main window as the program opens it: run headless through rt::runMain
// with the real start-up record, and inspected before any user act.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "shell/test_window_session.h"

namespace {

using session::number;
using session::prop;
using session::tagged;
using session::text;
using session::values;

std::string keyword(const rt::Array& a) {
  return a.text();
}

// Runs the program and checks the window with `check` while it is open.
void atStartUp(const std::function<void()>& check) {
  ASSERT_EQ(session::run([&] {
              ASSERT_GE(session::mainWindow(), 0) << "the main window did not open";
              check();
            }),
            0);
}

TEST(WindowAtStartUp, NothingIsComputedYet) {
  atStartUp([] {
    for (const char* ax : {"axes1", "axes2"}) {
      SCOPED_TRACE(ax);
      EXPECT_EQ(session::lineCount(ax), 0u) << "an axes holds a line before any callback";
      EXPECT_EQ(keyword(prop(ax, "XGrid")), "on");
      EXPECT_EQ(keyword(prop(ax, "YGrid")), "on");
      EXPECT_EQ(keyword(prop(ax, "NextPlot")), "replacechildren");
    }
    EXPECT_EQ(text("edit5"), "");
    EXPECT_EQ(text("edit6"), "");
    // The pattern frequency has an empty range and hidden range labels.
    EXPECT_EQ(number("slider6", "Min"), 0);
    EXPECT_EQ(number("slider6", "Max"), 0);
    EXPECT_EQ(number("slider6", "Value"), 0);
    EXPECT_EQ(keyword(prop("text30", "Visible")), "off");
    EXPECT_EQ(keyword(prop("text31", "Visible")), "off");
    EXPECT_EQ(text("text30"), "0");
    EXPECT_EQ(text("text31"), "0");
    // Only one figure: no pattern was opened.
    EXPECT_EQ(rt::gfx::figures().size(), 1u);
  });
}

TEST(WindowAtStartUp, ControlsHoldTheInitialDesign) {
  atStartUp([] {
    const std::map<std::string, std::vector<double>> sliders = {
        {"slider1", {1, 1, 300}}, {"slider2", {1, 1, 300}}, {"slider3", {0.1, 0.1, 20}},
        {"slider4", {1, 1, 20}},  {"slider5", {0, 0, 0.5}}, {"slider6", {0, 0, 0}}};
    for (const auto& [tag, vmm] : sliders) {
      SCOPED_TRACE(tag);
      EXPECT_EQ(number(tag, "Value"), vmm[0]);
      EXPECT_EQ(number(tag, "Min"), vmm[1]);
      EXPECT_EQ(number(tag, "Max"), vmm[2]);
    }
    const std::map<std::string, std::string> edits = {{"edit1", "1"},   {"edit2", "1"},
                                                      {"edit3", "0.1"}, {"edit4", "1"},
                                                      {"edit7", "0"},   {"edit8", "0"}};
    for (const auto& [tag, s] : edits) EXPECT_EQ(text(tag), s) << tag;
    // The offset's maximum label agrees with half the initial length.
    EXPECT_EQ(text("text27"), "0.5");
  });
}

TEST(WindowAtStartUp, EveryEntryControlNamesItsCallbackModule) {
  atStartUp([] {
    // edit1 alone carries a trailing semicolon.
    EXPECT_EQ(text("edit1", "Callback"), "inter_func_e1;");
    for (int i = 2; i <= 8; ++i) {
      std::string tag = "edit" + std::to_string(i);
      EXPECT_EQ(text(tag, "Callback"), "inter_func_e" + std::to_string(i)) << tag;
    }
    for (int i = 1; i <= 6; ++i) {
      std::string tag = "slider" + std::to_string(i);
      EXPECT_EQ(text(tag, "Callback"), "inter_func_s" + std::to_string(i)) << tag;
    }
    EXPECT_EQ(text("slider6", "CreateFcn"), "warning off");
    // ... which ran when the slider was made.
    EXPECT_FALSE(rt::warningsEnabled());
    // Frames and texts have no callback.
    EXPECT_EQ(text("frame3", "Callback"), "");
    EXPECT_EQ(text("text9", "Callback"), "");
  });
}

// The objects of the figure, oldest first, by tag.
std::vector<std::string> childTags() {
  std::vector<std::string> tags;
  for (double c : rt::gfx::children(session::mainWindow()))
    tags.push_back(rt::gfx::prop(c, "Tag").text());
  return tags;
}

TEST(WindowAtStartUp, ObjectsAreMadeInTheirOrder) {
  atStartUp([] {
    std::vector<std::string> expected = {
        "frame11", "frame6",  "frame7",  "frame5", "frame4", "frame3", "slider1",
        "slider2", "slider3", "slider4", "text1",  "text2",  "text3",  "text4",
        "edit1",   "edit2",   "edit3",   "edit4",  "text5",  "text6",  "text7",
        "text8",   "edit5",   "edit6",   "text9",  "text10", "text11"};
    for (int i = 12; i <= 19; ++i) expected.push_back("text" + std::to_string(i));
    for (const char* t : {"text21", "text20", "text23", "axes1", "axes2", "frame13", "frame14",
                          "text24", "slider5", "text25", "text26", "text27", "edit7", "text28",
                          "text29", "edit8", "slider6", "text30", "text31"})
      expected.push_back(t);
    EXPECT_EQ(childTags(), expected);

    std::map<std::string, int> styles;
    for (double c : rt::gfx::children(session::mainWindow()))
      if (rt::gfx::type(c) == "uicontrol") ++styles[rt::gfx::prop(c, "Style").text()];
    EXPECT_EQ(styles,
              (std::map<std::string, int>{{"edit", 8}, {"frame", 8}, {"slider", 6}, {"text", 30}}));
    EXPECT_EQ(tagged("text22"), -1) << "there is no text22";
  });
}

TEST(WindowAtStartUp, FigureIsTheFixedApplicationWindow) {
  atStartUp([] {
    double fig = session::mainWindow();
    EXPECT_EQ(rt::gfx::prop(fig, "Name").text(), "Rectangular patch");
    EXPECT_EQ(keyword(rt::gfx::prop(fig, "NumberTitle")), "off");
    EXPECT_EQ(keyword(rt::gfx::prop(fig, "MenuBar")), "none");
    EXPECT_EQ(keyword(rt::gfx::prop(fig, "Resize")), "off");
    EXPECT_EQ(keyword(rt::gfx::prop(fig, "HandleVisibility")), "callback");
    EXPECT_NE(fig, std::floor(fig)) << "IntegerHandle off gives a non-integer handle";
    EXPECT_EQ(values(rt::gfx::prop(fig, "Position")), (std::vector<double>{0.05, 0.05, 0.9, 0.9}));
    std::vector<double> colour = values(rt::gfx::prop(fig, "Color"));
    ASSERT_EQ(colour.size(), 3u);
    EXPECT_NEAR(colour[0], 212.0 / 255, 1e-15);
    EXPECT_NEAR(colour[1], 208.0 / 255, 1e-15);
    EXPECT_NEAR(colour[2], 200.0 / 255, 1e-15);
    // The figure's handle is visible only to callbacks.
    EXPECT_EQ(rt::findobj({rt::str("Tag"), rt::str("figure1")}).numel(), 0u);
  });
}

TEST(WindowAtStartUp, ColourMapFollowsItsRule) {
  atStartUp([] {
    const rt::Array& map = rt::gfx::prop(session::mainWindow(), "Colormap");
    ASSERT_EQ(map.rows(), 64u);
    ASSERT_EQ(map.cols(), 3u);
    auto row = [&](std::size_t i) {
      return std::vector<double>{map.re()[i - 1], map.re()[64 + i - 1], map.re()[128 + i - 1]};
    };
    EXPECT_EQ(row(1), (std::vector<double>{0, 0, 0.5625}));
    EXPECT_EQ(row(8), (std::vector<double>{0, 0, 1}));
    EXPECT_EQ(row(24), (std::vector<double>{0, 1, 1}));
    EXPECT_EQ(row(41), (std::vector<double>{1, 1, 0}));
    EXPECT_EQ(row(57), (std::vector<double>{1, 0, 0}));
    EXPECT_EQ(row(64), (std::vector<double>{0.5625, 0, 0}));
    // Between the corners each channel moves by 1/16 per row.
    EXPECT_EQ(row(16), (std::vector<double>{0, 0.5, 1}));
    EXPECT_EQ(row(49), (std::vector<double>{1, 0.5, 0}));
  });
}

TEST(WindowAtStartUp, LayoutOptionsAreStoredOnTheFigure) {
  atStartUp([] {
    rt::Array opts =
        rt::getappdata(rt::gfx::handleArray(session::mainWindow()), rt::str("LayoutOptions"));
    ASSERT_FALSE(opts.isNull());
    ASSERT_TRUE(opts.isStruct());
    EXPECT_EQ(opts.data().fieldNames,
              (std::vector<std::string>{"active_h", "taginfo", "override", "resize",
                                        "accessibility", "codefile", "callbacks", "singleton",
                                        "blocking", "syscolorfig", "lastSavedFile", "release"}));
    const rt::Array& taginfo = opts.field("taginfo");
    ASSERT_TRUE(taginfo.isStruct());
    EXPECT_EQ(taginfo.data().fieldNames,
              (std::vector<std::string>{"figure", "slider", "text", "edit", "axes", "frame"}));
    std::vector<double> counts;
    for (const rt::Array& v : taginfo.data().fieldValues) counts.push_back(v.scalar());
    EXPECT_EQ(counts, (std::vector<double>{2, 7, 32, 9, 10, 15}));
    EXPECT_EQ(opts.field("lastSavedFile").numel(), 51u);
  });
}

TEST(WindowAtStartUp, ControlsCarryTheirCommonAndSpecialProperties) {
  atStartUp([] {
    for (double c : rt::gfx::children(session::mainWindow())) {
      if (rt::gfx::type(c) != "uicontrol") continue;
      SCOPED_TRACE(rt::gfx::prop(c, "Tag").text());
      EXPECT_EQ(keyword(rt::gfx::prop(c, "Units")), "normalized");
      EXPECT_EQ(keyword(rt::gfx::prop(c, "FontUnits")), "normalized");
      EXPECT_EQ(rt::gfx::prop(c, "ListboxTop").scalar(), 0);
    }
    // text26 shows "0" on the first of its two lines.
    const rt::Array& two = prop("text26", "String");
    ASSERT_TRUE(two.isCell());
    ASSERT_EQ(two.numel(), 2u);
    EXPECT_EQ(two.cells()[0].text(), "0");
    EXPECT_TRUE(two.cells()[1].isChar());
    EXPECT_TRUE(two.cells()[1].empty());
    // Frames hold a list of one empty text.
    const rt::Array& one = prop("frame6", "String");
    ASSERT_TRUE(one.isCell());
    ASSERT_EQ(one.numel(), 1u);
    EXPECT_TRUE(one.cells()[0].empty());
    // Controls marked so carry 1-by-0 CData and UserData.
    for (const char* tag : {"frame11", "frame5", "text1", "edit1", "text23", "text31"}) {
      SCOPED_TRACE(tag);
      EXPECT_EQ(prop(tag, "CData").rows(), 1u);
      EXPECT_EQ(prop(tag, "CData").cols(), 0u);
      EXPECT_EQ(prop(tag, "UserData").rows(), 1u);
      EXPECT_EQ(prop(tag, "UserData").cols(), 0u);
    }
    // The captions under the axes are controls, not the axes' x labels.
    EXPECT_EQ(text("text20"), "Frequency (GHz)");
    EXPECT_EQ(text("text21"), "Frequency (GHz)");
    EXPECT_FALSE(text("text23").empty());
    EXPECT_EQ(text("text23").find('\n'), std::string::npos) << "the credit is one line";
  });
}

TEST(WindowAtStartUp, AxesLabelObjectsArePreparedWithoutText) {
  atStartUp([] {
    for (const char* ax : {"axes1", "axes2"}) {
      SCOPED_TRACE(ax);
      EXPECT_EQ(keyword(prop(ax, "ALimMode")), "manual");
      EXPECT_EQ(keyword(prop(ax, "FontUnits")), "normalized");
      EXPECT_EQ(prop(ax, "FontSize").scalar(), 0.0364298724954463);
      double title = prop(ax, "Title").scalar();
      double xl = prop(ax, "XLabel").scalar();
      double yl = prop(ax, "YLabel").scalar();
      double zl = prop(ax, "ZLabel").scalar();
      for (double h : {title, xl, yl, zl}) {
        EXPECT_EQ(keyword(rt::gfx::prop(h, "HandleVisibility")), "off");
        EXPECT_EQ(rt::gfx::prop(h, "String").text(), "");
        EXPECT_EQ(values(rt::gfx::prop(h, "Color")), (std::vector<double>{0, 0, 0}));
      }
      EXPECT_EQ(values(rt::gfx::prop(title, "Position")),
                (std::vector<double>{0.499131944444444, 1.01780821917808, 1.00005459937205}));
      EXPECT_EQ(keyword(rt::gfx::prop(title, "VerticalAlignment")), "bottom");
      EXPECT_EQ(keyword(rt::gfx::prop(xl, "VerticalAlignment")), "cap");
      EXPECT_EQ(rt::gfx::prop(yl, "Rotation").scalar(), 90);
      EXPECT_EQ(keyword(rt::gfx::prop(zl, "HorizontalAlignment")), "right");
      EXPECT_EQ(keyword(rt::gfx::prop(zl, "Visible")), "off");
    }
  });
}

TEST(MainModule, ConstantsLiveFromInitialisationToTermination) {
  const frame::ConstantTable& table = tessivar::Def::constants;
  EXPECT_EQ(table.size(), 280u);
  std::vector<const void*> made;
  ASSERT_EQ(session::run([&] {
              for (std::size_t i = 0; i < table.size(); ++i) {
                ASSERT_FALSE(table.at(i).isNull()) << "constant " << i;
                made.push_back(table.at(i).id());
              }
            }),
            0);
  for (std::size_t i = 0; i < table.size(); ++i)
    EXPECT_TRUE(table.at(i).isNull()) << "constant " << i << " outlived the module";
  // Each constant is a distinct array: a value used twice is one constant.
  std::sort(made.begin(), made.end());
  EXPECT_EQ(std::adjacent_find(made.begin(), made.end()), made.end());
}

TEST(MainModule, RefusesOutputsBeforeInputs) {
  std::vector<rt::Array> outputs(1);
  std::vector<rt::Array> inputs = {rt::scalar(1)};
  try {
    tessivar::byName(1, outputs, inputs);
    FAIL() << "no error";
  } catch (const rt::Error& e) {
    EXPECT_STREQ(e.what(),
                 "Run-time Error: File: tessivar Line: 1 Column: 1 The function \"tessivar\" was "
                 "called with more than the declared number of outputs (0).");
  }
  try {
    tessivar::byName(0, {}, inputs);
    FAIL() << "no error";
  } catch (const rt::Error& e) {
    EXPECT_STREQ(e.what(),
                 "Run-time Error: File: tessivar Line: 1 Column: 1 The function \"tessivar\" was "
                 "called with more than the declared number of inputs (0).");
  }
  EXPECT_TRUE(outputs[0].isNull());
}

}  // namespace
