// Menu bar, toolbar and context menus of a figure window; their entries call
// the window's own save, export and view functions.
#include "platform/qt/figure_menus.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyleOptionToolButton>
#include <QTimer>

#include "platform/graphics/graphics.h"

namespace rt::qt {
namespace {

// The built-in entries of every axes' context menu, first in it, and those
// the program adds after them.
const std::vector<AxesAction>& builtInAxesActions() {
  static const std::vector<AxesAction> actions = {
      {QStringLiteral("Save image..."), {}, [](FigureHost& w, double) { saveImageDialog(w); }},
      {QStringLiteral("Export data as CSV..."),
       {},
       [](FigureHost& w, double ax) { exportCsvDialog(w, ax); }},
      {QStringLiteral("Reset view"), {}, [](FigureHost&, double ax) { resetView(ax); }},
      {QStringLiteral("Data cursor"),
       {},
       [](FigureHost& w, double) { w.setTool(Tool::DataCursor); }},
  };
  return actions;
}
std::vector<AxesAction>& addedAxesActions() {
  static std::vector<AxesAction> actions;
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
       [](FigureHost& w) { exportCsvDialog(w, std::nullopt); }},
      {"File", "Copy image", QKeySequence::Copy, [](FigureHost& w) { w.copyImage(); }},
      {"File", "Close", QKeySequence(Qt::CTRL | Qt::Key_W), [](FigureHost& w) { w.close(); }},
      {"View", "Reset view", {}, [](FigureHost& w) { w.resetAllViews(); }},
      {"View", "Zoom in", QKeySequence::ZoomIn, [](FigureHost& w) { w.zoomAll(0.8); }},
      {"View", "Zoom out", QKeySequence::ZoomOut, [](FigureHost& w) { w.zoomAll(1 / 0.8); }},
  };
  return actions;
}

// The built-in entries, then those that features added.
std::size_t figureActionCount() {
  return figureActions().size() + addedFigureActions().size();
}
const FigureAction& figureAction(std::size_t i) {
  std::size_t builtIn = figureActions().size();
  return i < builtIn ? figureActions()[i] : addedFigureActions()[i - builtIn];
}

// The tools, as the Tools menu and the tool buttons list them.
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
// Space around the tool buttons and between them, in pixels.
constexpr int kStripMargin = 4;
constexpr int kButtonSpacing = 1;

FileDialogs& fileDialogs() {
  static FileDialogs dialogs;
  return dialogs;
}

// Qt's own Open dialog takes what its list holds selected before the name
// box: with a folder left selected there, a full path typed into the box
// and Enter only visited that folder and emptied the box. Enter on a typed
// name of an existing file takes that file, before the dialog's own
// handling (and before its completer's list, which holds the keys while it
// shows).
class TypedFileTaker : public QObject {
 public:
  TypedFileTaker(QFileDialog& dialog, QLineEdit& name)
      : QObject(&dialog), dialog_(dialog), name_(name) {}
  QString taken;

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
    const QFileInfo file(dialog_.directory().filePath(name_.text()));
    if (name_.text().isEmpty() || !file.isFile()) return false;
    taken = file.absoluteFilePath();
    static_cast<QDialog&>(dialog_).done(QDialog::Accepted);  // QFileDialog hides done
    return true;
  }

 private:
  QFileDialog& dialog_;
  QLineEdit& name_;
};

QString askOpenPath(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog dialog(parent, caption, QString(), filter);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QPointer<TypedFileTaker> taker;
  // Qt makes the dialog's widgets as it shows it (none for a desktop's own
  // dialog, which reads its box itself).
  QTimer::singleShot(0, &dialog, [&dialog, &taker] {
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (name == nullptr) return;
    taker = new TypedFileTaker(dialog, *name);
    name->installEventFilter(taker);
    if (name->completer() && name->completer()->popup())
      name->completer()->popup()->installEventFilter(taker);
  });
  if (dialog.exec() != QDialog::Accepted) return {};
  return taker && !taker->taken.isEmpty() ? taker->taken : dialog.selectedFiles().value(0);
}

}  // namespace

void setFileDialogs(FileDialogs dialogs) {
  fileDialogs() = std::move(dialogs);
}

