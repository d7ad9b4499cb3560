// The window of a figure: painting, the layouts of its axes, the mouse and
// its marks over the figure, and its files.
#include "platform/qt/figure_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <limits>

#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/figure_menus.h"
#include "platform/qt/file_output.h"
#include "platform/qt/notices.h"

namespace rt::qt {
namespace {

// How near (in pixels) the mouse must come to a data point to mark it.
constexpr double kHoverReach = 8;

std::function<std::string(double)>& standingWording() {
  static std::function<std::string(double)> wording;
  return wording;
}

}  // namespace

void setStandingNotices(std::function<std::string(double fig)> wording) {
  const bool first = !standingWording();
  standingWording() = std::move(wording);
  if (!first) return;
  gfx::addActObserver([] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* f = dynamic_cast<FigureWindow*>(w)) f->refreshStandingNotice();
  });
}

void FigureWindow::refreshStandingNotice() {
  if (!standingWording() || !gfx::exists(fig_)) return;
  std::string text;
  try {
    text = standingWording()(fig_);
  } catch (const std::exception& e) {
    reportError(e);
  }
  setStandingNotice(this, QString::fromStdString(text));
}

// A window shows while its program may still be making its controls: the
// notice is worded once that is done.
void FigureWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  QTimer::singleShot(0, this, [this] { refreshStandingNotice(); });
}

FigureWindow::FigureWindow(double fig, std::function<void()> onResize,
                           std::function<void()> onClose)
    : fig_(fig), onResize_(std::move(onResize)), onClose_(std::move(onClose)) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::ClickFocus);  // a click on the background leaves an edit box
  setMouseTracking(true);          // the data cursor follows the mouse
}

FigureWindow::~FigureWindow() = default;

void FigureWindow::detach() {
  onResize_ = nullptr;
  onClose_ = nullptr;
}

void FigureWindow::showMenus(bool on) {
  if (on == static_cast<bool>(menus_)) return;
  if (on) {
    menus_ = std::make_unique<FigureMenus>(*this);
    menus_->showTool(tool());
    menus_->menuBar()->show();
    menus_->toolStrip()->show();
  } else {
    menus_.reset();
  }
  resizeEvent(nullptr);
}

int FigureWindow::menuHeight() const {
  if (!menus_) return 0;
  return menus_->menuBar()->sizeHint().height() + menus_->toolStrip()->sizeHint().height();
}

std::optional<AxesLayout> FigureWindow::axesAt(QPointF pixel) const {
  // Later axes are painted over earlier ones. An axes deleted since the last
  // paint is still listed until the repaint that its deletion asked for.
  auto hit = std::find_if(layouts_.rbegin(), layouts_.rend(), [&](const AxesLayout& l) {
    return l.box.contains(pixel) && gfx::exists(l.axes);
  });
  if (hit == layouts_.rend()) return std::nullopt;
  return *hit;
}

void FigureWindow::setTool(Tool t) {
  interaction_.setTool(t);
  if (menus_) menus_->showTool(t);
  if (t != Tool::DataCursor) tip_.reset();
  update();
}

void FigureWindow::objectChanged(double h, const std::string& name) {
  // The marks over the figure may stand anywhere in the window, and a line
  // moved to other axes leaves the first ones too: the whole window then.
  if (tip_ || interaction_.rubberBand() || name == "Parent") {
    bool data = name == "XData" || name == "YData" || name == "ZData" || name == "CData";
    if (tip_ && ((h == tip_->object && data) || !gfx::exists(tip_->object))) tip_.reset();
    update();
    return;
  }
  for (int depth = 0; depth < 64 && h != fig_ && gfx::exists(h); ++depth) {
    auto painted = std::find_if(layouts_.begin(), layouts_.end(),
                                [h](const AxesLayout& l) { return l.axes == h; });
    if (painted != layouts_.end()) {
      update(painted->extent.toAlignedRect());
      return;
    }
    h = gfx::parent(h);
  }
  update();
}

void FigureWindow::resetAllViews() {
  for (const AxesLayout& l : std::vector<AxesLayout>(layouts_)) resetView(l.axes);
}

