// The menus of a figure window: the menu bar and tool buttons of a figure whose
// MenuBar is "figure", and the context menu of an axes. Entries are kept in
// registries, so that later features can add their own to the figure menus
// and to the context menu of the axes they concern.
#pragma once

#include <QMenu>
#include <QMenuBar>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>

#include "platform/qt/figure_host.h"
#include "platform/qt/interaction.h"

namespace rt::qt {

// An entry of the context menu of an axes: shown where `applies(axes)` holds
// (an empty predicate: on every axes); `run(window, axes)` when chosen. With
// a `submenu` title it is listed in that submenu; with `checked`, it shows a
// check mark where that holds; with `labelNow`, its label is asked for as
// the menu opens (entries whose wording changes, such as a list of files).
struct AxesAction {
  QString label;
  std::function<bool(double ax)> applies;
  std::function<void(FigureHost& window, double ax)> run;
  QString submenu = {};
  std::function<bool()> checked = {};
  std::function<QString()> labelNow = {};
};
void addAxesAction(AxesAction action);

// An entry of a figure's menu bar, appended to the menu titled `menu`
// ("File", "View", "Tools", or a new one after them); only in the figures
// where `applies(fig)` holds (an empty predicate: in every one).
struct FigureAction {
  QString menu, label;
  QKeySequence shortcut;
  std::function<void(FigureHost& window)> run;
  std::function<bool(double fig)> applies = {};
};
void addFigureAction(FigureAction action);

// The context menu of axes `ax` of `window` (deleted when closed).
QMenu* makeAxesMenu(FigureHost& window, double ax);

// The tool buttons under a window's menu bar: drawn by the style as a
// toolbar's checkable buttons, the one of the window's tool pressed in. One
// widget for all of them, without a widget and an action for each: every
// window keeps them as long as it is open, and most never use them.
class ToolStrip : public QWidget {
  Q_OBJECT

 public:
  explicit ToolStrip(FigureHost& window);
  QSize sizeHint() const override;
  // The button of the `i`-th tool, in the strip's coordinates.
  QRect buttonRect(std::size_t i) const;

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent*) override;

 private:
  std::optional<std::size_t> buttonAt(QPoint pos) const;
  QSize buttonSize(std::size_t i) const;

  FigureHost& window_;
  std::optional<std::size_t> hovered_, pressed_;
};

// The menu bar and the tool buttons of a window; the tools show which one
// is on. A menu's entries are made when it is first about to show (most
// windows never open one); an entry with a shortcut is made at once on the
// window, so that its keys work before, and the menu takes it in when it
// fills.
class FigureMenus {
 public:
  explicit FigureMenus(FigureHost& window);
  ~FigureMenus();
  FigureMenus(const FigureMenus&) = delete;
  FigureMenus& operator=(const FigureMenus&) = delete;

  QMenuBar* menuBar() const { return bar_; }
  ToolStrip* toolStrip() const { return strip_; }
  // Shows `t` checked (none checked for Tool::None).
  void showTool(Tool t);

 private:
  // A menu and the figure entries it lists (their places in the registry),
  // with the action of each that has been made.
  struct Menu {
    QMenu* menu;
    std::vector<std::pair<std::size_t, QAction*>> entries;
    bool filled = false;
  };
  Menu& menuTitled(const QString& title);
  QAction* makeAction(std::size_t entry);
  void fill(Menu& m);

  FigureHost& window_;
  QMenuBar* bar_;
  ToolStrip* strip_;
  std::vector<Menu> menus_;
  std::vector<std::pair<Tool, QAction*>> toolActions_;  // once the Tools menu is filled
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
void saveImageDialog(FigureHost& window);
void exportCsvDialog(FigureHost& window, std::optional<double> ax);

}  // namespace rt::qt
