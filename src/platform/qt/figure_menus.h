// The menus of a figure window: the menu bar and toolbar of a figure whose
// MenuBar is "figure", and the context menu of an axes. Entries are kept in
// registries, so that later features can add their own to the figure menus
// and to the context menu of the axes they concern.
#pragma once

#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QToolBar>
#include <functional>
#include <optional>
#include <string>

#include "platform/qt/interaction.h"

namespace rt::qt {

class FigureWindow;

// An entry of the context menu of an axes: shown where `applies(axes)` holds
// (an empty predicate: on every axes); `run(window, axes)` when chosen.
struct AxesAction {
  QString label;
  std::function<bool(double ax)> applies;
  std::function<void(FigureWindow& window, double ax)> run;
};
void addAxesAction(AxesAction action);

// An entry of a figure's menu bar, appended to the menu titled `menu`
// ("File", "View", "Tools", or a new one after them); only in the figures
// where `applies(fig)` holds (an empty predicate: in every one).
struct FigureAction {
  QString menu, label;
  QKeySequence shortcut;
  std::function<void(FigureWindow& window)> run;
  std::function<bool(double fig)> applies = {};
};
void addFigureAction(FigureAction action);

// The context menu of axes `ax` of `window` (deleted when closed).
QMenu* makeAxesMenu(FigureWindow& window, double ax);

// The menu bar and the toolbar of a window; the tools show which one is on.
class FigureMenus {
 public:
  explicit FigureMenus(FigureWindow& window);
  QMenuBar* menuBar() const { return bar_; }
  QToolBar* toolBar() const { return tools_; }
  // Shows `t` checked (none checked for Tool::None).
  void showTool(Tool t);

 private:
  FigureWindow& window_;
  QMenuBar* bar_;
  QToolBar* tools_;
  std::vector<std::pair<Tool, QAction*>> toolActions_;
};

// How the menus ask for a file and show a failure: Qt's file dialog and a
// message box unless replaced (tests answer without a user). An empty
// member keeps Qt's.
struct FileDialogs {
  // The chosen path, or "" when the user cancels.
  std::function<QString(QWidget* parent, const QString& caption, const QString& filter,
                        bool forSaving)>
      askPath;
  std::function<void(QWidget* parent, const std::string& message)> showFailure;
};
void setFileDialogs(FileDialogs dialogs);
QString askPath(QWidget* parent, const QString& caption, const QString& filter, bool forSaving);
// Shows a message naming the path and the reason; nothing for "".
void showFailure(QWidget* parent, const std::string& message);

// File dialogs, with failures shown naming the path and the reason.
void saveImageDialog(FigureWindow& window);
void exportCsvDialog(FigureWindow& window, std::optional<double> ax);

}  // namespace rt::qt
