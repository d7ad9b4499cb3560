// The habits on real widgets (offscreen): a full path typed into Qt's own Open
// dialog and Enter, a bare name saved with its kind's suffix, the Help menu,
// Tab through the main window's controls, Ctrl+Z and Ctrl+Shift+Z there, and
// Ctrl+Q.

#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
#include <QTimer>

#include "figures/match_figure.h"
#include "gui/gui_session.h"

namespace {

using Habits = session::ScriptTest;

// With a folder selected in the list (as a desktop's dialog can leave one
// while the box is typed in), Enter on a full path typed into the box used
// to visit that folder and empty the box.
TEST_F(Habits, AFullPathTypedIntoADialogOpensTheFileAndABareNameGetsItsKindsSuffix) {
  std::filesystem::create_directories(dir_ / "measured");
  const std::string path = (dir_ / "measured" / "patch.s1p").string();
  std::ofstream(path) << "# GHz S RI R 50\n1 0.5 0.1\n2 0.1 0.1\n3 0.5 -0.1\n";
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir_);  // where the dialog opens, on "measured"
  gui::inProgram([&](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QTest::keyClicks(name, QString::fromStdString(path));
      QTest::qWait(300);  // the list fills in
      auto* list = dialog->findChild<QListView*>(QStringLiteral("listView"));
      list->selectionModel()->select(list->model()->index(0, 0, list->rootIndex()),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
      QTest::keyClick(name, Qt::Key_Return);
      QTimer::singleShot(300, [dialog] {
        if (QApplication::activeModalWidget() == dialog) dialog->reject();
      });
    });
    gui::choose(gui::window(qt, figures::openMatchFigure()),
                QStringLiteral("Compare with Touchstone..."));
    EXPECT_TRUE(figures::matchReadouts().overlay.has_value());

    // A name typed without a suffix used to get PNG data under the bare name.
    QTimer::singleShot(200, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      dialog->selectNameFilter(QStringLiteral("SVG drawing (*.svg)"));
      emit dialog->filterSelected(QStringLiteral("SVG drawing (*.svg)"));
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QTest::keyClicks(name, QString::fromStdString((dir_ / "plot").string()));
      QTest::keyClick(name, Qt::Key_Return);
    });
    gui::choose(gui::window(qt, figures::openMatchFigure()),
                QStringLiteral("Save as PNG, SVG or PDF..."));
  });
  std::filesystem::current_path(before);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "plot.svg"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "plot"));
}

TEST_F(Habits, HelpTabUndoRedoAndQuitFromTheKeyboard) {
  gui::inProgram([&](rt::qt::QtFrontEnd& qt) {
    gui::enterBand(qt);
    rt::qt::FigureWindow* match = gui::window(qt, figures::openMatchFigure());
    gui::choose(match, QStringLiteral("About tessivar"));
    auto* about = match->findChild<QMessageBox*>(QStringLiteral("help"));
    ASSERT_NE(about, nullptr);
    for (const char* word : {"tessivar 0.", "MIT", "LGPL", "openEMS", "GPL"})
      EXPECT_NE(about->text().toStdString().find(word), std::string::npos) << word;

    // Tab goes through the sliders and boxes in the order they were made.
    rt::qt::FigureWindow* main = gui::window(qt, session::mainWindow());
    main->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(main));
    gui::widget(qt, "slider3")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), gui::widget(qt, "slider4"));

    QLineEdit* box = gui::edit(qt, "edit1");
    const QString w = box->text();
    gui::typeInto(box, "41");
    // Being typed in, the box keeps Ctrl+Z for its own text.
    QTest::keyClicks(box, "9");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(rt::gfx::prop(session::tagged("edit1"), "String").text(), "41");
    gui::typeInto(box, "41");
    QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box->text(), w);
    QTest::keyClick(main, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(box->text(), QStringLiteral("41"));

    QTest::keyClick(match, Qt::Key_Q, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_TRUE(rt::gfx::figures().empty());
  });
}

}  // namespace
