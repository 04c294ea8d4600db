// The strings of the rich-text editor dialog: toolbar and menu hints in the
// form "Name | description", status-bar captions and four groups of menu and
// dialog captions. The program has no rich-text editor; the strings are held
// so that the strings object publishes every group a translation may set.
// Qt-free.
#pragma once

#include <string>

namespace intl {

struct TwwRichEditMenuLabels {
  std::string FileCaption = "&File";
  std::string FileNewCaption = "&New";
  std::string FileOpenCaption = "&Open...";
  std::string FileSaveCaption = "&Save";
  std::string FileSaveAsCaption = "Save &As...";
  std::string FilePrintCaption = "&Print...";
  std::string FileExitCaption = "E&xit";
  std::string EditCaption = "&Edit";
  std::string EditUndoCaption = "&Undo";
  std::string EditRedoCaption = "&Redo";
  std::string EditCutCaption = "Cu&t";
  std::string EditCopyCaption = "&Copy";
  std::string EditPasteCaption = "&Paste";
  std::string EditClearCaption = "Cle&ar";
  std::string EditSelectAllCaption = "Select A&ll";
  std::string EditFindCaption = "&Find...";
  std::string EditReplaceCaption = "R&eplace...";
  std::string ViewCaption = "&View";
  std::string ViewToolbarCaption = "&Toolbar";
  std::string ViewFormatBarCaption = "&Format Bar";
  std::string ViewRulerCaption = "&Ruler";
  std::string ViewStatusBarCaption = "&Status Bar";
  std::string FormatCaption = "F&ormat";
  std::string FormatFontCaption = "&Font...";
  std::string FormatBulletStyleCaption = "&Bullet Style";
  std::string FormatParagraphCaption = "&Paragraph...";
  std::string FormatTabsCaption = "&Tabs...";
  std::string HelpCaption = "Help";
  friend bool operator==(const TwwRichEditMenuLabels&, const TwwRichEditMenuLabels&) = default;
};

struct TwwRichEditPopupMenuLabels {
  std::string EditCaption = "&Edit...";
  std::string CutCaption = "Cu&t";
  std::string CopyCaption = "&Copy";
  std::string PasteCaption = "&Paste";
  std::string FontCaption = "&Font...";
  std::string BulletStyleCaption = "Bullet &Style";
  std::string BoldCaption = "&Bold";
  std::string ItalicCaption = "&Italic";
  std::string UnderlineCaption = "&Underline";
  std::string ParagraphCaption = "P&aragraph...";
  std::string TabsCaption = "Ta&bs...";
  std::string FindCaption = "Fi&nd...";
  std::string ReplaceCaption = "&Replace...";
  friend bool operator==(const TwwRichEditPopupMenuLabels&,
                         const TwwRichEditPopupMenuLabels&) = default;
};

struct TwwRichEditParagraphDlg {
  std::string ParagraphDlgCaption = "Paragraph";
  std::string IndentationGroupCaption = "Indentation";
  std::string LeftIndentLabel = "&Left:";
  std::string RightIndentLabel = "&Right:";
  std::string FirstLineIndentLabel = "&First Line:";
  std::string AlignmentLabel = "&Alignment:";
  std::string LeftIndentHint = "Indent of the paragraph from the left margin";
  std::string RightIndentHint = "Indent of the paragraph from the right margin";
  std::string FirstLineIndentHint = "Indent of the paragraph's first line";
  std::string AlignmentHint = "Alignment of the paragraph between its indents";
  std::string AlignLeft = "Left";
  std::string AlignRight = "Right";
  std::string AlignCenter = "Center";
  friend bool operator==(const TwwRichEditParagraphDlg&, const TwwRichEditParagraphDlg&) = default;
};

struct TwwRichEditTabDlg {
  std::string TabDlgCaption = "Tab";
  std::string TabPositionLabel = "&Tab stop position:";
  std::string TabPositionHint = "Position of the tab stop to set or clear";
  std::string TabsToClearLabel = "Tab stops to be cleared:";
  std::string SetButtonCaption = "&Set";
  std::string SetButtonHint = "Set a tab stop at this position";
  std::string ClearButtonCaption = "Cl&ear";
  std::string ClearButtonHint = "Clear the tab stop at this position";
  std::string ClearAllButtonCaption = "Clear &All";
  std::string ClearAllButtonHint = "Clear all the tabs";
  friend bool operator==(const TwwRichEditTabDlg&, const TwwRichEditTabDlg&) = default;
};

struct TwwDBRichEditIntl {
  std::string FontNameComboHint = "Font | Changes the font of the selection";
  std::string FontSizeComboHint = "Font Size | Changes the font size of the selection";
  std::string FontColorHint = "Font Color | Changes the color of the selection";
  std::string BoldBtnHint = "Bold | Makes the selection bold";
  std::string ItalicBtnHint = "Italic | Makes the selection italic";
  std::string UnderlineBtnHint = "Underline | Underlines the selection";
  std::string BulletBtnHint = "Bullets | Starts or ends a bulleted list";
  std::string AlignLeftBtnHint = "Align Left | Aligns the paragraph at the left indent";
  std::string AlignCenterBtnHint = "Center | Centers the paragraph between the indents";
  std::string AlignRightBtnHint = "Align Right | Aligns the paragraph at the right indent";
  std::string IndentBtnHint = "Increase Indent | Moves the paragraph to the right";
  std::string OutdentBtnHint = "Decrease Indent | Moves the paragraph to the left";
  std::string NewBtnHint = "New | Clears the text to start again";
  std::string OpenBtnHint = "Open | Loads the text from a file";
  std::string SaveBtnHint = "Save | Saves the text to a file";
  std::string SaveAsHint = "Save As | Saves the text to a file of a new name";
  std::string PrintBtnHint = "Print | Prints the text";
  std::string PrintSetupHint = "Print Setup | Chooses a printer and its settings";
  std::string ExitHint = "Exit | Closes the editor";
  std::string UndoBtnHint = "Undo | Reverses the last change";
  std::string RedoBtnHint = "Redo | Makes the reversed change again";
  std::string CutBtnHint = "Cut | Moves the selection to the clipboard";
  std::string CopyBtnHint = "Copy | Copies the selection to the clipboard";
  std::string PasteBtnHint = "Paste | Inserts the clipboard's contents";
  std::string ClearHint = "Clear | Deletes the selection";
  std::string SelectAllHint = "Select All | Selects the whole text";
  std::string FindBtnHint = "Find | Finds the given text";
  std::string ReplaceBtnHint = "Replace | Replaces the given text with other text";
  std::string ToolbarHint = "Toolbar | Shows or hides the toolbar";
  std::string RulerHint = "Ruler | Shows or hides the ruler";
  std::string ParagraphHint = "Paragraph | Changes the indents and alignment of the paragraph";
  std::string TabsHint = "Sets tabs";
  std::string CAPLockCaption = "CAP";
  std::string NUMLockCaption = "NUM";
  TwwRichEditMenuLabels MenuLabels;
  TwwRichEditPopupMenuLabels PopupMenuLabels;
  TwwRichEditParagraphDlg ParagraphDialog;
  TwwRichEditTabDlg TabDialog;
  friend bool operator==(const TwwDBRichEditIntl&, const TwwDBRichEditIntl&) = default;
};

}  // namespace intl
