#include "platform/qt/controls.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <algorithm>
#include <limits>

#include "platform/graphics/graphics.h"
#include "platform/qt/notices.h"
#include "platform/qt/props.h"
#include "platform/qt/text_drawing.h"

namespace rt::qt {
namespace {

// Runs a user act of `from`; errors are reported, on standard error and in
// the window the user acted in, and never reach Qt's event loop.
void act(QWidget* from, double h,
         std::initializer_list<std::pair<std::string_view, Array>> changes) {
  NoticeScope notices(from ? from->window() : nullptr);
  try {
    if (!std::isfinite(h) || !gfx::exists(h)) return;
    gfx::userAct(h, changes);
  } catch (const std::exception& e) {
    reportError(e);
  }
}

// Whatever the platform's habit, a click in a slider's trough steps by the
// large step rather than jumping to the click.
class TroughStepStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* data) const override {
    if (hint == SH_ScrollBar_LeftClickAbsolutePosition) return 0;
    return QProxyStyle::styleHint(hint, option, widget, data);
  }
  // The arrow buttons are as long as the bar is thick, whatever the screen:
  // a thick bar on a dense screen keeps arrows a finger can hit.
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    int base = QProxyStyle::pixelMetric(metric, option, widget);
    if (metric == PM_ScrollBarExtent && widget) {
      auto* bar = qobject_cast<const QScrollBar*>(widget);
      if (bar) {
        int thick = bar->orientation() == Qt::Horizontal ? bar->height() : bar->width();
        return std::max(base, thick);
      }
    }
    return base;
  }
};

// One style for every slider, living as long as the application.
QStyle* troughStepStyle() {
  static QPointer<QStyle> style;
  if (!style) {
    style = new TroughStepStyle;
    style->setParent(QCoreApplication::instance());
  }
  return style;
}

Qt::Alignment horizontalAlignment(double h, Qt::Alignment fallback) {
  std::string a = propKeyword(h, "HorizontalAlignment");
  if (a == "left") return Qt::AlignLeft;
  if (a == "right") return Qt::AlignRight;
  if (a == "center") return Qt::AlignHCenter;
  return fallback;
}

}  // namespace

// ------------------------------------------------------------- slider
SliderShows sliderShows(double min, double max, double value) {
  if (!(std::isfinite(min) && std::isfinite(max) && min < max && std::isfinite(value)))
    return SliderShows::Nothing;
  if (value < min) return SliderShows::BelowMin;
  if (value > max) return SliderShows::AboveMax;
  return SliderShows::Value;
}

void drawSliderArrow(QPainter& p, const QRectF& button, Qt::ArrowType direction) {
  double size = std::min(button.width(), button.height()) * 0.3;
  QPointF tip = direction == Qt::LeftArrow    ? QPointF(-size, 0)
                : direction == Qt::RightArrow ? QPointF(size, 0)
                : direction == Qt::UpArrow    ? QPointF(0, -size)
                                              : QPointF(0, size);
  QPointF across(tip.y(), -tip.x());
  QPointF c = button.center();
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(64, 64, 64));
  p.drawPolygon(QPolygonF({c + tip, c - tip / 2 + across, c - tip / 2 - across}));
  p.restore();
}

void markSlider(QPainter& p, const QRectF& bar, const QRectF& thumb, SliderShows shows) {
  if (shows == SliderShows::Value) return;
  p.save();
  if (shows == SliderShows::Nothing) {
    p.fillRect(bar, QColor(236, 236, 236, 190));
  } else {
    QColor warn(214, 92, 0);
    p.fillRect(thumb, QColor(warn.red(), warn.green(), warn.blue(), 150));
    double w = std::max(2.0, std::min(thumb.width(), thumb.height()) / 8);
    p.setPen(QPen(warn, w));
    p.setBrush(Qt::NoBrush);
    p.drawRect(thumb.adjusted(w / 2, w / 2, -w / 2, -w / 2));
  }
  p.restore();
}

