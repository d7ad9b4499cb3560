// Widgets that stand for uicontrols in a figure window, and the binding that
// keeps each one in step with its object's properties.
//
// Writes made by the program reach a widget with its signals blocked; only a
// user act calls back into the object system (rt::gfx::userAct), once per
// act, when the act ends.
#pragma once

#include <QLineEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>
#include <cmath>
#include <string>

class QPainter;

namespace rt::qt {

// What a slider can show of the value it holds: the value itself, nothing
// (an empty or inverted range, or no finite value), or that the value lies
// beyond one end (the thumb then stands at that end).
enum class SliderShows { Value, Nothing, BelowMin, AboveMax };
SliderShows sliderShows(double min, double max, double value);
// Marks a slider drawn as an ordinary one at `bar`, thumb at `thumb`: a
// slider that shows nothing is washed grey, one past an end has its thumb
// drawn in a warning colour. The widget and the renderer's drawing share it,
// so that a saved picture looks like the screen.
void markSlider(QPainter& p, const QRectF& bar, const QRectF& thumb, SliderShows shows);

// Draws the arrow of a slider's arrow button, a dark triangle that grows
// with the button, pointing `direction`; the widget (over its style's
// arrow, which keeps one size) and the renderer's drawing share it.
void drawSliderArrow(QPainter& p, const QRectF& button, Qt::ArrowType direction);

// A slider that looks and acts like a scroll bar with arrows. Its value is a
// double between Min and Max; the scroll bar shows it on an integer grid of
// kSteps. An arrow click moves the value by the small step (SliderStep(1),
// by default 1% of Max - Min), a trough click by the large one (10%), a drag
// sets it; the callback runs when the mouse button is released.
class SliderBar : public QScrollBar {
 public:
  static constexpr int kSteps = 10000;

  SliderBar(double h, QWidget* parent);

  // Shows a value (programmatic: no callback). An empty or inverted range or
  // a value that is not a finite number disables the bar.
  void showState(double min, double max, double value, double smallStep, double largeStep);
  double pendingValue() const { return value_; }
  SliderShows shows() const { return shows_; }
  // Screen area of a part (arrows, trough, thumb), for tests and tools.
  QRect partRect(QStyle::SubControl part) const;
  // The object is gone: later acts do nothing.
  void detach() { handle_ = std::nan(""); }

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void onAction(int action);
  int toPosition(double v) const;
  void commit();

  double handle_;
  double min_ = 0, max_ = 1, value_ = 0;
  double small_ = 0.01, large_ = 0.1;
  bool pressed_ = false;
  bool acted_ = false;
  SliderShows shows_ = SliderShows::Value;
};

// An edit box: Enter, or leaving it after a change (for another control or
// the figure's background), hands its text to the object system.
class EditBox : public QLineEdit {
 public:
  EditBox(double h, QWidget* parent);
  void showText(const QString& text);  // programmatic: no callback
  void detach() { handle_ = std::nan(""); }
  // Typed in and showing other than what it handed over last: its keys
  // (Ctrl+Z) are then the box's own.
  bool editing() const;

 protected:
  void focusOutEvent(QFocusEvent* e) override;

 private:
  void commit();

  double handle_;
  bool dirty_ = false;
};

// One uicontrol's widget inside its figure window.
class ControlView {
 public:
  ControlView(double h, QWidget* window);
  ~ControlView();
  ControlView(const ControlView&) = delete;
  ControlView& operator=(const ControlView&) = delete;

  double handle() const { return handle_; }
  QWidget* widget() const { return widget_; }
  QWidget* window() const { return window_; }
  // Follows a property change; "Style" makes a new widget.
  void propertyChanged(const std::string& name);
  // Position, font and every other property, read anew.
  void sync();
  // The object is gone: no more callbacks, the widget goes away.
  void detach();

 private:
  void create();
  void destroyWidget();

  double handle_;
  QPointer<QWidget> window_;
  QPointer<QWidget> widget_;
  std::string style_;
};

}  // namespace rt::qt
