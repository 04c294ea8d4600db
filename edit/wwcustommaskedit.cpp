// The edit box with a picture: the picture settings, bound or the control's
// own, the value check, the edit mask and the text in the table's code page.
#include <QApplication>

#include "data/data_set.h"
#include "edit/multi_line_box.h"
#include "edit/picture_typing.h"
#include "edit/table_text.h"
#include "edit/wwdbedit.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/locale_settings.h"
#include "toolkit/ui_services.h"

namespace edit {

std::string TwwDBPicture::PictureMask() const {
  if (owner_->Bound()) {
    auto mask = owner_->BoundMask();
    return mask ? mask->mask : std::string();
  }
  return mask_;
}

void TwwDBPicture::SetPictureMask(const std::string& mask) {
  if (owner_->Bound()) {
    if (!owner_->StoreBoundMask(mask)) {
      toolkit::ui().showMessage(texts::kPictureMaskDefinedInTable,
                                QApplication::applicationName().toStdString(),
                                toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
    }
    return;
  }
  mask_ = mask;
}

bool TwwDBPicture::AutoFill() const {
  if (owner_->Bound()) {
    auto mask = owner_->BoundMask();
    return mask ? mask->autoFill : true;
  }
  return autoFill_;
}

void TwwDBPicture::SetAutoFill(bool autoFill) {
  autoFill_ = autoFill;
}

bool TwwDBPicture::AllowInvalidExit() const {
  return owner_->Bound() ? false : allowInvalidExit_;
}

void TwwDBPicture::Assign(const TwwDBPicture& other) {
  mask_ = other.mask_;
  autoFill_ = other.autoFill_;
  allowInvalidExit_ = other.allowInvalidExit_;
}

bool TwwDBPicture::Stored() const {
  return !owner_->Bound() && !mask_.empty();
}

TwwCustomMaskEdit::TwwCustomMaskEdit(QWidget* parent) : QLineEdit(parent), picture_(this) {}

TwwCustomMaskEdit::~TwwCustomMaskEdit() {
  // The multi-line box goes first, while this box can still hear of it.
  delete lines_;
}

bool TwwCustomMaskEdit::PictureMaskInUse() const {
  return UsePictureMask && !picture_.PictureMask().empty();
}

bool TwwCustomMaskEdit::CheckValue(const std::string& tableText) {
  bool passes = !PictureMaskInUse() || PicturePasses(picture_.PictureMask(), tableText);
  if (OnCheckValue) OnCheckValue(this, passes);
  return passes;
}

std::optional<EditMask> TwwCustomMaskEdit::ParsedEditMask(std::string* error) const {
  if (EditMask.empty() || PictureMaskInUse()) return std::nullopt;
  const data::TDataSet* dataSet = TextDataSet();
  return edit::EditMask::Parse(EditMask, toolkit::localeSettings(),
                               dataSet ? &dataSet->textCodec() : nullptr, error);
}

std::optional<EditMask> TwwCustomMaskEdit::ActiveEditMask() const {
  if (editMaskOff_) return std::nullopt;
  return ParsedEditMask(nullptr);
}

std::string TwwCustomMaskEdit::EditMaskError() const {
  std::string error;
  ParsedEditMask(&error);
  return error;
}

std::string TwwCustomMaskEdit::TableText() const {
  // The box only ever takes text the table can hold, so this never fails.
  return ScreenTextToTable(TextDataSet(), text()).value_or(std::string());
}

void TwwCustomMaskEdit::SetTableText(const std::string& tableText) {
  const QString shown = TableTextToScreen(TextDataSet(), tableText);
  if (!lines_) {
    setText(shown);
    return;
  }
  settingText_ = true;
  lines_->setPlainText(shown);
  settingText_ = false;
  setModified(false);
}

bool TwwCustomMaskEdit::ShowsTableText(const std::string& tableText) const {
  if (!lines_) return TableText() == tableText;
  // The multi-line box breaks lines with a line feed alone.
  std::string lines = tableText;
  for (size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at))
    lines.erase(at, 1);
  return TableText() == lines;
}

}  // namespace edit