void FigureWindow::zoomAll(double factor) {
  for (const AxesLayout& l : std::vector<AxesLayout>(layouts_))
    zoomAbout(l, l.box.center(), factor);
}

QImage FigureWindow::figureImage() {
  toFile_ = true;
  QPixmap pixmap = grab(figureRect());
  toFile_ = false;
  return pixmap.toImage();
}

void FigureWindow::copyImage() {
  QApplication::clipboard()->setImage(figureImage());
}

std::string FigureWindow::saveImage(const QString& path) {
  QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg")) return saveSvg(path);
  if (suffix == QLatin1String("pdf")) return savePdf(path);
  return savePng(path);
}

std::string FigureWindow::savePng(const QString& path) {
  return writePng(path, figureImage());
}

std::string FigureWindow::saveSvg(const QString& path) {
  return writeSvg(path, figureRect().size(), windowTitle(),
                  [this](QPainter& p) { renderToFile(p); });
}

std::string FigureWindow::savePdf(const QString& path) {
  return writePdf(path, figureRect().size(), windowTitle(),
                  [this](QPainter& p) { renderToFile(p); });
}

void FigureWindow::renderToFile(QPainter& painter) {
  toFile_ = true;
  render(&painter, QPoint(), QRegion(figureRect()));
  toFile_ = false;
}

std::string FigureWindow::exportCsv(const QString& path, std::optional<double> ax) {
  std::string text;
  try {
    text = ax ? gfx::axesCsv(*ax) : gfx::figureCsv(fig_);
  } catch (const std::exception& e) {
    return path.toStdString() + ": " + e.what();
  }
  return writeFile(path, QByteArray::fromStdString(text));
}

