// The notice bar of a figure window and the capture of standard error that
// feeds it.
#include "platform/qt/notices.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <algorithm>
#include <iostream>

namespace rt::qt {

class NoticeScope::Tee : public std::streambuf {
 public:
  explicit Tee(std::streambuf* out) : out_(out) {}
  QString text() const { return QString::fromStdString(seen_); }

 protected:
  int overflow(int c) override {
    if (c == traits_type::eof()) return traits_type::not_eof(c);
    seen_.push_back(static_cast<char>(c));
    return out_ ? out_->sputc(static_cast<char>(c)) : c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    seen_.append(s, static_cast<std::size_t>(n));
    return out_ ? out_->sputn(s, n) : n;
  }
  int sync() override { return out_ ? out_->pubsync() : 0; }

 private:
  std::streambuf* out_;
  std::string seen_;
};

namespace {

// A window keeps only its latest notices: enough for a user (and a test) to
// see what happened, never a growing log.
constexpr int kKept = 20;

const QString kBarName = QStringLiteral("tessivar-notice-bar");

class NoticeBar : public QFrame {
 public:
  explicit NoticeBar(QWidget* window) : QFrame(window) {
    setObjectName(kBarName);
    setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(255, 244, 206));
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);
    // The user keeps typing or stepping where they were.
    setFocusPolicy(Qt::NoFocus);
    text_ = new QLabel(this);
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("\u00d7"));
    close->setToolTip(QStringLiteral("Dismiss"));
    close->setAutoRaise(true);
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QToolButton::clicked, this, [this] {
      latest_.clear();
      hide();
    });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 2, 2);
    row->addWidget(text_, 1);
    row->addWidget(close, 0, Qt::AlignTop);
    hide();
  }

  void add(const QString& text) {
    kept_.append(text);
    while (kept_.size() > kKept) kept_.removeFirst();
    latest_ = text;
    present();
  }

  void stand(const QString& text) {
    if (text == standing_) return;
    standing_ = text;
    present();
  }
  const QString& standing() const { return standing_; }

  void place() {
    QWidget* w = parentWidget();
    int h =
        std::min(heightForWidth(w->width()) > 0 ? heightForWidth(w->width()) : sizeHint().height(),
                 std::max(w->height() / 3, 1));
    setGeometry(0, w->height() - h, w->width(), h);
  }

  const QStringList& kept() const { return kept_; }

 private:
  void present() {
    QStringList shown;
    for (const QString& t : {latest_, standing_})
      if (!t.isEmpty()) shown << t;
    if (shown.isEmpty()) return hide();
    text_->setText(shown.join(QLatin1Char('\n')));
    place();
    show();
    raise();
  }

  QLabel* text_;
  QStringList kept_;
  QString latest_, standing_;
};

// The bar has no meta-object of its own (a window's frames would pass for
// it): it is found by name.
NoticeBar* barOf(const QWidget* window) {
  if (!window) return nullptr;
  return dynamic_cast<NoticeBar*>(window->findChild<QFrame*>(kBarName, Qt::FindDirectChildrenOnly));
}

}  // namespace

namespace {
bool collecting = false;
}

NoticeScope::NoticeScope(QWidget* window) : window_(window), saved_(std::cerr.rdbuf()) {
  if (collecting) return;
  collecting = true;
  tee_ = std::make_unique<Tee>(saved_);
  std::cerr.rdbuf(tee_.get());
}

NoticeScope::~NoticeScope() {
  if (!tee_) return;
  collecting = false;
  std::cerr.flush();
  std::cerr.rdbuf(saved_);
  QString text = tee_->text().trimmed();
  if (!text.isEmpty() && window_) showNotice(window_, text);
}

void showNotice(QWidget* window, const QString& text) {
  if (!window) return;
  NoticeBar* bar = barOf(window);
  if (!bar) bar = new NoticeBar(window);
  bar->add(text);
}

void setStandingNotice(QWidget* window, const QString& text) {
  if (!window) return;
  NoticeBar* bar = barOf(window);
  if (!bar && text.isEmpty()) return;
  if (!bar) bar = new NoticeBar(window);
  bar->stand(text);
}

QString standingNotice(const QWidget* window) {
  NoticeBar* bar = barOf(window);
  return bar ? bar->standing() : QString();
}

QStringList notices(const QWidget* window) {
  NoticeBar* bar = barOf(window);
  return bar ? bar->kept() : QStringList();
}

void placeNoticeBar(QWidget* window) {
  if (NoticeBar* bar = barOf(window)) bar->place();
}

NoticesHidden::NoticesHidden(QWidget* window) {
  NoticeBar* bar = barOf(window);
  if (bar && bar->isVisible()) {
    bar_ = bar;
    bar->hide();
  }
}

NoticesHidden::~NoticesHidden() {
  if (bar_) bar_->show();
}

}  // namespace rt::qt
