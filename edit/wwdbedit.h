// The data-aware edit box: one field of a data set, shown as its display text
// and edited as its edit text, with picture-mask typing (literals filled in as
// the user types, keys the mask cannot take refused with a beep), the date
// fill on the space bar, a refused exit while the value is incomplete, and its
// own painting of right- and centre-aligned values while it has no focus.
//
//   TwwCustomMaskEdit  the edit box with a picture (TwwDBPicture) and the
//                      value check reported through OnCheckValue
//   TwwDBCustomEdit    the field data link, the date fill, focus and painting
//   TwwDBEdit          the control the record view and forms create
//
// Text reaches the data set in the table's code page (table_text.h). Failures
// of writing the value into the field are exceptions for the application's
// handler; refused keys and exits only beep.
#pragma once

#include <QLineEdit>
#include <functional>
#include <optional>
#include <string>

#include "data/data_link.h"
#include "data/wwtable.h"
#include "edit/edit_mask.h"
#include "toolkit/canvas.h"

namespace data {
class TwwDataSource;
}

namespace edit {

enum class TwwEditDataType { wwDefault, wwEdtDate, wwEdtTime, wwEdtDateTime };

class TwwCustomMaskEdit;
class MultiLineBox;

// The picture settings of a control. A bound control reads them from its data
// set's picture masks (and the table's own pictures); setting the mask of a
// bound control stores it there.
class TwwDBPicture {
 public:
  explicit TwwDBPicture(TwwCustomMaskEdit* owner) : owner_(owner) {}
  TwwDBPicture(const TwwDBPicture&) = delete;
  TwwDBPicture& operator=(const TwwDBPicture&) = delete;

  std::string PictureMask() const;
  void SetPictureMask(const std::string& mask);
  bool AutoFill() const;
  void SetAutoFill(bool autoFill);
  // Always False for a bound control.
  bool AllowInvalidExit() const;
  void SetAllowInvalidExit(bool allow) { allowInvalidExit_ = allow; }
  // Setting the control's Picture copies the values.
  void Assign(const TwwDBPicture& other);
  // Whether the picture is stored with the control's form description.
  bool Stored() const;

 private:
  TwwCustomMaskEdit* owner_;
  std::string mask_;
  bool autoFill_ = true;
  bool allowInvalidExit_ = false;
};

class TwwCustomMaskEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TwwCustomMaskEdit(QWidget* parent = nullptr);
  ~TwwCustomMaskEdit() override;

  TwwDBPicture& Picture() { return picture_; }
  const TwwDBPicture& Picture() const { return picture_; }
  void SetPicture(const TwwDBPicture& picture) { picture_.Assign(picture); }
  bool UsePictureMask = true;
  // With any of these three on, the box edits several lines: WordWrap wraps
  // long lines at its width, WantReturns lets Enter break a line (otherwise
  // Enter goes on to the form), ShowVertScrollBar gives it a vertical scroll
  // bar. Changing one makes the box anew, keeping its text.
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool want);
  bool ShowVertScrollBar() const { return showVertScrollBar_; }
  void SetShowVertScrollBar(bool show);
  bool MultiLine() const { return lines_ != nullptr; }
  // The edit mask (edit_mask.h), taken from the field when no picture is in
  // use. A malformed one is reported once and the box edits without it.
  std::string EditMask;
  std::function<void(QObject* Sender, bool PassesPictureTest)> OnCheckValue;

  // UsePictureMask and a mask that is not empty.
  bool PictureMaskInUse() const;
  // The check of a text: empty, or a complete match of the mask without
  // fill; OnCheckValue hears the answer.
  bool CheckValue(const std::string& tableText);

  // The parsed edit mask while it governs typing: set, well formed, no
  // picture in use, and fitting the value being edited.
  std::optional<edit::EditMask> ActiveEditMask() const;
  // The edit mask whenever it is well formed, fitting the value or not.
  std::optional<edit::EditMask> ParsedEditMaskQuietly() const { return ParsedEditMask(nullptr); }
  // Why the edit mask cannot be used; empty when it can (or there is none).
  std::string EditMaskError() const;

  // The control's text in the table's code page, and setting it from one.
  std::string TableText() const;
  void SetTableText(const std::string& tableText);
  // Whether the box shows that text (line breaks as the box makes them).
  bool ShowsTableText(const std::string& tableText) const;

  // The text, caret and selection of whichever box is shown, the one-line
  // box's own or the multi-line one (these hide the one-line box's names,
  // so that callers need not know which is in use; while the multi-line box
  // is shown, the one-line box's own text is not kept up to date).
  QString text() const;
  int cursorPosition() const;
  void setCursorPosition(int position);
  bool hasSelectedText() const;
  int selectionStart() const;
  QString selectedText() const;
  void setSelection(int start, int length);
  void selectAll();
  void setReadOnly(bool readOnly);
  void paste();
  void cut();
  void copy() const;
  void del();
  void undo();
  bool isUndoAvailable() const;

 protected:
  friend class TwwDBPicture;
  // The picture settings of the bound field; none when unbound.
  virtual bool Bound() const { return false; }
  virtual std::optional<data::TwwFieldMask> BoundMask() const { return std::nullopt; }
  // Stores a mask for the bound field; false when the table defines its own.
  virtual bool StoreBoundMask(const std::string& /*mask*/) { return false; }
  // The data set whose code page the text is in; none while unbound.
  virtual const data::TDataSet* TextDataSet() const { return nullptr; }
  // Set while the value being edited does not fit the edit mask.
  bool editMaskOff_ = false;

  // The multi-line box hands its key, focus and menu events to this box's
  // handlers; the handlers leave what they do not take to these, which
  // answer for whichever box is shown.
  void DefaultKeyPress(QKeyEvent* event);
  void DefaultKeyRelease(QKeyEvent* event);
  void DefaultFocusIn(QFocusEvent* event);
  void DefaultFocusOut(QFocusEvent* event);
  // An event that reached this box only on its way up from the multi-line
  // box, which has had it already: it is ignored here so it goes on up.
  bool PassingUp(QEvent* event) const;
  void resizeEvent(QResizeEvent* event) override;
  // How the multi-line box shows its text: aligned as the value is, and as
  // a row of marks while it hides a password (none shows the text).
  void SetLinesLook(Qt::Alignment alignment, QChar hiddenWith);

 private:
  friend class MultiLineBox;
  std::optional<edit::EditMask> ParsedEditMask(std::string* error) const;
  // Makes or removes the multi-line box after a change of the three settings.
  void RecreateBox();

  TwwDBPicture picture_;
  bool wordWrap_ = false;
  bool wantReturns_ = false;
  bool showVertScrollBar_ = false;
  MultiLineBox* lines_ = nullptr;
  Qt::Alignment linesAlignment_ = Qt::AlignLeft;
  QChar linesHiddenWith_;
  // Set while the multi-line box hands an event over.
  bool fromLines_ = false;
  // Set while the text is set from the program rather than typed.
  bool settingText_ = false;
};

