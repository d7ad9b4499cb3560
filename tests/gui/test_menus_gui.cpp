// The impedance axes' menu entries on real widgets: the Match figure opens
// and comes to the front, Touchstone files are saved and compared, and the
// design dialog, driven by its tags, proposes, applies or changes nothing.

#include <QComboBox>
#include <QPushButton>

#include "design/commands.h"
#include "figures/design_dialog.h"
#include "figures/farfield_figure.h"
#include "figures/fullwave_figure.h"
#include "figures/match_figure.h"
#include "fullwave/fake_solver.h"
#include "gui/gui_session.h"
#include "platform/qt/figure_menus.h"
#include "shell/menus.h"

namespace {

namespace fs = std::filesystem;

using rt::qt::FigureWindow;

bool standardKept() {
  return fullwave::keptResult(design::windowRequest(fullwave::SolverQuality::Standard)).has_value();
}

// Chooses an entry of the context menu of the main window's axes `tag`.
void chooseOnAxes(rt::qt::QtFrontEnd& qt, const char* tag, const QString& entry) {
  QMenu* menu = rt::qt::makeAxesMenu(*gui::window(qt, session::mainWindow()), session::tagged(tag));
  for (QAction* a : menu->actions())
    if (a->text() == entry) a->trigger();
  menu->close();
  QApplication::processEvents();
}

// Clicks the button reading `text` in figure `fig`.
void press(rt::qt::QtFrontEnd& qt, double fig, const QString& text) {
  for (QPushButton* b : qt.window(fig)->findChildren<QPushButton*>())
    if (b->text() == text) b->click();
}

// The file dialogs answer with a path in the test's own folder; a failure
// is kept for the test to see.
class MenusOnWidgets : public session::ScriptTest {
 protected:
  void SetUp() override {
    ScriptTest::SetUp();
    rt::qt::setFileDialogs({[this](QWidget*, const QString&, const QString&, bool) {
                              return QString::fromStdString(answer_);
                            },
                            [this](QWidget*, const std::string& m) { failures_.push_back(m); }});
  }
  void TearDown() override {
    rt::qt::setFileDialogs({});
    ScriptTest::TearDown();
    EXPECT_TRUE(failures_.empty()) << failures_.front();
  }
  std::string answer_;
  std::vector<std::string> failures_;
};

TEST_F(MenusOnWidgets, TheMatchFigureComesToTheFrontAndTouchstoneAndDesignsAreSaved) {
  gui::inProgram([this](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    chooseOnAxes(qt, "axes1", "Match and Smith chart...");
    ASSERT_EQ(rt::gfx::figures().size(), 2u);
    FigureWindow* match = gui::window(qt, rt::gfx::figures()[1]);
    ASSERT_TRUE(QTest::qWaitForWindowActive(match));
    // Asked for again while the main window is in front: the same
    // figure comes back to the front.
    FigureWindow* main = gui::window(qt, session::mainWindow());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    chooseOnAxes(qt, "axes2", "Match and Smith chart...");
    EXPECT_EQ(rt::gfx::figures().size(), 2u);
    EXPECT_TRUE(QTest::qWaitForWindowActive(match));

    answer_ = (dir_ / "patch.s1p").string();
    chooseOnAxes(qt, "axes1", "Save as Touchstone...");
    EXPECT_NE(read("patch.s1p").find("# GHz S RI R 50"), std::string::npos);
    EXPECT_FALSE(figures::matchReadouts().overlay.has_value());
    gui::choose(match, "Compare with Touchstone...");
    EXPECT_TRUE(figures::matchReadouts().overlay.has_value());

    // A design's name typed without a suffix gets the one the Open dialog lists.
    answer_ = (dir_ / "fr4").string();
    chooseOnAxes(qt, "axes1", "Save design...");
    EXPECT_TRUE(std::filesystem::exists(dir_ / "fr4.txt"));
    // The context menu in its sections: the built-in entries, the model,
    // the program's, help and the recent designs (undo, with a change).
    QString sections;
    for (QAction* a : rt::qt::makeAxesMenu(*main, session::tagged("axes1"))->actions())
      sections += a->isSeparator() ? QStringLiteral("|") : a->text().left(3);
    EXPECT_EQ(sections.toStdString(), "SavExpResDat|Mod|MatSavDesSavOpeBoaCheFar|Hel|Rec");
    EXPECT_FALSE(std::filesystem::exists(dir_ / "fr4"));
  });
}

// The check runs while the window stays live: the figure fills in from the
// front end's timer, its Quality popup checks again at another level, and
// Cancel, the one button a run leaves on, stops a run that would not end by
// itself.
TEST_F(MenusOnWidgets, TheFullWaveCheckRunsBehindALiveWindowAndCancels) {
  fake_solver::writeFakeSolver(dir_, "[ -f \"" + (dir_ / "slow").string() +
                                         "\" ] && while [ ! -f ABORT ]; do sleep 0.02; done\n");
  const std::string path = std::getenv("PATH");
  setenv("PATH", ((dir_ / "bin").string() + ":" + path).c_str(), 1);
  setenv("XDG_CACHE_HOME", (dir_ / "cache").c_str(), 1);
  gui::inProgram([&](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    session::play(session::kWorkedExampleScript);
    chooseOnAxes(qt, "axes1", "Check with full-wave solver...");
    ASSERT_TRUE(QTest::qWaitFor([] { return rt::gfx::figures().size() == 3; }, 10000));
    EXPECT_TRUE(figures::matchReadouts().overlay.has_value());
    auto* level = qt.window(rt::gfx::figures()[1])->findChild<QComboBox*>();
    ASSERT_TRUE(level);
    EXPECT_EQ(level->currentText(), "quick");
    emit level->activated(1);
    press(qt, rt::gfx::figures()[1], "Check again");
    ASSERT_TRUE(QTest::qWaitFor(standardKept, 10000));

    std::ofstream(dir_ / "slow") << "x";
    session::type("edit7", "9");
    chooseOnAxes(qt, "axes1", "Check with full-wave solver...");
    const auto folders = [&] {  // beside their lock files
      return std::count_if(fs::directory_iterator(dir_ / "cache/tessivar/fullwave"),
                           fs::directory_iterator(),
                           [](const fs::directory_entry& e) { return e.is_directory(); });
    };
    EXPECT_EQ(folders(), 3);
    const auto enabled = [&](const QString& text) {
      for (QPushButton* b : qt.window(rt::gfx::figures()[1])->findChildren<QPushButton*>())
        if (b->text() == text) return b->isEnabled();
      return false;
    };
    EXPECT_TRUE(enabled("Cancel") && !enabled("Trim") && !enabled("Check again"));
    press(qt, rt::gfx::figures()[1], "Cancel");
    EXPECT_TRUE(QTest::qWaitFor([&] { return folders() == 2; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !enabled("Cancel") && enabled("Trim"); }, 10000));
  });
  setenv("PATH", path.c_str(), 1);
  unsetenv("XDG_CACHE_HOME");
}

TEST_F(MenusOnWidgets, TheDesignDialogProposesThenAppliesOrChangesNothing) {
  gui::inProgram([](rt::qt::QtFrontEnd& qt) {
    auto dialog = [] {
      for (double f : rt::gfx::figures())
        if (rt::findByTag(f, figures::kDialogApply)) return f;
      return -1.0;
    };
    auto in = [&](const char* tag) { return qt.widget(rt::findByTag(dialog(), tag).value()); };
    auto proposal = [&] {
      return dynamic_cast<QLabel*>(in(figures::kDialogProposal))->text().toStdString();
    };
    auto target = [&](const char* er) {
      gui::typeInto(dynamic_cast<QLineEdit*>(in(figures::kDialogF0)), "2.4");
      gui::typeInto(dynamic_cast<QLineEdit*>(in(figures::kDialogH)), "1.6");
      gui::typeInto(dynamic_cast<QLineEdit*>(in(figures::kDialogEr)), er);
    };
    auto press = [&](const char* button) {
      QTest::mouseClick(dynamic_cast<QPushButton*>(in(button)), Qt::LeftButton);
      QApplication::processEvents();
    };
    const double before = session::number("slider1");

    // It designs on the refined model unless told otherwise; a classic
    // proposal says where a built patch would resonate.
    chooseOnAxes(qt, "axes1", "Design for a resonance...");
    target("4.4");
    EXPECT_NE(proposal().find("W = 38.01 mm, L = 28.755 mm"), std::string::npos) << proposal();
    auto* model = dynamic_cast<QComboBox*>(in(figures::kDialogModel));
    model->setCurrentIndex(0);
    emit model->activated(0);
    QApplication::processEvents();
    EXPECT_NE(proposal().find("L = 29.823 mm"), std::string::npos) << proposal();
    EXPECT_NE(proposal().find("(near 2.31 GHz)"), std::string::npos) << proposal();
    press(figures::kDialogCancel);
    EXPECT_EQ(dialog(), -1.0);
    EXPECT_EQ(session::number("slider1"), before);
    EXPECT_FALSE(session::line("axes1").has_value());

    // A refusal says why and leaves nothing to apply.
    chooseOnAxes(qt, "axes2", "Design for a resonance...");
    target("abc");
    EXPECT_EQ(proposal().rfind("No design: er: 'abc' is not a number", 0), 0u) << proposal();
    EXPECT_FALSE(in(figures::kDialogApply)->isEnabled());
    target("4.4");
    press(figures::kDialogApply);
    EXPECT_EQ(dialog(), -1.0);
    EXPECT_EQ(gui::edit(qt, "edit4")->text(), "4.4");
    EXPECT_NEAR(session::number("slider1"), 38.01, 0.005);
    EXPECT_NEAR(session::number("slider2"), 28.755, 0.0005);
    EXPECT_EQ(design::chosenModel(), antenna::mostTrustedModel()) << "drawn on another model";
    EXPECT_EQ(session::data("axes1", "XData").size(), 1000u) << "the design was not drawn";
    design::chooseModel(antenna::ImpedanceModel());
  });
}

// A pattern window says what it shows in its title and opens the far field
// it was drawn for; the Far-field figure exports its cuts.
TEST_F(MenusOnWidgets, APatternWindowNamesItsDesignAndOpensItsFarField) {
  gui::inProgram([this](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    gui::typeInto(gui::edit(qt, "edit8"), "2.4");
    gui::typeInto(gui::edit(qt, "edit8"), "2.5");
    ASSERT_EQ(rt::gfx::figures().size(), 3u);
    const double pattern = rt::gfx::figures()[1];
    const std::string title = gui::window(qt, pattern)->windowTitle().toStdString();
    EXPECT_TRUE(title.starts_with("Figure " + std::to_string(static_cast<int>(pattern)) +
                                  ": 2.4 GHz, W " + gui::edit(qt, "edit1")->text().toStdString()))
        << title;

    gui::choose(gui::window(qt, pattern), "Far field...");
    ASSERT_EQ(rt::gfx::figures().size(), 4u);
    const double farField = rt::gfx::figures()[3];
    EXPECT_TRUE(figures::isFarFieldFigure(farField));
    EXPECT_EQ(figures::shownCutsCsv().find("angle_deg,e_plane_db\n-90,"), 0u);

    answer_ = (dir_ / "cuts.csv").string();
    gui::choose(gui::window(qt, farField), "Export data as CSV...");
    EXPECT_EQ(read("cuts.csv"), figures::shownCutsCsv());
    // From the main window: its design at its pattern frequency, 2.5 GHz.
    chooseOnAxes(qt, "axes1", "Far field...");
    EXPECT_EQ(rt::gfx::figures().size(), 4u);
    EXPECT_NE(read("cuts.csv"), figures::shownCutsCsv());
  });
}

}  // namespace
