// The grid's in-place editor: the cell's edit text, typed through the field's
// picture mask when it has one, and reported to the grid's OnCheckValue.
#pragma once

#include <optional>
#include <string>

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
  std::string TableText(const QString& text) const;

  TwwCustomDBGrid* dbGrid_;
  std::string mask_;
  bool autoFill_ = true;
  bool allowInvalidExit_ = false;
};

}  // namespace grid
