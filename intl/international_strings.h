// TwwIntl holds every caption, hint and message of the component set's
// dialogs and the few switches that several components read, so that an
// application can translate or restyle them in one place. One global instance
// exists for the run: the program makes it (GlobalIntl()) before its first
// window and frees it (FreeGlobalIntl()) at the end; components read it each
// time they need a value, so a change takes effect at the next dialog or
// search. Another instance, placed on a form, changes the global one only
// through Connected. Qt-free; single-threaded like the rest of the program.
#pragma once

#include <set>
#include <string>

#include "intl/dialog_strings.h"
#include "intl/rich_edit_strings.h"
#include "toolkit/font_spec.h"

namespace intl {

enum class TwwCheckBoxInGridStyle { cbStyleAuto, cbStyleCheckmark, cbStyleXmark };

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = std::set<TFontStyle>;

// Gives font exactly the styles in styles.
void ApplyFontStyles(const TFontStyles& styles, toolkit::FontSpec& font);

class TwwIntl {
 public:
  TwwIntl() = default;
  // Freeing the global instance clears the global reference.
  ~TwwIntl();
  TwwIntl(const TwwIntl&) = delete;
  TwwIntl& operator=(const TwwIntl&) = delete;

  // The five groups of strings. Each setter copies the given values.
  TwwSearchDialogIntl& SearchDialog() { return searchDialog_; }
  const TwwSearchDialogIntl& SearchDialog() const { return searchDialog_; }
  void SetSearchDialog(const TwwSearchDialogIntl& strings) { searchDialog_ = strings; }
  TwwLocateDialogIntl& LocateDialog() { return locateDialog_; }
  const TwwLocateDialogIntl& LocateDialog() const { return locateDialog_; }
  void SetLocateDialog(const TwwLocateDialogIntl& strings) { locateDialog_ = strings; }
  TwwFilterDialogIntl& FilterDialog() { return filterDialog_; }
  const TwwFilterDialogIntl& FilterDialog() const { return filterDialog_; }
  void SetFilterDialog(const TwwFilterDialogIntl& strings) { filterDialog_ = strings; }
  TwwDBRichEditIntl& RichEdit() { return richEdit_; }
  const TwwDBRichEditIntl& RichEdit() const { return richEdit_; }
  void SetRichEdit(const TwwDBRichEditIntl& strings) { richEdit_ = strings; }
  TwwUserMessagesIntl& UserMessages() { return userMessages_; }
  const TwwUserMessagesIntl& UserMessages() const { return userMessages_; }
  void SetUserMessages(const TwwUserMessagesIntl& strings) { userMessages_ = strings; }

  // The memo dialog's and the record view's OK and Cancel buttons show glyphs.
  bool OKCancelBitmapped() const { return okCancelBitmapped_; }
  void SetOKCancelBitmapped(bool value) { okCancelBitmapped_ = value; }
  const std::string& BtnOKCaption() const { return btnOKCaption_; }
  void SetBtnOKCaption(const std::string& caption) { btnOKCaption_ = caption; }
  const std::string& BtnCancelCaption() const { return btnCancelCaption_; }
  void SetBtnCancelCaption(const std::string& caption) { btnCancelCaption_ = caption; }

  // How the grid draws Boolean cells. On a connected instance the global
  // instance takes the new style too.
  TwwCheckBoxInGridStyle CheckBoxInGridStyle() const { return checkBoxInGridStyle_; }
  void SetCheckBoxInGridStyle(TwwCheckBoxInGridStyle style);

  // The incremental search moves with Locate rather than FindNearest.
  bool UseLocateMethodForSearch() const { return useLocateMethodForSearch_; }
  void SetUseLocateMethodForSearch(bool value) { useLocateMethodForSearch_ = value; }

  // The style of the dialog buttons' and the memo dialog's font.
  const TFontStyles& DialogFontStyle() const { return dialogFontStyle_; }
  void SetDialogFontStyle(const TFontStyles& styles) { dialogFontStyle_ = styles; }

  // Not published: cancelling a narrow-search range on an SQL-based table
  // closes the table and reopens it at the same row.
  bool ReopenTableOnCancelRange() const { return reopenTableOnCancelRange_; }
  void SetReopenTableOnCancelRange(bool value) { reopenTableOnCancelRange_ = value; }

  // When it becomes true, or when a loaded instance has it true, this
  // instance's settings are copied into the global instance: every search,
  // locate and filter string, the rich-edit strings except the popup menu's
  // Bold, Italic and Underline captions, the user messages except
  // RecordViewExitWarning, and every switch and button setting. The global
  // instance connected to itself does nothing.
  bool Connected() const { return connected_; }
  void SetConnected(bool connected);

  // Form loading: while loading, setting Connected only records it; Loaded
  // ends loading and connects when Connected was set, after every other
  // property has its stored value.
  void BeginLoading() { loading_ = true; }
  void Loaded();

 private:
  void CopyIntoGlobal() const;

  TwwSearchDialogIntl searchDialog_;
  TwwLocateDialogIntl locateDialog_;
  TwwFilterDialogIntl filterDialog_;
  TwwDBRichEditIntl richEdit_;
  TwwUserMessagesIntl userMessages_;
  bool okCancelBitmapped_ = true;
  bool connected_ = false;
  std::string btnOKCaption_ = "&OK";
  std::string btnCancelCaption_ = "Cancel";
  TwwCheckBoxInGridStyle checkBoxInGridStyle_ = TwwCheckBoxInGridStyle::cbStyleAuto;
  bool useLocateMethodForSearch_ = true;
  TFontStyles dialogFontStyle_;
  bool reopenTableOnCancelRange_ = true;
  bool loading_ = false;
};

// The global instance, made with every default on first use.
TwwIntl& GlobalIntl();
// Frees the global instance; the next GlobalIntl() makes a fresh one.
void FreeGlobalIntl();

}  // namespace intl