SliderBar::SliderBar(double h, QWidget* parent) : QScrollBar(Qt::Horizontal, parent), handle_(h) {
  setRange(0, kSteps);
  setTracking(true);
  // A click takes the focus, so that an edit box being typed in hands its
  // text over before the slider acts; Tab reaches it too, for its keys.
  setFocusPolicy(Qt::StrongFocus);
  setStyle(troughStepStyle());
  connect(this, &QAbstractSlider::actionTriggered, this, [this](int a) { onAction(a); });
}

void SliderBar::showState(double min, double max, double value, double smallStep,
                          double largeStep) {
  QSignalBlocker block(this);
  shows_ = sliderShows(min, max, value);
  bool usable = shows_ != SliderShows::Nothing;
  min_ = min;
  max_ = max;
  small_ = std::isfinite(smallStep) && smallStep > 0 ? smallStep : 0.01;
  large_ = std::isfinite(largeStep) && largeStep > 0 ? largeStep : 0.1;
  setSingleStep(std::clamp(static_cast<int>(std::lround(small_ * kSteps)), 1, kSteps));
  setPageStep(std::clamp(static_cast<int>(std::lround(large_ * kSteps)), 1, kSteps));
  if (usable) {
    value_ = std::clamp(value, min, max);
    setValue(toPosition(value_));
  } else {
    value_ = value;
    setValue(0);
    acted_ = false;  // nothing the user did can be handed over now
  }
  setEnabled(usable);
  update();
}

// A vertical bar has Min at the bottom: its grid (which Qt counts from the
// top) runs the other way.
int SliderBar::toPosition(double v) const {
  if (!(max_ > min_)) return 0;
  double f = std::clamp((v - min_) / (max_ - min_), 0.0, 1.0);
  if (orientation() == Qt::Vertical) f = 1 - f;
  return static_cast<int>(std::lround(f * kSteps));
}

void SliderBar::onAction(int action) {
  if (!(max_ > min_) || !std::isfinite(value_)) return;
  double range = max_ - min_;
  // Qt's "add" moves right, or down on a vertical bar, where values fall.
  double sign = orientation() == Qt::Vertical ? -1 : 1;
  double v = value_;
  switch (action) {
    case SliderSingleStepAdd:
      v += sign * small_ * range;
      break;
    case SliderSingleStepSub:
      v -= sign * small_ * range;
      break;
    case SliderPageStepAdd:
      v += sign * large_ * range;
      break;
    case SliderPageStepSub:
      v -= sign * large_ * range;
      break;
    case SliderToMinimum:
      v = sign > 0 ? min_ : max_;
      break;
    case SliderToMaximum:
      v = sign > 0 ? max_ : min_;
      break;
    case SliderMove: {
      double f = static_cast<double>(sliderPosition()) / kSteps;
      v = min_ + (sign > 0 ? f : 1 - f) * range;
      break;
    }
    default:
      return;
  }
  value_ = std::clamp(v, min_, max_);
  if (action != SliderMove) setSliderPosition(toPosition(value_));
  acted_ = true;
}

void SliderBar::commit() {
  if (!acted_) return;
  acted_ = false;
  act(this, handle_, {{"Value", scalar(value_)}});
}

void SliderBar::mousePressEvent(QMouseEvent* e) {
  pressed_ = true;
  acted_ = false;
  QScrollBar::mousePressEvent(e);
}

void SliderBar::mouseReleaseEvent(QMouseEvent* e) {
  QScrollBar::mouseReleaseEvent(e);
  if (!pressed_ || e->buttons() != Qt::NoButton) return;
  pressed_ = false;
  commit();
}

void SliderBar::keyPressEvent(QKeyEvent* e) {
  QScrollBar::keyPressEvent(e);
  if (!pressed_) commit();
}

void SliderBar::wheelEvent(QWheelEvent* e) {
  QScrollBar::wheelEvent(e);
  if (!pressed_) commit();
}

void SliderBar::contextMenuEvent(QContextMenuEvent* e) {
  e->ignore();
}

