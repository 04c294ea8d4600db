#include "navigator.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>

#include "app/navigator_glyphs.h"
#include "app/navigator_timer.h"
#include "data/data_set.h"
#include "data/data_source.h"
#include "toolkit/glyph_button.h"
#include "toolkit/ui_services.h"

namespace app {

namespace {
constexpr int kDefaultWidth = 241;
constexpr int kDefaultHeight = 25;
constexpr int kFocusInset = 3;

const char* const kButtonNames[kNavigatorButtonCount] = {
    "FIRST", "PRIOR", "NEXT", "LAST", "INSERT", "DELETE", "EDIT", "POST", "CANCEL", "REFRESH"};
const char* const kDefaultHints[kNavigatorButtonCount] = {
    "First record",  "Prior record", "Next record", "Last record", "Insert record",
    "Delete record", "Edit record",  "Post edit",   "Cancel edit", "Refresh data"};
}  // namespace

// One button of the bar. It never takes the focus itself: the bar has it and
// marks one button, drawn with a focus rectangle.
class NavigatorButton : public toolkit::GlyphButton {
 public:
  NavigatorButton(TDBNavigator* navigator, TNavigateBtn kind)
      : toolkit::GlyphButton(navigator), navigator_(navigator), kind_(kind) {
    setFocusPolicy(Qt::NoFocus);
    setGlyph(NavigatorGlyph(TDBNavigator::GlyphName(kind)), 2);
  }
  TNavigateBtn Kind() const { return kind_; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    toolkit::GlyphButton::paintEvent(event);
    if (!navigator_->hasFocus() || navigator_->FocusedButton() != kind_) return;
    QPainter painter(this);
    QRect mark = rect().adjusted(kFocusInset, kFocusInset, -kFocusInset, -kFocusInset);
    if (isDown()) mark.translate(1, 1);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    painter.drawRect(mark.adjusted(0, 0, -1, -1));
  }

 private:
  TDBNavigator* navigator_;
  TNavigateBtn kind_;
};

void TNavDataLink::ActiveChanged() {
  navigator_->ActiveChanged();
}
void TNavDataLink::DataSetChanged() {
  navigator_->DataChanged();
}
void TNavDataLink::EditingChanged() {
  navigator_->EditingChanged();
}

TDBNavigator::TDBNavigator(QWidget* parent)
    : QWidget(parent), timer_(std::make_unique<QtRepeatTimer>()) {
  visible_.fill(true);
  for (int i = 0; i < kNavigatorButtonCount; ++i) {
    auto kind = static_cast<TNavigateBtn>(i);
    auto* button = new NavigatorButton(this, kind);
    buttons_[static_cast<size_t>(i)] = button;
    connect(button, &QAbstractButton::clicked, this, [this, kind] { BtnClick(kind); });
    if (kind == nbPrior || kind == nbNext) {
      connect(button, &QAbstractButton::pressed, this, [this, kind] { StartRepeat(kind); });
      connect(button, &QAbstractButton::released, this, [this] { StopRepeat(); });
    }
  }
  timer_->onTick = [this] { RepeatTick(); };
  setFocusPolicy(Qt::NoFocus);
  UpdateHints();
  resize(kDefaultWidth, kDefaultHeight);
  Relayout();
  ActiveChanged();
}

TDBNavigator::~TDBNavigator() {
  link_.SetDataSource(nullptr);
}

void TDBNavigator::SetDataSource(data::TwwDataSource* source) {
  link_.SetDataSource(source);
  // The link reports only a change of its active state; a bar attached to an
  // inactive source or detached from one must still show the right buttons.
  ActiveChanged();
}

std::string TDBNavigator::GlyphName(TNavigateBtn button) {
  return std::string("DBN_") + kButtonNames[button];
}

std::string TDBNavigator::DefaultHint(TNavigateBtn button) {
  return kDefaultHints[button];
}

std::string TDBNavigator::Hint(TNavigateBtn button) const {
  if (static_cast<size_t>(button) < hints_.size() && !hints_[button].empty()) return hints_[button];
  return DefaultHint(button);
}

void TDBNavigator::SetHints(const std::vector<std::string>& hints) {
  hints_ = hints;
  UpdateHints();
}

void TDBNavigator::UpdateHints() {
  for (int i = 0; i < kNavigatorButtonCount; ++i)
    buttons_[static_cast<size_t>(i)]->setToolTip(
        QString::fromStdString(Hint(static_cast<TNavigateBtn>(i))));
}

void TDBNavigator::SetVisibleButtons(const ButtonSet& visible) {
  visible_ = visible;
  for (int i = 0; i < kNavigatorButtonCount; ++i)
    buttons_[static_cast<size_t>(i)]->setVisible(visible_[static_cast<size_t>(i)]);
  if (!visible_[focused_]) {
    for (int i = 0; i < kNavigatorButtonCount; ++i)
      if (visible_[static_cast<size_t>(i)]) {
        focused_ = static_cast<TNavigateBtn>(i);
        break;
      }
  }
  Relayout();
}

void TDBNavigator::SetFlat(bool flat) {
  flat_ = flat;
  for (auto* button : buttons_) button->setFlat(flat);
}

void TDBNavigator::SetAligned(bool aligned) {
  aligned_ = aligned;
  Relayout();
}

void TDBNavigator::SetTabStop(bool tabStop) {
  setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::NoFocus);
}

