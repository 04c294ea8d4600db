// The grid's in-place editor: the cell's edit text, typed through the field's
// picture mask when it has one, or else through its edit mask (edit_mask.h)
// exactly as the edit box types it, and reported to the grid's OnCheckValue.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "edit/edit_mask.h"
#include "edit/picture_typing.h"

#include "toolkit/inplace_editor.h"

namespace grid {

class TwwCustomDBGrid;

class TwwInplaceEdit : public toolkit::InplaceEditor {
  Q_OBJECT
 public:
  explicit TwwInplaceEdit(TwwCustomDBGrid* grid);

  // The current field's mask, read when the editor takes the focus.
  void LoadPicture();
  bool HasPicture() const { return !mask_.empty(); }
  const std::string& Picture() const { return mask_; }
  bool AutoFill() const { return autoFill_; }
  bool AllowInvalidExit() const { return allowInvalidExit_; }
  void SetAllowInvalidExit(bool allow) { allowInvalidExit_ = allow; }
  bool PassesPicture() const;
  // Whether the text fills the edit mask's required positions (always true
  // without a governing mask, or when the table does not validate with it).
  bool PassesEditMask() const;
  // Validates the text as it stands and tells OnCheckValue.
  void CheckValue();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  // Pasted or dropped text and typed line breaks: the record goes into edit
  // state first, and under a mask the result is matched as typing is.
  bool insertText(const QString& text) override;
  bool acceptUserChange() override;

 private:
  // Types a character through the mask; false when the editor should take
  // the key itself.
  bool TypeThroughPicture(QKeyEvent* event);
  bool PasteThroughPicture(const QString& pasted);
  bool ApplyPasted(const edit::PictureTypingState& state, std::optional<bool> passes);
  // Typing, Backspace, Delete and Cut under the edit mask; false when the key
  // is not one of them.
  bool TypeWithEditMask(const edit::EditMask& mask, QKeyEvent* event);
  bool PasteWithEditMask(const edit::EditMask& mask, const QString& pasted);
  bool ApplyMaskEdit(const edit::EditMask::Edit& edit);
  // The selection in bytes of the table's text.
  std::pair<int, int> TableSelection() const;
  std::string TableText(const QString& text) const;

  TwwCustomDBGrid* dbGrid_;
  std::string mask_;
  bool autoFill_ = true;
  bool allowInvalidExit_ = false;
};

}  // namespace grid