void SliderBar::paintEvent(QPaintEvent* e) {
  QScrollBar::paintEvent(e);
  QPainter p(this);
  bool horizontal = orientation() == Qt::Horizontal;
  drawSliderArrow(p, partRect(QStyle::SC_ScrollBarSubLine),
                  horizontal ? Qt::LeftArrow : Qt::UpArrow);
  drawSliderArrow(p, partRect(QStyle::SC_ScrollBarAddLine),
                  horizontal ? Qt::RightArrow : Qt::DownArrow);
  markSlider(p, rect(), partRect(QStyle::SC_ScrollBarSlider), shows_);
  // The keys step the slider that has the keyboard: it says which one.
  if (hasFocus()) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
}

void SliderBar::focusInEvent(QFocusEvent* e) {
  QScrollBar::focusInEvent(e);
  update();
}

void SliderBar::focusOutEvent(QFocusEvent* e) {
  QScrollBar::focusOutEvent(e);
  update();
}

QRect SliderBar::partRect(QStyle::SubControl part) const {
  QStyleOptionSlider opt;
  initStyleOption(&opt);
  return style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, this);
}

// ---------------------------------------------------------------- edit
EditBox::EditBox(double h, QWidget* parent) : QLineEdit(parent), handle_(h) {
  // Qt's default limit (32767 characters) would cut a longer paste, and a
  // longer "String", short without a word.
  setMaxLength(std::numeric_limits<int>::max());
  connect(this, &QLineEdit::textEdited, this, [this] { dirty_ = true; });
  connect(this, &QLineEdit::returnPressed, this, [this] { commit(); });
}

void EditBox::showText(const QString& text) {
  QSignalBlocker block(this);
  if (this->text() != text) setText(text);
  dirty_ = false;
}

void EditBox::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  // A context menu or another application taking the focus for a while is
  // not leaving the box.
  if (e->reason() == Qt::PopupFocusReason || e->reason() == Qt::ActiveWindowFocusReason) return;
  if (dirty_) commit();
}

bool EditBox::editing() const {
  return dirty_ && std::isfinite(handle_) && gfx::exists(handle_) &&
         text() != propLines(handle_, "String").join(QLatin1Char(' '));
}

void EditBox::commit() {
  dirty_ = false;
  act(this, handle_, {{"String", str(text().toStdString())}});
}

// -------------------------------------------------------- control view
ControlView::ControlView(double h, QWidget* window) : handle_(h), window_(window) {
  create();
  sync();
}

ControlView::~ControlView() {
  detach();
}

void ControlView::detach() {
  handle_ = std::nan("");
  destroyWidget();
}

void ControlView::destroyWidget() {
  if (!widget_) return;
  if (auto* s = dynamic_cast<SliderBar*>(widget_.data())) s->detach();
  if (auto* e = dynamic_cast<EditBox*>(widget_.data())) e->detach();
  QWidget* w = widget_;
  widget_ = nullptr;
  // The widget may be in the middle of its own event (a callback that
  // deletes its control): let the event loop delete it.
  w->hide();
  w->setParent(nullptr);
  w->deleteLater();
}

void ControlView::create() {
  if (!window_ || !std::isfinite(handle_)) return;
  style_ = propKeyword(handle_, "Style");
  QWidget* w = nullptr;
  if (style_ == "slider") {
    w = new SliderBar(handle_, window_);
  } else if (style_ == "edit") {
    w = new EditBox(handle_, window_);
  } else if (style_ == "frame") {
    auto* f = new QFrame(window_);
    f->setFrameStyle(QFrame::Panel | QFrame::Raised);
    f->setLineWidth(1);
    w = f;
  } else if (style_ == "popupmenu") {
    // Its items are the String's lines, the chosen one's place (from 1) its Value.
    auto* c = new QComboBox(window_);
    double h = handle_;
    QObject::connect(c, &QComboBox::activated, c, [c, h](int i) {
      act(c, h, {{"Value", scalar(i + 1)}});
    });
    w = c;
  } else if (style_ == "pushbutton") {
    auto* b = new QPushButton(window_);
    double h = handle_;
    QObject::connect(b, &QPushButton::clicked, b, [b, h] { act(b, h, {}); });
    w = b;
  } else {
    // Static texts, and the styles this front end shows as plain labels.
    auto* l = new QLabel(window_);
    l->setTextFormat(Qt::PlainText);
    w = l;
  }
  w->setAutoFillBackground(style_ != "slider" && style_ != "pushbutton");
  widget_ = w;
  w->show();
}