class TwwDBCustomEdit : public TwwCustomMaskEdit {
  Q_OBJECT
 public:
  explicit TwwDBCustomEdit(QWidget* parent = nullptr);
  ~TwwDBCustomEdit() override;

  data::TwwDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(data::TwwDataSource* source);
  const std::string& DataField() const { return dataField_; }
  void SetDataField(const std::string& name);
  // The field shown, while the link is active.
  data::TField* Field() const;

  bool AutoFillDate = true;
  TwwEditDataType UnboundDataType = TwwEditDataType::wwDefault;
  // The data link's read-only flag: the control never edits its field.
  bool ReadOnly() const { return link_.ReadOnly(); }
  void SetReadOnly(bool readOnly);
  // Shown in place of every character while unfocused; 0 for none.
  QChar PasswordChar;
  bool AutoSelect = true;

  std::function<void(QObject*)> OnEnter;
  std::function<void(QObject*)> OnExit;

  // Paints the value as the unfocused control shows it: frame, background
  // and text (the field's display text when asCopy) aligned as the field
  // asks. The grid paints cells through it.
  void PaintValue(toolkit::Canvas& canvas, const toolkit::Rect& rect, bool asCopy);
  toolkit::FontSpec Font;
  toolkit::Color Color = toolkit::clWindow;

  // Whether the control counts itself focused (it stays so after a refused exit).
  bool Focused() const { return focused_; }
  data::TAlignment ShownAlignment() const { return alignment_; }

 protected:
  bool Bound() const override;
  std::optional<data::TwwFieldMask> BoundMask() const override;
  bool StoreBoundMask(const std::string& mask) override;
  const data::TDataSet* TextDataSet() const override;

  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class FieldLink : public data::TDataLink {
   public:
    explicit FieldLink(TwwDBCustomEdit* edit) : edit_(edit) {}

   protected:
    void ActiveChanged() override { edit_->DataChange(); }
    void RecordChanged(data::TField* field) override;
    void EditingChanged() override { edit_->EditingChange(); }
    void UpdateData() override { edit_->UpdateData(); }
    void FocusControl(data::TField* field) override;

   private:
    TwwDBCustomEdit* edit_;
  };

  void DataChange();
  void EditingChange();
  void UpdateData();
  // Step one of a key: whether a typing key may change the text at all.
  bool PrepareForTyping();
  // Puts the data set into edit mode and marks the control modified.
  void BeginChange();
  bool DateFill();
  std::optional<TwwEditDataType> DateKind() const;
  bool TypeWithPicture(const QString& key);
  bool FieldAcceptsCharacter(QChar c) const;
  // Typing, Backspace and Delete under the edit mask; false when the key is
  // not one of those.
  bool TypeWithEditMask(const edit::EditMask& mask, QKeyEvent* event);
  void ApplyMaskEdit(const edit::EditMask::Edit& edit);
  // The selection (the caret when nothing is selected) as byte offsets in
  // the table's text.
  struct Selection {
    int start = 0;
    int length = 0;
  };
  Selection TableSelection() const;
  // The text to edit for a value: put into the edit mask when there is one.
  std::string EditingText(const std::string& value);
  // The text shown while the box is not edited.
  std::string MaskedDisplayText(const data::TField& field) const;
  void WarnOfMalformedEditMask();
  // Gives the multi-line box the value's alignment and the password mark.
  void ShowLinesLikeTheValue();
  void ResetValue();
  // Whether a key that changes the text could be taken now (as
  // PrepareForTyping, without putting the data set into edit mode).
  bool CanChangeText() const;
  // Paste and cut, from the keyboard or the context menu: the data set goes
  // into edit mode, a pasted text is matched against the mask, and the
  // value check runs afterwards.
  void PasteText();
  void TypePasted(const QString& before, const QString& pasted, const QString& after);
  void CutText();
  void DeleteSelection();

  FieldLink link_{this};
  std::string dataField_;
  bool focused_ = false;
  bool exitRefused_ = false;
  data::TAlignment alignment_ = data::TAlignment::taLeftJustify;
  std::string unboundText_;
  std::string warnedEditMask_;
};

class TwwDBEdit : public TwwDBCustomEdit {
  Q_OBJECT
 public:
  explicit TwwDBEdit(QWidget* parent = nullptr) : TwwDBCustomEdit(parent) {}
};

}  // namespace edit
