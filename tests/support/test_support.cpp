// guihandles with its local functions, isvarname, iskeyword, the axis labels
// and surf, on real graphics objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "model/model_test.h"
#include "support/guihandles.h"
#include "support/iskeyword.h"
#include "support/isvarname.h"
#include "support/labels.h"
#include "support/surf.h"

namespace {

using model_test::errorOf;
using rt::str;

class GraphicsSupport : public model_test::ModelTest {
 protected:
  GraphicsSupport()
      : ModelTest({{guihandles::initialize, guihandles::terminate},
                   {isvarname::initialize, isvarname::terminate},
                   {ylabel::initialize, ylabel::terminate},
                   {surf::initialize, surf::terminate},
                   {xlabel::initialize, xlabel::terminate},
                   {zlabel::initialize, zlabel::terminate},
                   {iskeyword::initialize, iskeyword::terminate}}) {}
};

std::vector<std::string> fieldsOf(const rt::Array& s) {
  return s.isStruct() ? s.data().fieldNames : std::vector<std::string>{};
}

rt::Array tagged(const std::string& tag) {
  return rt::uicontrol({str("Tag"), str(tag)});
}

// The handles of a figure's objects in the order of the object search.
std::vector<rt::Array> searchOrder(const rt::Array& fig) {
  return rt::columns(rt::ctranspose(rt::findall(fig)));
}

const std::string kNotAFigure = "H must be the handle to a figure or figure descendent.";
const std::string kIncorrect = "Incorrect number of input arguments";

// ================================================================ handles

TEST_F(GraphicsSupport, KeepsUsableTagsInSearchOrderAndSkipsTheRest) {
  const std::vector<std::string> kept = {
      "figure1", "a", "b2_c", "End", "wHile", std::string(63, 'q'), "Z_9", "x1"};
  const std::vector<std::string> skipped = {
      "", "1abc", "_x", "a b", "a-b", "a.b", "end", "while", std::string(64, 'r')};
  rt::Array fig = rt::figure({str("Tag"), str("figure1")});
  rt::Array control;
  for (std::size_t i = 1; i < kept.size(); ++i) {
    control = tagged(kept[i]);
    tagged(skipped[i - 1]);
  }
  tagged(skipped.back());

  std::vector<std::string> expected;
  for (const rt::Array& h : searchOrder(fig)) {
    const std::string t = rt::get(h, "Tag").text();
    if (std::find(kept.begin(), kept.end(), t) != kept.end()) expected.push_back(t);
  }
  ASSERT_EQ(expected.size(), kept.size());

  rt::Array fromControl = guihandles::call(control);
  EXPECT_EQ(fieldsOf(fromControl), expected);
  EXPECT_EQ(fromControl.field("figure1").scalar(), fig.scalar());
  EXPECT_EQ(fromControl.field("x1").scalar(), control.scalar());
  for (const std::string& f : expected) EXPECT_EQ(rt::get(fromControl.field(f), "Tag").text(), f);

  // The figure itself gives the same structure.
  rt::Array fromFigure = guihandles::call(fig);
  EXPECT_EQ(fieldsOf(fromFigure), expected);
  for (const std::string& f : expected)
    EXPECT_EQ(fromFigure.field(f).scalar(), fromControl.field(f).scalar()) << f;
}

TEST_F(GraphicsSupport, EveryKeywordIsSkippedButNotWithACapital) {
  rt::Array fig = rt::figure();
  std::vector<std::string> expected;
  for (const rt::Array& w : rt::spread(iskeyword::call(rt::Array()))) {
    std::string capital = w.text();
    capital[0] = static_cast<char>(capital[0] - 'a' + 'A');
    tagged(w.text());
    tagged(capital);
    expected.push_back(capital);
  }
  std::vector<std::string> fields = fieldsOf(guihandles::call(fig));
  std::sort(fields.begin(), fields.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(fields.size(), 17u);
  EXPECT_EQ(fields, expected);
}

TEST_F(GraphicsSupport, ObjectsSharingATagShareOneRowInSearchOrder) {
  rt::Array fig = rt::figure();
  rt::Array first = rt::axes({str("Tag"), str("axes1")});
  rt::Array other = rt::axes({str("Tag"), str("axes2")});
  rt::axes({str("Tag"), str("axes1")});
  tagged("axes1");

  std::vector<double> order;
  for (const rt::Array& h : searchOrder(fig))
    if (rt::get(h, "Tag").text() == "axes1") order.push_back(h.scalar());
  ASSERT_EQ(order.size(), 3u);

  rt::Array handles = guihandles::call(first);
  const rt::Array& row = handles.field("axes1");
  ASSERT_FALSE(row.isNull());
  EXPECT_EQ(row.rows(), 1u);
  EXPECT_EQ(std::vector<double>(row.re().begin(), row.re().end()), order);
  EXPECT_EQ(handles.field("axes2").scalar(), other.scalar());
  EXPECT_EQ(fieldsOf(handles).size(), 2u);
}

TEST_F(GraphicsSupport, WithoutInputUsesTheCurrentFigureAndNoUsableTagGivesTheEmptyMatrix) {
  rt::figure({str("Tag"), str("first")});
  rt::Array second = rt::figure({str("Tag"), str("second")});
  tagged("knob");
  rt::Array handles = guihandles::call(rt::Array());
  EXPECT_EQ(fieldsOf(handles), (std::vector<std::string>{"second", "knob"}));
  EXPECT_EQ(handles.field("second").scalar(), second.scalar());

  // A figure without a usable tag gives the empty matrix.
  rt::Array third = rt::figure();
  tagged("9lives");
  tagged("for");
  handles = guihandles::call(third);
  ASSERT_FALSE(handles.isNull());
  EXPECT_TRUE(handles.isNumeric());
  EXPECT_EQ(handles.rows(), 0u);
  EXPECT_EQ(handles.cols(), 0u);
}

TEST_F(GraphicsSupport, RefusesAnythingButOneLiveFigureOrDescendant) {
  rt::figure();
  rt::Array a = tagged("a");
  rt::Array b = tagged("b");
  rt::Array gone = tagged("gone");
  rt::gfx::deleteObject(gone.scalar());
  const std::vector<rt::Array> bad = {
      rt::emptyDouble(), rt::horzcat({a, b}), rt::scalar(0), rt::scalar(a.scalar() + 1000.5), gone,
      str("a")};
  for (const rt::Array& h : bad)
    EXPECT_EQ(errorOf([&] { guihandles::call(h); }), kNotAFigure) << h.scalar();

  // The parent chain of the root ends without a figure.
  rt::Array none = guihandles::getParentFigure(rt::scalar(0));
  EXPECT_TRUE(none.isNumeric() && none.empty());
  rt::Array line = rt::plot(rt::row({1, 2}), rt::row({3, 4}));
  EXPECT_EQ(guihandles::getParentFigure(line).scalar(), rt::gcf().scalar());
}

// ====================================================== name predicates

TEST_F(GraphicsSupport, IsvarnameAndIskeyword) {
  auto yes = [](rt::Array (&f)(const rt::Array&), const rt::Array& s) {
    rt::Array r = f(s);
    EXPECT_TRUE(r.isLogical() && r.isScalar());
    return rt::tobool(r);
  };
  EXPECT_FALSE(yes(isvarname::call, rt::scalar(7)));
  EXPECT_FALSE(yes(isvarname::call, rt::initializeCharVector(2, 2, u"abcd")));
  EXPECT_FALSE(yes(isvarname::call, str("for")));
  EXPECT_TRUE(yes(isvarname::call, str("For")));
  EXPECT_TRUE(yes(isvarname::call, str("a1_")));
  EXPECT_FALSE(yes(isvarname::call, str("a$")));
  // A row without characters is no name, and no failure.
  EXPECT_FALSE(yes(isvarname::call, str("")));
  EXPECT_FALSE(yes(isvarname::call, rt::cellRow({str("a")})));

  EXPECT_TRUE(yes(iskeyword::call, str("end")));
  EXPECT_TRUE(yes(iskeyword::call, str("while")));
  EXPECT_FALSE(yes(iskeyword::call, str("END")));
  EXPECT_FALSE(yes(iskeyword::call, str("ends")));
  EXPECT_FALSE(yes(iskeyword::call, rt::scalar(3)));
}

// ========================================================= call by name

// The count refusals of every entry are checked with the start-up record.
TEST_F(GraphicsSupport, CallByNameReachesTheBody) {
  std::array<rt::Array, 2> out;
  // A local function given no input reads its undefined input.
  EXPECT_EQ(errorOf([&] { guihandles::createHandles_byName(1, out, {}); }),
            errorOf([] { rt::validateError(0, "fig"); }));
  EXPECT_EQ(errorOf([&] { guihandles::getParentFigure_byName(1, out, {}); }),
            errorOf([] { rt::validateError(0, "fig"); }));
  const std::array<rt::Array, 1> word = {str("while")};
  iskeyword::byName(0, out, word);
  EXPECT_TRUE(rt::tobool(out[0]));

  // Variable lists take any number of inputs; an odd list of pairs is
  // refused by the body's own rule.
  const std::array<rt::Array, 5> five = {str("t"), str("FontSize"), rt::scalar(3), str("Color"),
                                         rt::row({1, 0, 0})};
  out = {};
  for (rt::ByNameFn f : {xlabel::byName, ylabel::byName, zlabel::byName})
    EXPECT_EQ(errorOf([&] { f(0, out, std::span(five).first(4)); }), kIncorrect);
  EXPECT_TRUE(out[0].isNull());
  rt::Array ax = rt::gca();
  ylabel::byName(1, out, five);
  EXPECT_EQ(out[0].scalar(), rt::get(ax, "YLabel").scalar());
}

// One label function, seen through its entries.
struct LabelFn {
  std::string name;
  rt::Array (*callN)(int, std::initializer_list<rt::Array>);
  const char* property;  // the label object's property on the axes
};
const std::array<LabelFn, 3> kLabels = {{{"xlabel", xlabel::callN, "XLabel"},
                                         {"ylabel", ylabel::callN, "YLabel"},
                                         {"zlabel", zlabel::callN, "ZLabel"}}};

// ================================================================ labels

TEST_F(GraphicsSupport, LabelTakesTheAxesFontAtTheTimeOfTheCall) {
  rt::figure();
  rt::Array ax = rt::axes({str("FontAngle"), str("italic"), str("FontName"), str("Courier"),
                           str("FontSize"), rt::scalar(17), str("FontWeight"), str("bold")});
  for (const LabelFn& f : kLabels) {
    rt::Array h = f.callN(1, {str("the " + f.name)});
    ASSERT_FALSE(h.isNull()) << f.name;
    EXPECT_EQ(h.scalar(), rt::get(ax, f.property).scalar()) << f.name;
    EXPECT_EQ(rt::get(h, "String").text(), "the " + f.name);
    EXPECT_EQ(rt::get(h, "FontAngle").text(), "italic");
    EXPECT_EQ(rt::get(h, "FontName").text(), "Courier");
    EXPECT_EQ(rt::get(h, "FontSize").scalar(), 17);
    EXPECT_EQ(rt::get(h, "FontWeight").text(), "bold");
    EXPECT_TRUE(f.callN(0, {str("no output")}).isNull());
  }
  rt::set(ax, {str("FontSize"), rt::scalar(9)});
  rt::Array y = rt::get(ax, "YLabel");
  EXPECT_EQ(rt::get(y, "FontSize").scalar(), 17);
  ylabel::callV({str("again")});
  EXPECT_EQ(rt::get(y, "FontSize").scalar(), 9);
}

TEST_F(GraphicsSupport, FurtherArgumentsComeInPairsAndWin) {
  rt::figure();
  rt::Array ax = rt::axes({str("FontSize"), rt::scalar(11)});
  const std::string noText = errorOf([] { rt::validateError(0, "string"); });
  for (const LabelFn& f : kLabels) {
    EXPECT_EQ(errorOf([&] { f.callN(0, {}); }), noText) << f.name;
    rt::Array h = rt::get(ax, f.property);
    EXPECT_EQ(errorOf([&] { f.callN(0, {str("odd"), str("FontSize")}); }), kIncorrect);
    EXPECT_EQ(errorOf([&] {
                f.callN(0, {str("odd"), str("FontSize"), rt::scalar(30), str("FontName")});
              }),
              kIncorrect);
    EXPECT_NE(rt::get(h, "String").text(), "odd") << f.name;

    f.callN(0, {str("big"), str("FontSize"), rt::scalar(30)});
    EXPECT_EQ(rt::get(h, "String").text(), "big");
    EXPECT_EQ(rt::get(h, "FontSize").scalar(), 30) << f.name;
    f.callN(0, {str("first"), str("String"), str("second")});
    EXPECT_EQ(rt::get(h, "String").text(), "second");
    EXPECT_EQ(rt::get(h, "FontSize").scalar(), 11) << f.name;
  }
}

TEST_F(GraphicsSupport, OnlyZlabelLeavesNewAxesBehindWhenTheCountFails) {
  ASSERT_TRUE(rt::gfx::figures().empty());
  EXPECT_EQ(errorOf([] { xlabel::callV({str("x"), str("FontSize")}); }), kIncorrect);
  EXPECT_EQ(errorOf([] { ylabel::callV({str("y"), str("FontSize")}); }), kIncorrect);
  EXPECT_TRUE(rt::gfx::figures().empty());

  EXPECT_EQ(errorOf([] { zlabel::callV({str("z"), str("FontSize")}); }), kIncorrect);
  const std::vector<double> figs = rt::gfx::figures();
  ASSERT_EQ(figs.size(), 1u);
  const std::vector<double> kids = rt::gfx::children(figs[0]);
  ASSERT_EQ(kids.size(), 1u);
  EXPECT_EQ(rt::gfx::type(kids[0]), "axes");
}

// A native function that application data can name; records its calls.
class Bypass {
 public:
  explicit Bypass(rt::Array result) : result_(std::move(result)) {
    rt::gfx::registerFunction("testBypass", [this](std::span<const rt::Array> args) {
      calls_.emplace_back(args.begin(), args.end());
      return result_;
    });
  }
  ~Bypass() { rt::gfx::registerFunction("testBypass", nullptr); }
  Bypass(const Bypass&) = delete;
  Bypass& operator=(const Bypass&) = delete;
  const std::vector<std::vector<rt::Array>>& calls() const { return calls_; }

 private:
  rt::Array result_;
  std::vector<std::vector<rt::Array>> calls_;
};

TEST_F(GraphicsSupport, BypassTakesOverXAndYLabelsOnly) {
  rt::figure();
  rt::Array ax = rt::axes({str("FontSize"), rt::scalar(14)});
  for (const char* data : {"BYPASS_xlabel", "BYPASS_ylabel", "BYPASS_zlabel"})
    rt::setappdata(ax, str(data), str("testBypass"));
  Bypass bypass(rt::scalar(4242));

  for (const LabelFn& f : kLabels) {
    const rt::Array label = rt::get(ax, f.property);
    const std::size_t before = bypass.calls().size();
    const double sizeBefore = rt::get(label, "FontSize").scalar();
    rt::Array h = f.callN(1, {str("via"), str("FontSize"), rt::scalar(30)});
    if (f.name == "zlabel") {
      EXPECT_EQ(bypass.calls().size(), before);
      EXPECT_EQ(h.scalar(), label.scalar());
      EXPECT_EQ(rt::get(label, "String").text(), "via");
      continue;
    }
    ASSERT_EQ(bypass.calls().size(), before + 1) << f.name;
    const std::vector<rt::Array>& args = bypass.calls().back();
    ASSERT_EQ(args.size(), 4u);
    EXPECT_EQ(args[0].scalar(), ax.scalar());
    EXPECT_EQ(args[1].text(), "via");
    EXPECT_EQ(args[2].text(), "FontSize");
    EXPECT_EQ(args[3].scalar(), 30);
    EXPECT_EQ(h.scalar(), 4242) << f.name;
    EXPECT_EQ(rt::get(label, "String").text(), "") << f.name;
    EXPECT_EQ(rt::get(label, "FontSize").scalar(), sizeBefore) << f.name;
  }

  // The count test still comes first; a bypass that gives nothing leaves
  // the label variable undefined once an output is wanted.
  const std::size_t before = bypass.calls().size();
  EXPECT_EQ(errorOf([] { ylabel::callV({str("odd"), str("FontSize")}); }), kIncorrect);
  EXPECT_EQ(bypass.calls().size(), before);
  Bypass nothing{rt::Array()};
  EXPECT_TRUE(ylabel::callN(0, {str("t")}).isNull());
  EXPECT_EQ(errorOf([] { ylabel::call({str("t")}); }), errorOf([] { rt::validateError(1, "h"); }));
}

// ================================================================== surf

rt::Array grid3() {
  return rt::matrix(3, 3, std::vector<double>{1, 2, 3, 2, 4, 6, 3, 6, 9});
}

// Lines and surfaces of an axes (its label texts left out).
int plotted(const rt::Array& ax) {
  int n = 0;
  for (double c : rt::gfx::children(ax.scalar())) n += rt::gfx::type(c) != "text" ? 1 : 0;
  return n;
}

TEST_F(GraphicsSupport, SurfOnNewAxesSetsTheDefaultViewAndGrid) {
  // Without arguments: an argument-count error before any figure opens.
  const std::string expected = rt::nargchk(rt::scalar(1), rt::getInf(), rt::scalar(0)).text();
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(errorOf([] { surf::callV({}); }), expected);
  EXPECT_TRUE(rt::gfx::figures().empty());

  rt::figure();
  rt::Array reference = rt::axes({});
  rt::view(reference, rt::scalar(3));
  const rt::Array view3 = rt::get(reference, "View");

  rt::Array fig = rt::figure();
  rt::Array x = rt::row({1, 2, 3});
  rt::Array h = surf::call({x, x, grid3(), grid3()});
  rt::Array ax = rt::gca();
  EXPECT_EQ(rt::gfx::type(h.scalar()), "surface");
  EXPECT_EQ(rt::gfx::parent(h.scalar()), ax.scalar());
  EXPECT_EQ(rt::gfx::parent(ax.scalar()), fig.scalar());
  EXPECT_TRUE(rt::tobool(rt::eq(rt::get(ax, "View"), view3)));
  for (const char* g : {"XGrid", "YGrid", "ZGrid"}) EXPECT_EQ(rt::get(ax, g).text(), "on");
  EXPECT_TRUE(surf::callN(0, {grid3()}).isNull());
}

TEST_F(GraphicsSupport, SurfTakesAParentPairInAnyCaseOrAbbreviation) {
  rt::figure();
  for (const char* name : {"parent", "PaReNt", "p", "PAR"}) {
    rt::Array target = rt::axes({});
    rt::Array current = rt::axes({});
    rt::Array line = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
    rt::Array h = surf::call({grid3(), str(name), target});
    EXPECT_EQ(rt::gfx::parent(h.scalar()), target.scalar()) << name;
    // The current axes were not readied for a new plot: their line stays.
    EXPECT_TRUE(rt::gfx::exists(line.scalar())) << name;
    EXPECT_EQ(rt::gca().scalar(), current.scalar()) << name;
    EXPECT_EQ(rt::get(target, "XGrid").text(), "on");
    EXPECT_EQ(rt::get(current, "XGrid").text(), "off");
  }
}

TEST_F(GraphicsSupport, SurfTakesNoParentFromATrailingOrOverlongName) {
  rt::figure();
  rt::Array target = rt::axes({});
  rt::axes({});
  // The current axes are readied (their line goes) and the surface itself
  // refuses the lone or unknown name.
  for (const std::vector<rt::Array>& tail :
       {std::vector<rt::Array>{str("parent")}, std::vector<rt::Array>{str("parents"), target},
        std::vector<rt::Array>{str(""), target}}) {
    rt::Array line = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
    std::vector<rt::Array> args{grid3()};
    args.insert(args.end(), tail.begin(), tail.end());
    EXPECT_NE(errorOf([&] { surf::M::callSpan(0, args); }), "");
    EXPECT_FALSE(rt::gfx::exists(line.scalar()));
    EXPECT_EQ(plotted(target), 0);
  }
}

TEST_F(GraphicsSupport, SurfOnHeldAxesLeavesViewAndGrid) {
  rt::figure();
  rt::Array ax = rt::axes({str("NextPlot"), str("add")});
  ASSERT_TRUE(rt::ishold(ax));
  rt::view(ax, rt::scalar(10), rt::scalar(20));
  const rt::Array before = rt::get(ax, "View");
  rt::plot(rt::row({1, 2}), rt::row({1, 2}));

  surf::callV({grid3()});
  EXPECT_EQ(plotted(ax), 2);
  rt::Array other = rt::axes({});
  surf::callV({grid3(), str("Parent"), ax});
  EXPECT_EQ(plotted(ax), 3);
  EXPECT_EQ(plotted(other), 0);
  EXPECT_TRUE(rt::tobool(rt::eq(rt::get(ax, "View"), before)));
  EXPECT_EQ(rt::get(ax, "XGrid").text(), "off");
}

}  // namespace
