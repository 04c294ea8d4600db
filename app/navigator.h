// The navigator bar: ten glyph buttons that move through, edit and refresh
// the data set of a data source, each enabled or disabled after every change
// of the data set's state and position.
#pragma once

#include <QAbstractButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/navigator_layout.h"
#include "data/data_link.h"

namespace data {
class TwwDataSource;
}

namespace app {

enum TNavigateBtn {
  nbFirst,
  nbPrior,
  nbNext,
  nbLast,
  nbInsert,
  nbDelete,
  nbEdit,
  nbPost,
  nbCancel,
  nbRefresh
};

class RepeatTimer;
class NavigatorButton;
class TDBNavigator;

// Forwards the three notifications the bar follows.
class TNavDataLink : public data::TDataLink {
 public:
  explicit TNavDataLink(TDBNavigator* navigator) : navigator_(navigator) {}

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void EditingChanged() override;

 private:
  TDBNavigator* navigator_;
};

class TDBNavigator : public QWidget {
  Q_OBJECT
 public:
  explicit TDBNavigator(QWidget* parent = nullptr);
  ~TDBNavigator() override;

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source);

  using ButtonSet = std::array<bool, kNavigatorButtonCount>;
  const ButtonSet& VisibleButtons() const { return visible_; }
  void SetVisibleButtons(const ButtonSet& visible);
  const std::vector<std::string>& Hints() const { return hints_; }
  void SetHints(const std::vector<std::string>& hints);
  // The hint of button i: its line of Hints when not empty, else the default.
  std::string Hint(TNavigateBtn button) const;
  bool ConfirmDelete = true;
  bool Flat() const { return flat_; }
  void SetFlat(bool flat);
  // Whether the bar is aligned to its parent (spare pixels then go to the buttons).
  void SetAligned(bool aligned);
  // A tab stop takes the focus by Tab and by clicks; the bar is none by default.
  void SetTabStop(bool tabStop);
  std::function<void(TNavigateBtn)> OnClick;

  // Performs button's operation as a click does.
  void BtnClick(TNavigateBtn button);
  QAbstractButton* Button(TNavigateBtn button) const;
  TNavigateBtn FocusedButton() const { return focused_; }
  // Tests tick the auto-repeat by hand.
  void SetRepeatTimer(std::unique_ptr<RepeatTimer> timer);

  static std::string GlyphName(TNavigateBtn button);
  static std::string DefaultHint(TNavigateBtn button);
  static constexpr int kInitialRepeatPause = 400;
  static constexpr int kRepeatPause = 100;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  friend class TNavDataLink;
  void ActiveChanged();
  void DataChanged();
  void EditingChanged();
  bool Live() const;
  bool Modifiable() const;
  void Relayout();
  void StartRepeat(TNavigateBtn button);
  void RepeatTick();
  void StopRepeat();
  void UpdateHints();

  TNavDataLink link_{this};
  std::array<NavigatorButton*, kNavigatorButtonCount> buttons_{};
  ButtonSet visible_;
  std::vector<std::string> hints_;
  bool flat_ = false;
  bool aligned_ = false;
  bool layingOut_ = false;
  TNavigateBtn focused_ = nbFirst;
  std::unique_ptr<RepeatTimer> timer_;
  TNavigateBtn repeating_ = nbFirst;
};

}  // namespace app