void ControlView::propertyChanged(const std::string& name) {
  if (!std::isfinite(handle_)) return;
  if (name == "Style" && propKeyword(handle_, "Style") != style_) {
    destroyWidget();
    create();
  }
  sync();
}

void ControlView::sync() {
  if (!widget_ || !window_ || !std::isfinite(handle_) || !gfx::exists(handle_)) return;
  QWidget* w = widget_;
  double h = handle_;
  QRectF r = positionRect(h, QRectF(window_->contentsRect()));  // below any menus
  w->setGeometry(r.toAlignedRect());

  QPalette pal = w->palette();
  std::optional<QColor> bg = propColor(h, "BackgroundColor");
  std::optional<QColor> fg = propColor(h, "ForegroundColor");
  if (bg) {
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
      if (style_ == "slider" && role == QPalette::Button) continue;
      pal.setColor(role, *bg);
    }
  }
  if (fg) {
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
      pal.setColor(role, *fg);
    }
  }
  w->setPalette(pal);
  QStringList lines = propLines(h, "String");
  QFont font = render::legibleFont(propFont(h, std::max(r.height(), 1.0)), w->devicePixelRatioF());
  // Fonts differ from one system to the next: a caption too wide for its
  // box is shown smaller, a number with fewer digits, rather than cut off.
  if (dynamic_cast<QLabel*>(w))
    lines = render::fitCaption(lines, font, r.width() - 1, w->devicePixelRatioF(), r.height());
  w->setFont(font);

  if (auto* s = dynamic_cast<SliderBar*>(w)) {
    s->setOrientation(r.width() >= r.height() ? Qt::Horizontal : Qt::Vertical);
    // A scroll bar inverts its keys by default, which on a horizontal bar
    // sent the Right arrow to the left; an upright one (Min at the bottom)
    // keeps it, so that Up raises the value.
    s->setInvertedControls(s->orientation() == Qt::Vertical);
    std::vector<double> steps = propValues(h, "SliderStep");
    double value = propScalar(h, "Value", std::nan(""));
    s->showState(propScalar(h, "Min", 0), propScalar(h, "Max", 1), value,
                 steps.size() >= 2 ? steps[0] : 0.01, steps.size() >= 2 ? steps[1] : 0.1);
  } else if (auto* e = dynamic_cast<EditBox*>(w)) {
    e->showText(lines.join(QLatin1Char(' ')));
    e->setAlignment(horizontalAlignment(h, Qt::AlignHCenter) | Qt::AlignVCenter);
  } else if (auto* b = dynamic_cast<QPushButton*>(w)) {
    b->setText(lines.join(QLatin1Char(' ')));
  } else if (auto* c = dynamic_cast<QComboBox*>(w)) {
    const QSignalBlocker quiet(c);
    QStringList items;
    for (int i = 0; i < c->count(); ++i) items.push_back(c->itemText(i));
    if (items != lines) {
      c->clear();
      c->addItems(lines);
    }
    c->setCurrentIndex(static_cast<int>(propScalar(h, "Value", 1)) - 1);
  } else if (auto* l = dynamic_cast<QLabel*>(w)) {
    l->setText(lines.join(QLatin1Char('\n')));
    l->setAlignment(horizontalAlignment(h, Qt::AlignHCenter) | Qt::AlignTop);
  }
  std::string enable = propKeyword(h, "Enable");
  if (!dynamic_cast<SliderBar*>(w) || enable == "off" || enable == "inactive") {
    w->setEnabled(enable != "off" && enable != "inactive");
  }
  w->setVisible(propOn(h, "Visible", true));
}

}  // namespace rt::qt
