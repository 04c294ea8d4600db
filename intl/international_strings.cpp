#include "intl/international_strings.h"

#include <memory>

namespace intl {

namespace {

std::unique_ptr<TwwIntl>& GlobalHolder() {
  static std::unique_ptr<TwwIntl> global;
  return global;
}

bool IsGlobal(const TwwIntl* instance) {
  return instance == GlobalHolder().get();
}

}  // namespace

void ApplyFontStyles(const TFontStyles& styles, toolkit::FontSpec& font) {
  font.bold = styles.contains(TFontStyle::fsBold);
  font.italic = styles.contains(TFontStyle::fsItalic);
  font.underline = styles.contains(TFontStyle::fsUnderline);
  font.strikeOut = styles.contains(TFontStyle::fsStrikeOut);
}

TwwIntl& GlobalIntl() {
  auto& global = GlobalHolder();
  if (!global) global = std::make_unique<TwwIntl>();
  return *global;
}

void FreeGlobalIntl() {
  GlobalHolder().reset();
}

TwwIntl::~TwwIntl() {
  // Only reachable for the global instance when something deletes it behind
  // the holder's back; the reference must not dangle.
  if (IsGlobal(this)) (void)GlobalHolder().release();
}

void TwwIntl::SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle style) {
  checkBoxInGridStyle_ = style;
  if (connected_ && !IsGlobal(this)) GlobalIntl().checkBoxInGridStyle_ = style;
}

void TwwIntl::SetConnected(bool connected) {
  const bool becomesConnected = connected && !connected_;
  connected_ = connected;
  if (becomesConnected && !loading_) CopyIntoGlobal();
}

void TwwIntl::Loaded() {
  loading_ = false;
  if (connected_) CopyIntoGlobal();
}

void TwwIntl::CopyIntoGlobal() const {
  if (IsGlobal(this)) return;
  TwwIntl& global = GlobalIntl();
  global.searchDialog_ = searchDialog_;
  global.locateDialog_ = locateDialog_;
  global.filterDialog_ = filterDialog_;

  TwwRichEditPopupMenuLabels& popup = global.richEdit_.PopupMenuLabels;
  const std::string bold = popup.BoldCaption;
  const std::string italic = popup.ItalicCaption;
  const std::string underline = popup.UnderlineCaption;
  global.richEdit_ = richEdit_;
  popup.BoldCaption = bold;
  popup.ItalicCaption = italic;
  popup.UnderlineCaption = underline;

  const std::string recordViewExitWarning = global.userMessages_.RecordViewExitWarning;
  global.userMessages_ = userMessages_;
  global.userMessages_.RecordViewExitWarning = recordViewExitWarning;

  global.okCancelBitmapped_ = okCancelBitmapped_;
  global.btnOKCaption_ = btnOKCaption_;
  global.btnCancelCaption_ = btnCancelCaption_;
  global.checkBoxInGridStyle_ = checkBoxInGridStyle_;
  global.dialogFontStyle_ = dialogFontStyle_;
  global.useLocateMethodForSearch_ = useLocateMethodForSearch_;
  global.reopenTableOnCancelRange_ = reopenTableOnCancelRange_;
}

}  // namespace intl
