// Menu bar, toolbar and context menus of a figure window; their entries call
// the window's own save, export and view functions.
#include "platform/qt/figure_menus.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QMessageBox>

#include "platform/qt/figure_window.h"

namespace rt::qt {
namespace {

std::vector<AxesAction>& axesActions() {
  static std::vector<AxesAction> actions = {
      {QStringLiteral("Save image..."), {}, [](FigureWindow& w, double) { saveImageDialog(w); }},
      {QStringLiteral("Export data as CSV..."),
       {},
       [](FigureWindow& w, double ax) { exportCsvDialog(w, ax); }},
      {QStringLiteral("Reset view"), {}, [](FigureWindow&, double ax) { resetView(ax); }},
      {QStringLiteral("Data cursor"),
       {},
       [](FigureWindow& w, double) { w.setTool(Tool::DataCursor); }},
  };
  return actions;
}

// Entries that features add, kept apart from the built-in ones: those have
// standard shortcuts, which need the application, and features add theirs
// at start-up, before it exists.
std::vector<FigureAction>& addedFigureActions() {
  static std::vector<FigureAction> actions;
  return actions;
}

std::vector<FigureAction>& figureActions() {
  static std::vector<FigureAction> actions = {
      {"File", "Save as PNG, SVG or PDF...", QKeySequence::Save, saveImageDialog},
      {"File",
       "Export data as CSV...",
       {},
       [](FigureWindow& w) { exportCsvDialog(w, std::nullopt); }},
      {"File", "Copy image", QKeySequence::Copy, [](FigureWindow& w) { w.copyImage(); }},
      {"File", "Close", QKeySequence(Qt::CTRL | Qt::Key_W), [](FigureWindow& w) { w.close(); }},
      {"View", "Reset view", {}, [](FigureWindow& w) { w.resetAllViews(); }},
      {"View", "Zoom in", QKeySequence::ZoomIn, [](FigureWindow& w) { w.zoomAll(0.8); }},
      {"View", "Zoom out", QKeySequence::ZoomOut, [](FigureWindow& w) { w.zoomAll(1 / 0.8); }},
  };
  return actions;
}

// The tools, as the Tools menu and the toolbar list them.
struct ToolEntry {
  Tool tool;
  const char* label;
};
constexpr ToolEntry kTools[] = {
    {Tool::Pan, "Pan"},
    {Tool::Zoom, "Zoom"},
    {Tool::Rotate, "Rotate 3-D"},
    {Tool::DataCursor, "Data cursor"},
};

FileDialogs& fileDialogs() {
  static FileDialogs dialogs;
  return dialogs;
}

}  // namespace

void setFileDialogs(FileDialogs dialogs) {
  fileDialogs() = std::move(dialogs);
}

QString askPath(QWidget* parent, const QString& caption, const QString& filter, bool forSaving) {
  if (fileDialogs().askPath) return fileDialogs().askPath(parent, caption, filter, forSaving);
  return forSaving ? QFileDialog::getSaveFileName(parent, caption, QString(), filter)
                   : QFileDialog::getOpenFileName(parent, caption, QString(), filter);
}

void showFailure(QWidget* parent, const std::string& message) {
  if (message.empty()) return;
  if (fileDialogs().showFailure) return fileDialogs().showFailure(parent, message);
  QMessageBox::warning(parent, parent ? parent->windowTitle() : QString(),
                       QString::fromStdString(message));
}

void addAxesAction(AxesAction action) {
  axesActions().push_back(std::move(action));
}

void addFigureAction(FigureAction action) {
  addedFigureActions().push_back(std::move(action));
}

QMenu* makeAxesMenu(FigureWindow& window, double ax) {
  auto* menu = new QMenu(&window);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  for (const AxesAction& a : axesActions()) {
    if (a.applies && !a.applies(ax)) continue;
    auto run = a.run;
    QObject::connect(menu->addAction(a.label), &QAction::triggered, &window,
                     [&window, ax, run] { run(window, ax); });
  }
  return menu;
}

FigureMenus::FigureMenus(FigureWindow& window)
    : window_(window), bar_(new QMenuBar(&window)), tools_(new QToolBar(&window)) {
  auto menuNamed = [this](const QString& title) {
    for (QAction* a : bar_->actions())
      if (a->menu() && a->text() == title) return a->menu();
    return bar_->addMenu(title);
  };
  QMenu* file = menuNamed(QStringLiteral("File"));
  menuNamed(QStringLiteral("View"));
  QMenu* toolsMenu = menuNamed(QStringLiteral("Tools"));
  std::vector<FigureAction> actions = figureActions();
  actions.insert(actions.end(), addedFigureActions().begin(), addedFigureActions().end());
  for (const FigureAction& a : actions) {
    if (a.applies && !a.applies(window.figure())) continue;
    QAction* action = (a.menu == "File" ? file : menuNamed(a.menu))->addAction(a.label);
    action->setShortcut(a.shortcut);
    auto run = a.run;
    QObject::connect(action, &QAction::triggered, &window, [&window, run] { run(window); });
  }
  auto* group = new QActionGroup(bar_);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const ToolEntry& t : kTools) {
    QAction* action = toolsMenu->addAction(QString::fromUtf8(t.label));
    action->setCheckable(true);
    group->addAction(action);
    tools_->addAction(action);
    Tool tool = t.tool;
    QObject::connect(action, &QAction::triggered, &window,
                     [&window, tool](bool on) { window.setTool(on ? tool : Tool::None); });
    toolActions_.emplace_back(tool, action);
  }
  tools_->setMovable(false);
}

void FigureMenus::showTool(Tool t) {
  for (auto& [tool, action] : toolActions_) action->setChecked(tool == t);
}

void saveImageDialog(FigureWindow& window) {
  QString path =
      askPath(&window, QStringLiteral("Save image"),
              QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), true);
  if (!path.isEmpty()) showFailure(&window, window.saveImage(path));
}

void exportCsvDialog(FigureWindow& window, std::optional<double> ax) {
  QString path =
      askPath(&window, QStringLiteral("Export data"), QStringLiteral("CSV file (*.csv)"), true);
  if (!path.isEmpty()) showFailure(&window, window.exportCsv(path, ax));
}

}  // namespace rt::qt