QAbstractButton* TDBNavigator::Button(TNavigateBtn button) const {
  return buttons_[button];
}

void TDBNavigator::SetRepeatTimer(std::unique_ptr<RepeatTimer> timer) {
  timer_ = std::move(timer);
  timer_->onTick = [this] { RepeatTick(); };
}

// ---------------------------------------------------------------- layout

void TDBNavigator::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Relayout();
}

void TDBNavigator::Relayout() {
  if (layingOut_) return;
  layingOut_ = true;
  NavigatorGeometry geometry = LayoutNavigator(width(), height(), visible_, aligned_);
  if (geometry.width != width() || geometry.height != height())
    resize(geometry.width, geometry.height);
  for (int i = 0; i < kNavigatorButtonCount; ++i) {
    const ButtonBox& box = geometry.buttons[static_cast<size_t>(i)];
    buttons_[static_cast<size_t>(i)]->setGeometry(box.left, box.top, box.width, box.height);
  }
  setMinimumSize(
      std::max<int>(1, static_cast<int>(std::count(visible_.begin(), visible_.end(), true))) *
          kNavigatorMinButtonWidth,
      kNavigatorMinHeight);
  layingOut_ = false;
}

// ---------------------------------------------------------------- enabling

bool TDBNavigator::Live() const {
  return isEnabled() && link_.Active();
}

bool TDBNavigator::Modifiable() const {
  return Live() && link_.DataSet()->CanModify();
}

void TDBNavigator::ActiveChanged() {
  if (!Live()) {
    for (auto* button : buttons_) button->setEnabled(false);
    return;
  }
  DataChanged();
  EditingChanged();
}

void TDBNavigator::DataChanged() {
  bool live = Live();
  data::TDataSet* dataSet = link_.DataSet();
  bool up = live && !dataSet->Bof();
  bool down = live && !dataSet->Eof();
  buttons_[nbFirst]->setEnabled(up);
  buttons_[nbPrior]->setEnabled(up);
  buttons_[nbNext]->setEnabled(down);
  buttons_[nbLast]->setEnabled(down);
  buttons_[nbDelete]->setEnabled(Modifiable() && !(dataSet->Bof() && dataSet->Eof()));
}

void TDBNavigator::EditingChanged() {
  bool modifiable = Modifiable();
  bool editing = link_.Editing();
  buttons_[nbInsert]->setEnabled(modifiable);
  buttons_[nbEdit]->setEnabled(modifiable && !editing);
  buttons_[nbPost]->setEnabled(modifiable && editing);
  buttons_[nbCancel]->setEnabled(modifiable && editing);
  buttons_[nbRefresh]->setEnabled(modifiable);
}

void TDBNavigator::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::EnabledChange) ActiveChanged();
}

// ---------------------------------------------------------------- clicks

void TDBNavigator::BtnClick(TNavigateBtn button) {
  data::TwwDataSource* source = link_.DataSource();
  if (source && source->State() != data::DataSetState::kInactive) {
    data::TDataSet* dataSet = source->DataSet();
    switch (button) {
      case nbFirst:
        dataSet->First();
        break;
      case nbPrior:
        dataSet->Prior();
        break;
      case nbNext:
        dataSet->Next();
        break;
      case nbLast:
        dataSet->Last();
        break;
      case nbInsert:
        dataSet->Insert();
        break;
      case nbDelete:
        if (ConfirmDelete && toolkit::ui().showMessage(
                                 "Delete record?", "Confirm", toolkit::MessageKind::kConfirmation,
                                 toolkit::MessageButtons::kOkCancel) != toolkit::MessageResult::kOk)
          break;
        dataSet->Delete();
        break;
      case nbEdit:
        dataSet->Edit();
        break;
      case nbPost:
        dataSet->Post();
        break;
      case nbCancel:
        dataSet->Cancel();
        break;
      case nbRefresh:
        dataSet->Refresh();
        break;
    }
  }
  if (OnClick) OnClick(button);
}

void TDBNavigator::StartRepeat(TNavigateBtn button) {
  repeating_ = button;
  timer_->Start(kInitialRepeatPause);
}

void TDBNavigator::RepeatTick() {
  timer_->SetInterval(kRepeatPause);
  if (!buttons_[repeating_]->isDown()) return;
  try {
    BtnClick(repeating_);
  } catch (...) {
    StopRepeat();
    throw;
  }
}

void TDBNavigator::StopRepeat() {
  timer_->Stop();
}

// ---------------------------------------------------------------- keyboard

void TDBNavigator::keyPressEvent(QKeyEvent* event) {
  int step = event->key() == Qt::Key_Right ? 1 : (event->key() == Qt::Key_Left ? -1 : 0);
  if (step != 0) {
    for (int i = focused_ + step; i >= 0 && i < kNavigatorButtonCount; i += step) {
      if (visible_[static_cast<size_t>(i)]) {
        buttons_[focused_]->update();
        focused_ = static_cast<TNavigateBtn>(i);
        buttons_[focused_]->update();
        break;
      }
    }
    return;
  }
  if (event->key() == Qt::Key_Space) {
    if (buttons_[focused_]->isEnabled()) buttons_[focused_]->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void TDBNavigator::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  buttons_[focused_]->update();
}

void TDBNavigator::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  buttons_[focused_]->update();
}

}  // namespace app
