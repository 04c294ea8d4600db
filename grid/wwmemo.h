// The memo dialog: one memo field of the current record in a large
// multi-line box, written back into the field when the user confirms.
// TwwMemoDialog holds the settings and runs Execute; TwwMemoDlg is the window,
// which exists only while Execute runs.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "grid/wwdbgrid.h"
#include "toolkit/font_spec.h"

class QPlainTextEdit;
class QPushButton;

namespace data {
class TwwDataSource;
}
namespace toolkit {
class BevelPanel;
class GlyphButton;
}  // namespace toolkit

namespace grid {

class TwwMemoDialog;

class TwwMemoDlg : public QDialog {
  Q_OBJECT
 public:
  explicit TwwMemoDlg(TwwMemoDialog* owner, QWidget* parent = nullptr);

  QPlainTextEdit* Memo;
  toolkit::BevelPanel* UserButtonPanel;
  QPushButton* UserButton1;
  QPushButton* UserButton2;
  toolkit::GlyphButton* OKBtn;
  toolkit::GlyphButton* CancelBtn;

  // Set by Execute before the window shows.
  toolkit::FontSpec StoredFont;
  QString StoredCaption;
  bool Editable = true;
  bool OKClicked = false;

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 public:
  void done(int result) override;

 private:
  void FirstShow();
  void LayoutControls();
  // Whether the window may close now, asking when changes would be lost.
  bool CanClose();

  TwwMemoDialog* owner_;
  bool firstShow_ = true;
};

class TwwMemoDialog {
 public:
  TwwMemoDialog() = default;
  virtual ~TwwMemoDialog() = default;

  data::TwwDataSource* DataSource = nullptr;
  std::string DataField;
  toolkit::FontSpec Font;
  TMemoAttributes MemoAttributes{TMemoAttribute::mSizeable, TMemoAttribute::mWordWrap};
  std::string Caption;
  int DlgLeft = 0;
  int DlgTop = 0;
  int DlgWidth = 561;
  int DlgHeight = 396;
  std::string UserButton1Caption;
  std::string UserButton2Caption;
  std::function<void(TwwMemoDlg&)> OnInitDialog;
  std::function<void(TwwMemoDlg&)> OnCloseDialog;
  std::function<void(TwwMemoDlg&, QPlainTextEdit&)> OnUserButton1Click;
  std::function<void(TwwMemoDlg&, QPlainTextEdit&)> OnUserButton2Click;

  virtual void DoInitDialog(TwwMemoDlg& dialog) {
    if (OnInitDialog) OnInitDialog(dialog);
  }
  virtual void DoCloseDialog(TwwMemoDlg& dialog) {
    if (OnCloseDialog) OnCloseDialog(dialog);
  }
  // Shows the dialog modally; true when it closed with OK.
  virtual bool Execute();

  // The open window while Execute runs, else null.
  TwwMemoDlg* Window() const { return window_; }

 private:
  TwwMemoDlg* window_ = nullptr;
};

}  // namespace grid
