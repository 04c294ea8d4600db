// The record view's window. Its dialog fills it (record_view_builder.h);
// the window itself sees every key before its controls (Ctrl+Enter, Escape,
// Enter as Tab), decides whether it may close (asking before changes are
// thrown away), and posts or cancels the row as it closes.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <memory>
#include <vector>

#include "recordview/record_view_layout.h"

#include <QMenuBar>
class QScrollArea;

namespace app {
class TDBNavigator;
}
namespace toolkit {
class BevelPanel;
class GlyphButton;
}  // namespace toolkit

namespace recordview {

class FieldEditor;
class TwwRecordViewDialog;

enum TModalResult { mrNone, mrOK, mrCancel };
enum class TwwCloseReason { crOther, crOK, crCancel };

class TwwRecordViewForm : public QDialog {
  Q_OBJECT
 public:
  explicit TwwRecordViewForm(TwwRecordViewDialog* dialog);
  ~TwwRecordViewForm() override;

  TwwRecordViewDialog* Dialog() const { return dialog_; }

  // As assigning a modal result: anything but mrNone tries to close the
  // window through the close query and the close handler.
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult result);
  TwwCloseReason CloseReason() const { return closeReason_; }
  void SetCloseReason(TwwCloseReason reason) { closeReason_ = reason; }

  // The controls the dialog made; none where its options leave one out.
  toolkit::BevelPanel* NavigatorPanel = nullptr;
  app::TDBNavigator* Navigator = nullptr;
  toolkit::BevelPanel* RecordPanel = nullptr;
  QScrollArea* ScrollBox = nullptr;
  QWidget* ScrollContents = nullptr;
  toolkit::BevelPanel* UserPanel = nullptr;
  toolkit::GlyphButton* OKButton = nullptr;
  toolkit::GlyphButton* CancelButton = nullptr;

  struct EditEntry {
    QWidget* control;
    FieldEditor* editor;
  };
  const std::vector<EditEntry>& EditList() const { return editList_; }
  void AddToEditList(QWidget* control, FieldEditor* editor);
  // Takes an adapter that presents a control of another kind as an editor.
  FieldEditor* KeepEditor(std::unique_ptr<FieldEditor> editor);
  bool AnyModified() const;

  // A control of the owner's form placed here for a while.
  struct Borrowed {
    QPointer<QWidget> control;
    QWidget* parent;
    QRect bounds;
    bool visible;
  };
  void Borrow(QWidget* control);

  // What the layout answered and used; the resize handler works from it.
  const LayoutResult& Layout() const { return layout_; }
  void SetLayout(const LayoutSettings& settings, const LayoutMetrics& metrics,
                 const LayoutResult& layout);
  // Outer window size, as the layout counts it.
  int OuterWidth() const;
  int OuterHeight() const;
  void SetOuterGeometry(int left, int top, int width, int height);
  // The resize handler runs from now on.
  void AttachResizeHandler() { resizeAttached_ = true; }
  // The menu bar stands above the panels until the window closes, then goes
  // back to where it came from.
  void AttachMenu(QMenuBar* menu);
  // Puts the panels where their alignment keeps them.
  void AlignPanels();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  // Closing by reject (the platform's Escape, for one) is a Cancel.
  void reject() override { SetModalResult(mrCancel); }
  void accept() override { SetModalResult(mrOK); }

 private:
  bool HandleKey(QKeyEvent* event);
  FieldEditor* EditorOf(QWidget* control) const;
  bool CloseQuery();
  void CloseHandler();
  void GiveBackBorrowed();
  void DetachMenu();
  void ApplyResizeHandler();

  TwwRecordViewDialog* dialog_;
  TModalResult modalResult_ = mrNone;
  TwwCloseReason closeReason_ = TwwCloseReason::crOther;
  bool closing_ = false;
  bool shownOnce_ = false;
  bool resizeAttached_ = false;
  bool stayingOnTop_ = false;
  std::vector<EditEntry> editList_;
  std::vector<std::unique_ptr<FieldEditor>> adapters_;
  std::vector<Borrowed> borrowed_;
  QPointer<QMenuBar> menu_;
  QWidget* menuParent_ = nullptr;
  LayoutSettings settings_;
  LayoutMetrics metrics_;
  LayoutResult layout_;
};

}  // namespace recordview
