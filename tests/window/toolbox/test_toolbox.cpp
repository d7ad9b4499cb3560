// guihandles with its local functions, isvarname, iskeyword, the axis labels
// and surf, on real graphics objects.

#include "window/model/model_test.h"

namespace {

using namespace model_test;

using GraphicsSupport = ModelTest;

std::vector<std::string> fieldsOf(const rt::Array& s) {
  return s.isStruct() ? s.data().fieldNames : std::vector<std::string>{};
}

const auto tagged = [](const std::string& tag) { return rt::uicontrol({str("Tag"), str(tag)}); };

// A figure's objects in the order of the object search.
std::vector<rt::Array> searchOrder(const rt::Array& fig) {
  return rt::columns(rt::ctranspose(rt::findall(fig)));
}

const std::string kIncorrect = "Incorrect number of input arguments";

// ================================================================ handles

TEST_F(GraphicsSupport, GuihandlesKeepsUsableTagsInSearchOrderAndRefusesWhatIsNoFigure) {
  const std::vector<std::string> kept = {
      "figure1", "a", "b2_c", "End", "wHile", std::string(63, 'q'), "Z_9", "x1"};
  const std::vector<std::string> skipped = {
      "", "1abc", "_x", "a b", "a-b", "a.b", "end", "while", std::string(64, 'r')};
  rt::figure({str("Tag"), str("first")});
  rt::Array fig = rt::figure({str("Tag"), str("figure1")});
  rt::Array control;
  for (std::size_t i = 1; i < kept.size(); ++i) {
    control = tagged(kept[i]);
    tagged(skipped[i - 1]);
  }
  tagged(skipped.back());

  std::vector<std::string> expected;
  for (const rt::Array& h : searchOrder(fig))
    if (std::ranges::count(kept, rt::get(h, "Tag").text()))
      expected.push_back(rt::get(h, "Tag").text());
  ASSERT_EQ(expected.size(), kept.size());

  rt::Array fromControl = guihandles::call(control), fromFigure = guihandles::call(fig);
  EXPECT_EQ(fieldsOf(fromControl), expected);
  EXPECT_EQ(fieldsOf(fromFigure), expected);
  for (const std::string& f : expected) {
    EXPECT_EQ(rt::get(fromControl.field(f), "Tag").text(), f);
    EXPECT_EQ(fromFigure.field(f).scalar(), fromControl.field(f).scalar()) << f;
  }
  EXPECT_EQ(fieldsOf(guihandles::call(rt::Array())), expected) << "the current figure";

  // A figure without a usable tag gives the empty matrix.
  rt::Array bare = rt::figure();
  tagged("9lives");
  tagged("for");
  const rt::Array none = guihandles::call(bare);
  EXPECT_TRUE(none.isNumeric() && none.rows() == 0 && none.cols() == 0);

  // Objects sharing a tag share one row, in search order.
  fig = rt::figure();
  rt::Array first = rt::axes({str("Tag"), str("axes1")});
  rt::Array other = rt::axes({str("Tag"), str("axes2")});
  rt::axes({str("Tag"), str("axes1")});
  tagged("axes1");

  std::vector<double> order;
  for (const rt::Array& h : searchOrder(fig))
    if (rt::get(h, "Tag").text() == "axes1") order.push_back(h.scalar());
  ASSERT_EQ(order.size(), 3u);

  rt::Array handles = guihandles::call(first);
  EXPECT_EQ(fieldsOf(handles), (std::vector<std::string>{"axes1", "axes2"}));
  EXPECT_EQ(handles.field("axes1").rows(), 1u);
  EXPECT_EQ(values(handles.field("axes1")), order);
  EXPECT_EQ(handles.field("axes2").scalar(), other.scalar());

  // Anything but one live figure or descendant is refused.
  rt::Array a = tagged("a"), b = tagged("b"), gone = tagged("gone");
  rt::gfx::deleteObject(gone.scalar());
  for (const rt::Array& h : {rt::emptyDouble(), rt::horzcat({a, b}), scalar(0),
                             scalar(a.scalar() + 1000.5), gone, str("a")})
    EXPECT_EQ(errorOf([&] { guihandles::call(h); }),
              "H must be the handle to a figure or figure descendent.");
}

// ======================================================= name predicates

TEST_F(GraphicsSupport, IsvarnameAndIskeywordAnswerOneLogicalForAnyInput) {
  auto answers = [](rt::Array (*fn)(const rt::Array&), std::initializer_list<rt::Array> inputs) {
    std::string out;
    for (const rt::Array& in : inputs) {
      const rt::Array r = fn(in);
      EXPECT_TRUE(r.isLogical() && r.isScalar());
      out += rt::tobool(r) ? 'y' : 'n';
    }
    return out;
  };
  // Asked again, and past the number of rows whose verdicts are kept, each
  // answer stays the first; a row's codes as a column or as numbers are no
  // name.
  for (int round = 0; round < 2; ++round)
    EXPECT_EQ(answers(isvarname::call,
                      {scalar(7), rt::initializeCharVector(2, 2, u"abcd"), str("for"), str("For"),
                       str("a1_"), str("a$"), str(""), rt::cellRow({str("a")}), str("ab"),
                       rt::initializeCharVector(2, 1, u"ab"), rt::row({97, 98}),
                       str(std::string(63, 'q')), str(std::string(64, 'q'))}),
              "nnnyynnnynnyn");
  for (int i = 0; i < 4200; ++i)
    ASSERT_EQ(answers(isvarname::call, {str("n" + std::to_string(i)), str(std::to_string(i))}),
              "yn");
  EXPECT_EQ(
      answers(iskeyword::call, {str("end"), str("while"), str("END"), str("ends"), scalar(3)}),
      "yynnn");
}

// ================================================================ labels

// One label function, seen through its entries.
struct LabelFn {
  std::string name;
  rt::Array (*callN)(int, std::initializer_list<rt::Array>);
  const char* property;  // the label object's property on the axes
};
const std::array<LabelFn, 3> kLabels = {{{"xlabel", xlabel::callN, "XLabel"},
                                         {"ylabel", ylabel::callN, "YLabel"},
                                         {"zlabel", zlabel::callN, "ZLabel"}}};

TEST_F(GraphicsSupport,
       LabelTakesTheAxesFontAtTheTimeOfTheCallFurtherPairsWinAndABypassTakesOverXAndY) {
  rt::figure();
  rt::Array ax = rt::axes({str("FontAngle"), str("italic"), str("FontName"), str("Courier"),
                           str("FontSize"), scalar(17), str("FontWeight"), str("bold")});
  const std::string noText = errorOf([] { rt::validateError(0, "string"); });
  auto shown = [](const rt::Array& h) {
    return rt::get(h, "String").text() + " " + rt::num2str(rt::get(h, "FontSize")).text();
  };
  for (const LabelFn& f : kLabels) {
    SCOPED_TRACE(f.name);
    EXPECT_EQ(errorOf([&] { f.callN(0, {}); }), noText);
    rt::Array h = f.callN(1, {str("the " + f.name)});
    ASSERT_FALSE(h.isNull());
    EXPECT_EQ(h.scalar(), rt::get(ax, f.property).scalar());
    EXPECT_EQ(errorOf([&] { f.callN(0, {str("odd"), str("FontSize")}); }), kIncorrect);
    EXPECT_EQ(shown(h), "the " + f.name + " 17");
    for (const char* p : {"FontAngle", "FontName", "FontWeight"})
      EXPECT_EQ(rt::get(h, p).text(), rt::get(ax, p).text()) << p;

    EXPECT_TRUE(f.callN(0, {str("big"), str("FontSize"), scalar(30)}).isNull());
    EXPECT_EQ(shown(h), "big 30");
    f.callN(0, {str("first"), str("String"), str("second")});
    EXPECT_EQ(shown(h), "second 17");
  }
  rt::set(ax, {str("FontSize"), scalar(9)});
  rt::Array y = rt::get(ax, "YLabel");
  EXPECT_EQ(rt::get(y, "FontSize").scalar(), 17);
  ylabel::callV({str("again")});
  EXPECT_EQ(rt::get(y, "FontSize").scalar(), 9);

  // A native function that the axes' application data names takes over
  // xlabel and ylabel, not zlabel; it records its calls.
  std::vector<std::vector<rt::Array>> calls;
  rt::gfx::registerFunction("testBypass", [&](std::span<const rt::Array> args) {
    calls.emplace_back(args.begin(), args.end());
    return scalar(4242);
  });
  struct Unregister {
    ~Unregister() { rt::gfx::registerFunction("testBypass", nullptr); }
  } unregister;
  for (const LabelFn& f : kLabels) {
    SCOPED_TRACE(f.name);
    rt::setappdata(ax, str("BYPASS_" + f.name), str("testBypass"));
    const rt::Array label = rt::get(ax, f.property);
    const std::string before = shown(label);
    calls.clear();
    rt::Array h = f.callN(1, {str("via"), str("FontSize"), scalar(30)});
    if (f.name == "zlabel") {
      EXPECT_TRUE(calls.empty() && h.scalar() == label.scalar() && shown(label) == "via 30");
      continue;
    }
    ASSERT_EQ(calls.size(), 1u);
    const std::vector<rt::Array>& a = calls[0];
    EXPECT_TRUE(a.size() == 4 && a[0].scalar() == ax.scalar() && a[1].text() == "via" &&
                a[2].text() == "FontSize" && a[3].scalar() == 30);
    EXPECT_EQ(h.scalar(), 4242);
    EXPECT_EQ(shown(label), before);
  }
}

// ================================================================== surf

TEST_F(GraphicsSupport, SurfSetsTheDefaultViewAndGridOnNewAxesOnlyAndTakesAnyParent) {
  // Without arguments: an argument-count error before any figure opens.
  EXPECT_EQ(errorOf([] { surf::callV({}); }), "Not enough input arguments.");
  EXPECT_TRUE(rt::gfx::figures().empty());

  rt::Array fig = rt::figure();
  const rt::Array x = rt::row({1, 2, 3}),
                  z = rt::matrix(3, 3, std::vector<double>{1, 2, 3, 2, 4, 6, 3, 6, 9});
  rt::Array h = surf::call({x, x, z, z});
  rt::Array ax = rt::gca();
  EXPECT_EQ(rt::gfx::type(h.scalar()), "surface");
  EXPECT_EQ(rt::gfx::parent(h.scalar()), ax.scalar());
  EXPECT_EQ(rt::gfx::parent(ax.scalar()), fig.scalar());
  EXPECT_EQ(values(rt::get(ax, "View")), (std::vector<double>{-37.5, 30}));  // the 3-D default
  for (const char* g : {"XGrid", "YGrid", "ZGrid"}) EXPECT_EQ(rt::get(ax, g).text(), "on");
  EXPECT_TRUE(surf::callN(0, {z}).isNull());

  // Held axes keep their view and grid.
  rt::Array held = rt::axes({str("NextPlot"), str("add")});
  rt::view(held, scalar(10), scalar(20));
  const std::vector<double> before = values(rt::get(held, "View"));
  rt::plot(rt::row({1, 2}), rt::row({1, 2}));

  surf::callV({z});
  EXPECT_EQ(std::ranges::count_if(rt::gfx::children(held.scalar()),
                                  [](double c) { return rt::gfx::type(c) != "text"; }),
            2);  // the line and the surface, besides the label texts
  EXPECT_EQ(values(rt::get(held, "View")), before);
  EXPECT_EQ(rt::get(held, "XGrid").text(), "off");

  // A parent is taken in any case or abbreviation.
  rt::figure();
  rt::Array target = rt::axes({}), current = rt::axes({});
  for (const char* name : {"parent", "PaReNt", "p", "PAR"}) {
    SCOPED_TRACE(name);
    rt::Array line = rt::plot(rt::row({1, 2}), rt::row({1, 2}));
    rt::Array h = surf::call({z, str(name), target});
    EXPECT_EQ(rt::gfx::parent(h.scalar()), target.scalar());
    // The current axes were not readied for a new plot: their line stays.
    EXPECT_TRUE(rt::gfx::exists(line.scalar()));
    EXPECT_EQ(rt::gca().scalar(), current.scalar());
    EXPECT_EQ(rt::get(target, "XGrid").text() + rt::get(current, "XGrid").text(), "onoff");
    rt::gfx::deleteObject(h.scalar());
  }
}

}  // namespace
