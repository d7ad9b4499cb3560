// Messages a user act raised, shown where the user acted: a figure window
// gets a bar along its bottom edge with the latest message and a button that
// dismisses it. The bar takes no focus and blocks nothing, so the next act
// goes ahead as if it were not there. Standard error keeps every message as
// well; the bar shows what the runtime's error handler wrote there during
// the act, word for word.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <sstream>

namespace rt::qt {

// Collects what is written to standard error while it lives (still passing
// it on) and shows it in `window` when it ends. An act started inside
// another (a queued one) belongs to the outer act: an inner scope collects
// nothing of its own.
class NoticeScope {
 public:
  explicit NoticeScope(QWidget* window);
  ~NoticeScope();
  NoticeScope(const NoticeScope&) = delete;
  NoticeScope& operator=(const NoticeScope&) = delete;

 private:
  class Tee;
  QWidget* window_;
  std::unique_ptr<Tee> tee_;
  std::streambuf* saved_;
};

// Shows `text` (one notice, possibly of several lines) in `window`.
void showNotice(QWidget* window, const QString& text);
// A notice that stands while its cause lasts: shown under the latest one
// until the program sets another or clears it with an empty text (a
// dismissed bar comes back only for a new text).
void setStandingNotice(QWidget* window, const QString& text);
QString standingNotice(const QWidget* window);
// The notices `window` showed, oldest first (the last few are kept).
QStringList notices(const QWidget* window);
// Keeps the bar of `window` along its bottom edge after a resize.
void placeNoticeBar(QWidget* window);

// Takes the bar of `window` out of sight while it lives: a figure saved to
// a file shows the figure, not what the user was last told.
class NoticesHidden {
 public:
  explicit NoticesHidden(QWidget* window);
  ~NoticesHidden();
  NoticesHidden(const NoticesHidden&) = delete;
  NoticesHidden& operator=(const NoticesHidden&) = delete;

 private:
  QPointer<QWidget> bar_;
};

}  // namespace rt::qt