namespace {

// The first suffix a filter such as "PNG image (*.png)" names, without its dot.
QString suffixOf(const QString& filter) {
  const qsizetype dot = filter.indexOf(QStringLiteral("*."));
  if (dot < 0) return {};
  qsizetype end = dot + 2;
  while (end < filter.size() && filter[end] != u' ' && filter[end] != u')') ++end;
  return filter.mid(dot + 2, end - dot - 2);
}

// A name typed without a suffix gets the one of the kind chosen in the dialog,
// so the file says what it holds ("plot" saved as a PNG image is "plot.png",
// not PNG data under a bare name), and the dialog asks before replacing a file
// of the name it will really write.
QString askSavePath(QWidget* parent, const QString& caption, const QString& filter) {
  QFileDialog dialog(parent, caption, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
  QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                   [&dialog](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles().value(0);
}

}  // namespace

QString askPath(QWidget* parent, const QString& caption, const QString& filter, bool forSaving) {
  if (fileDialogs().askPath) return fileDialogs().askPath(parent, caption, filter, forSaving);
  return forSaving ? askSavePath(parent, caption, filter) : askOpenPath(parent, caption, filter);
}

void showFailure(QWidget* parent, const std::string& message) {
  if (message.empty()) return;
  if (fileDialogs().showFailure) return fileDialogs().showFailure(parent, message);
  // Plain text: a file name may hold what Qt would read as markup.
  QMessageBox box(QMessageBox::Warning, parent ? parent->windowTitle() : QString(),
                  QString::fromStdString(message), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void addAxesAction(AxesAction action) {
  addedAxesActions().push_back(std::move(action));
}

void addFigureAction(FigureAction action) {
  addedFigureActions().push_back(std::move(action));
}

QMenu* makeAxesMenu(FigureHost& window, double ax) {
  auto* menu = new QMenu(&window);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // Separators between sections: the built-in entries, each submenu, and
  // each run of the program's own entries between them.
  enum class Section { none, builtIn, submenu, added } last = Section::none;
  const auto begin = [&](Section s) {
    if (last != Section::none && (s != last || s == Section::submenu)) menu->addSeparator();
    last = s;
  };
  const auto add = [&](const AxesAction& a, Section plain) {
    if (a.applies && !a.applies(ax)) return;
    QMenu* into = menu;
    if (!a.submenu.isEmpty()) {
      into = menu->findChild<QMenu*>(a.submenu, Qt::FindDirectChildrenOnly);
      if (into == nullptr) {
        begin(Section::submenu);
        into = menu->addMenu(a.submenu);
        into->setObjectName(a.submenu);
      }
    } else {
      begin(plain);
    }
    QAction* action = into->addAction(a.labelNow ? a.labelNow() : a.label);
    if (a.checked) {
      action->setCheckable(true);
      action->setChecked(a.checked());
    }
    auto run = a.run;
    QObject::connect(action, &QAction::triggered, &window, [&window, ax, run] { run(window, ax); });
  };
  for (const AxesAction& a : builtInAxesActions()) add(a, Section::builtIn);
  for (const AxesAction& a : addedAxesActions()) add(a, Section::added);
  return menu;
}

namespace {

// Rotating is offered only where there is something to rotate.
bool offered(const ToolEntry& t, double fig) {
  if (t.tool != Tool::Rotate) return true;
  if (!gfx::exists(fig)) return false;
  for (double c : gfx::children(fig))
    if (gfx::type(c) == "axes" && isThreeD(c)) return true;
  return false;
}

}  // namespace

ToolStrip::ToolStrip(FigureHost& window) : QWidget(&window), window_(window) {
  setMouseTracking(true);  // the button under the mouse is lit
  setAutoFillBackground(true);
}

QSize ToolStrip::buttonSize(std::size_t i) const {
  if (!offered(kTools[i], window_.figure())) return QSize(-kButtonSpacing, 0);
  QStyleOptionToolButton opt;
  opt.initFrom(this);
  opt.toolButtonStyle = Qt::ToolButtonTextOnly;
  QSize text = fontMetrics().size(Qt::TextShowMnemonic, QString::fromUtf8(kTools[i].label));
  return style()->sizeFromContents(QStyle::CT_ToolButton, &opt, text + QSize(8, 0), this);
}

QRect ToolStrip::buttonRect(std::size_t i) const {
  int x = kStripMargin;
  for (std::size_t j = 0; j < i; ++j) x += buttonSize(j).width() + kButtonSpacing;
  return QRect(QPoint(x, kStripMargin), buttonSize(i));
}

QSize ToolStrip::sizeHint() const {
  QRect last = buttonRect(std::size(kTools) - 1);
  return QSize(last.right() + 1 + kStripMargin, last.bottom() + 1 + kStripMargin);
}

std::optional<std::size_t> ToolStrip::buttonAt(QPoint pos) const {
  for (std::size_t i = 0; i < std::size(kTools); ++i)
    if (offered(kTools[i], window_.figure()) && buttonRect(i).contains(pos)) return i;
  return std::nullopt;
}

void ToolStrip::paintEvent(QPaintEvent*) {
  QPainter p(this);
  for (std::size_t i = 0; i < std::size(kTools); ++i) {
    if (!offered(kTools[i], window_.figure())) continue;
    QStyleOptionToolButton opt;
    opt.initFrom(this);
    opt.rect = buttonRect(i);
    opt.text = QString::fromUtf8(kTools[i].label);
    opt.toolButtonStyle = Qt::ToolButtonTextOnly;
    opt.subControls = QStyle::SC_ToolButton;
    opt.state &= ~QStyle::State_MouseOver;
    opt.state |= QStyle::State_AutoRaise;
    bool on = window_.tool() == kTools[i].tool, under = hovered_ == i,
         down = under && pressed_ == i;
    if (under) opt.state |= QStyle::State_MouseOver;
    if (on) opt.state |= QStyle::State_On;
    if (down) opt.state |= QStyle::State_Sunken;
    if (under && !on && !down) opt.state |= QStyle::State_Raised;
    style()->drawComplexControl(QStyle::CC_ToolButton, &opt, &p, this);
  }
}

void ToolStrip::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mousePressEvent(e);
  pressed_ = buttonAt(e->position().toPoint());
  update();
}

void ToolStrip::mouseMoveEvent(QMouseEvent* e) {
  auto under = buttonAt(e->position().toPoint());
  if (under == hovered_) return;
  hovered_ = under;
  update();
}

// A press and release on the same button turns its tool on, or off when it
// was on.
void ToolStrip::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(e);
  auto released = buttonAt(e->position().toPoint());
  bool chosen = pressed_ && released == pressed_;
  pressed_.reset();
  update();
  if (chosen) {
    Tool t = kTools[*released].tool;
    window_.setTool(window_.tool() == t ? Tool::None : t);
  }
}

void ToolStrip::leaveEvent(QEvent*) {
  hovered_.reset();
  update();
}

FigureMenus::FigureMenus(FigureHost& window)
    : window_(window), bar_(new QMenuBar(&window)), strip_(new ToolStrip(window)) {
  for (const char* title : {"File", "View", "Tools"}) menuTitled(QString::fromUtf8(title));
  for (std::size_t i = 0; i < figureActionCount(); ++i) {
    const FigureAction& a = figureAction(i);
    if (a.applies && !a.applies(window.figure())) continue;
    QAction* made = nullptr;
    if (!a.shortcut.isEmpty()) window.addAction(made = makeAction(i));
    menuTitled(a.menu).entries.emplace_back(i, made);
  }
}

FigureMenus::~FigureMenus() {
  delete bar_;  // with the actions, which leave the window's list as they go
  delete strip_;
}

FigureMenus::Menu& FigureMenus::menuTitled(const QString& title) {
  for (Menu& m : menus_)
    if (m.menu->title() == title) return m;
  QMenu* menu = bar_->addMenu(title);
  QObject::connect(menu, &QMenu::aboutToShow, bar_, [this, title] { fill(menuTitled(title)); });
  return menus_.emplace_back(Menu{menu, {}});
}

QAction* FigureMenus::makeAction(std::size_t entry) {
  const FigureAction& a = figureAction(entry);
  auto* action = new QAction(a.label, bar_);
  action->setShortcut(a.shortcut);
  auto run = a.run;
  FigureHost& window = window_;
  QObject::connect(action, &QAction::triggered, &window, [&window, run] { run(window); });
  return action;
}

void FigureMenus::fill(Menu& m) {
  if (m.filled) return;
  m.filled = true;
  for (auto& [entry, made] : m.entries) m.menu->addAction(made ? made : (made = makeAction(entry)));
  if (m.menu->title() != QStringLiteral("Tools")) return;
  auto* group = new QActionGroup(m.menu);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const ToolEntry& t : kTools) {
    if (!offered(t, window_.figure())) continue;
    QAction* action = m.menu->addAction(QString::fromUtf8(t.label));
    action->setCheckable(true);
    action->setChecked(window_.tool() == t.tool);
    group->addAction(action);
    Tool tool = t.tool;
    FigureHost& window = window_;
    QObject::connect(action, &QAction::triggered, &window,
                     [&window, tool](bool on) { window.setTool(on ? tool : Tool::None); });
    toolActions_.emplace_back(tool, action);
  }
}

void FigureMenus::showTool(Tool t) {
  for (auto& [tool, action] : toolActions_) action->setChecked(tool == t);
  strip_->update();
}

void saveImageDialog(FigureHost& window) {
  QString path =
      askPath(&window, QStringLiteral("Save image"),
              QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"), true);
  if (!path.isEmpty()) showFailure(&window, window.saveImage(path));
}

void exportCsvDialog(FigureHost& window, std::optional<double> ax) {
  QString path =
      askPath(&window, QStringLiteral("Export data"), QStringLiteral("CSV file (*.csv)"), true);
  if (!path.isEmpty()) showFailure(&window, window.exportCsv(path, ax));
}

}  // namespace rt::qt
