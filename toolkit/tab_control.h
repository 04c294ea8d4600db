// A tab control whose tabs wrap onto several rows (MultiLine), as the main
// window's table chooser needs: Qt's tab bar keeps one row and scrolls.
//
// The row holding the selected tab always stands next to the page below the
// tabs. Setting TabIndex from code never signals; a selection by the user
// (mouse press on a tab, or Left/Right/Up/Down/Home/End while focused) emits
// changed() after the new index is in place, like an OnChange event. Painted
// with the widget's QStyle, so it looks like the desktop's own tabs. Child
// widgets placed on the control belong in displayRect().
#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "toolkit/tab_layout.h"

namespace toolkit {

class TabControl : public QWidget {
  Q_OBJECT
 public:
  explicit TabControl(QWidget* parent = nullptr);

  void setTabs(const QStringList& captions);
  const QStringList& tabs() const { return tabs_; }
  int count() const { return static_cast<int>(tabs_.size()); }

  // -1 when no tab is selected; an index out of range selects none.
  int tabIndex() const { return index_; }
  void setTabIndex(int index);

  bool multiLine() const { return multiLine_; }
  void setMultiLine(bool multiLine);

  int rowCount() const { return layout_.rowCount; }
  QRect tabRect(int index) const;
  // The tab under a point, or -1.
  int tabAt(QPoint point) const;
  // The page area below the tabs, inside its frame.
  QRect displayRect() const;

  QSize sizeHint() const override;

 signals:
  void changed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void relayout();
  void selectByUser(int index);
  QSize naturalTabSize(const QString& caption) const;
  int tabHeight() const;
  QRect pageRect() const;

  QStringList tabs_;
  int index_ = -1;
  bool multiLine_ = true;
  TabLayout layout_;
};

}  // namespace toolkit