void FigureWindow::paintEvent(QPaintEvent* event) {
  QPainter p(this);
  try {
    QRect area = figureRect();
    if (toFile_) {
      paintFigure(p, fig_, area.size(), PaintOptions{.controls = false, .origin = area.topLeft()});
      return;
    }
    // The window paints all of itself (it is opaque): the menus' strip too.
    if (area.top() > 0) p.fillRect(QRect(0, 0, width(), area.top()), palette().window());
    std::vector<AxesLayout> before = layouts_;
    paintFigure(p, fig_, area.size(),
                PaintOptions{.controls = false,
                             .layouts = &layouts_,
                             .origin = area.topLeft(),
                             .region = &event->region()});
    repaintGrowth(before, event->region());
    paintOverlay(p);
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void FigureWindow::repaintGrowth(const std::vector<AxesLayout>& before, const QRegion& painted) {
  for (AxesLayout& now : layouts_) {
    QRegion grown = QRegion(now.extent.toAlignedRect()) - painted;
    for (const AxesLayout& was : before) {
      if (was.axes != now.axes) continue;
      grown -= QRegion(was.extent.toAlignedRect());
      // While the box stays, the part kept covers the old one too: tick
      // labels that change width from one act to the next then stay inside
      // it and need no second paint.
      if (was.box == now.box) now.extent |= was.extent;
    }
    if (!grown.isEmpty()) update(grown);
  }
}

// The marked data point and the zoom band: marks of the front end only,
// never written into the figure's objects.
void FigureWindow::paintOverlay(QPainter& p) {
  if (std::optional<QRectF> band = interaction_.rubberBand()) {
    p.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
    p.setBrush(QColor(0, 90, 200, 40));
    p.drawRect(*band);
  }
  if (!tip_) return;
  if (!gfx::exists(tip_->object)) {
    tip_.reset();
    return;
  }
  std::optional<QPointF> at;
  for (const AxesLayout& l : layouts_)
    if (!at) at = tipPixel(*tip_, l);
  if (!at) return;
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(255, 140, 0));
  p.drawEllipse(*at, 4, 4);
  QFontMetricsF fm(font());
  QRectF text = fm.boundingRect(QRectF(0, 0, 1000, 1000), Qt::AlignLeft, tip_->text);
  QRectF box(*at + QPointF(10, -text.height() - 14), text.size() + QSizeF(10, 8));
  // Kept inside the window where the point lies near its edge.
  box.moveLeft(std::clamp(box.left(), 0.0, std::max(0.0, width() - box.width())));
  box.moveTop(std::clamp(box.top(), double(figureRect().top()),
                         std::max(double(figureRect().top()), height() - box.height())));
  p.setPen(QPen(QColor(60, 60, 60), 1));
  p.setBrush(QColor(255, 255, 225));
  p.drawRect(box);
  p.setPen(Qt::black);
  p.drawText(box.adjusted(5, 4, -5, -4), Qt::AlignLeft | Qt::AlignTop, tip_->text);
}

void FigureWindow::pick(QPointF pos, double reach, bool linesOnly) {
  std::optional<DataTip> found;
  std::optional<AxesLayout> at = axesAt(pos);
  if (at && !(linesOnly && at->threeD())) found = nearestPoint(*at, pos, reach);
  bool changed = found.has_value() != tip_.has_value() ||
                 (found && (found->object != tip_->object || found->text != tip_->text));
  tip_ = std::move(found);
  if (changed) update();
}

void FigureWindow::resizeEvent(QResizeEvent* e) {
  if (e) QWidget::resizeEvent(e);
  int top = 0;
  if (menus_) {
    int barHeight = menus_->menuBar()->sizeHint().height();
    menus_->menuBar()->setGeometry(0, 0, width(), barHeight);
    menus_->toolStrip()->setGeometry(0, barHeight, width(),
                                     menus_->toolStrip()->sizeHint().height());
    top = menuHeight();
  }
  setContentsMargins(0, top, 0, 0);
  if (onResize_) onResize_();
}

void FigureWindow::closeEvent(QCloseEvent* e) {
  e->ignore();
  if (onClose_) {
    auto close = onClose_;  // the call may detach this window
    close();
  }
}

void FigureWindow::mousePressEvent(QMouseEvent* e) {
  QPointF pos = e->position();
  if (e->button() == Qt::LeftButton && tool() == Tool::DataCursor) {
    pick(pos, std::numeric_limits<double>::infinity(), false);
    if (tip_) tipPicked(*tip_);
    return;
  }
  if (!interaction_.press(axesAt(pos), pos, e->button())) QWidget::mousePressEvent(e);
}

void FigureWindow::mouseMoveEvent(QMouseEvent* e) {
  QPointF pos = e->position();
  if (interaction_.move(pos)) {
    update();  // the band follows the mouse
    return;
  }
  // Hovering near a line marks its point; in data-cursor mode a click's mark
  // stays where it was put.
  if (e->buttons() == Qt::NoButton && tool() == Tool::None) pick(pos, kHoverReach, true);
}

void FigureWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (interaction_.release(e->position())) {
    update();
    return;
  }
  QWidget::mouseReleaseEvent(e);
}

void FigureWindow::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !interaction_.doubleClick(axesAt(e->position())))
    QWidget::mouseDoubleClickEvent(e);
}

void FigureWindow::wheelEvent(QWheelEvent* e) {
  QPointF pos = e->position();
  if (interaction_.wheel(axesAt(pos), pos, e->angleDelta().y() / 120.0)) {
    e->accept();
  } else {
    QWidget::wheelEvent(e);
  }
}

void FigureWindow::contextMenuEvent(QContextMenuEvent* e) {
  std::optional<AxesLayout> at = axesAt(e->pos());
  if (!at) return QWidget::contextMenuEvent(e);
  makeAxesMenu(*this, at->axes)->popup(e->globalPos());
}

// A window without a menu bar keeps all it offers beyond its controls in its
// axes' context menus: resting the mouse on an axes says so, unless a data
// tip already speaks there.
bool FigureWindow::event(QEvent* e) {
  if (e->type() != QEvent::ToolTip || menus_) return QWidget::event(e);
  const QHelpEvent* help = static_cast<QHelpEvent*>(e);
  if (axesAt(help->pos()) && !tip_)
    QToolTip::showText(help->globalPos(), kContextMenuHint, this);
  else
    QToolTip::hideText();
  return true;
}

void FigureWindow::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_Escape && tool() != Tool::None) {
    setTool(Tool::None);
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace rt::qt
