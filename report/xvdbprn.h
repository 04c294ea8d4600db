// The report printer: prints the rows of a table data set as a ruled table,
// one line per row and one column per visible field, under a title, with the
// date and page number in the page's top or bottom band; or writes the same
// rows to a tab-separated text file. Print is its one operation.
//
// Text: the settings (Header, DateLabel, PageNumberLabel, PrintMgrTitle) are
// the program's own UTF-8 text; field labels and values are the table's 8-bit
// text in its code page, converted for the printer and written to a report
// file as they are stored.
//
// Printing goes to the machine's default printer, or into a PDF file in the
// user's documents folder when the machine has none (an information box then
// says where). A long run shows its progress in a window with a Stop button;
// a stopped or failed run leaves no file behind, and every run ends with the
// data set back on the row it was on.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "data/field.h"
#include "toolkit/font_spec.h"

namespace data {
class TDataSet;
}
namespace toolkit {
class PrinterService;
}

namespace report {

class ReportProgress;

enum class TPageNumberPos {
  pnNone,
  pnTopLeft,
  pnTopCenter,
  pnTopRight,
  pnBotLeft,
  pnBotCenter,
  pnBotRight
};

using data::TAlignment;

class TxvDBPrint {
 public:
  TxvDBPrint();
  ~TxvDBPrint();
  TxvDBPrint(const TxvDBPrint&) = delete;
  TxvDBPrint& operator=(const TxvDBPrint&) = delete;

  const std::string& Name() const { return name_; }
  // PrintMgrTitle follows the name for as long as it equals it.
  void SetName(const std::string& name);
  long Tag = 0;

  // ---- Published, in their stored order. Margins and gaps are printer dots.
  int LeftMargin = 40;
  int TopMargin = 40;
  int RightMargin = 40;
  int BottomMargin = 40;
  const toolkit::FontSpec& FieldNameFont() const { return fieldNameFont_; }
  void SetFieldNameFont(const toolkit::FontSpec& font) { fieldNameFont_ = font; }
  const toolkit::FontSpec& HeaderFooterFont() const { return headerFooterFont_; }
  void SetHeaderFooterFont(const toolkit::FontSpec& font) { headerFooterFont_ = font; }
  const toolkit::FontSpec& RecordFont() const { return recordFont_; }
  void SetRecordFont(const toolkit::FontSpec& font) { recordFont_ = font; }
  const toolkit::FontSpec& TitleFont() const { return titleFont_; }
  void SetTitleFont(const toolkit::FontSpec& font) { titleFont_ = font; }
  // Not owned.
  data::TDataSet* Table = nullptr;
  // The document name the print spooler shows.
  std::string PrintMgrTitle;
  std::string Header;
  TAlignment HeaderAlignment = TAlignment::taCenter;
  bool PrintToFile = false;
  std::string PrintFileName;
  int FromPage = 1;
  int ToPage = 100;
  bool Border = true;
  bool ColLines = true;
  bool RowLines = false;
  int HorizontalGap = 10;
  int VerticalGapPct = 20;
  TPageNumberPos PageNumberPos = TPageNumberPos::pnBotCenter;
  std::string PageNumberLabel = "Page ";
  TPageNumberPos DatePos = TPageNumberPos::pnBotLeft;
  std::string DateLabel;

  // Runs one report with the current settings; throws std::runtime_error
  // with the message to show when it fails.
  void Print();

  // ---- Not published: how a run reaches the machine.
  // The printer a run prints on; by default a new one per run: the default
  // printer, or a PDF file named after the header and the date.
  using PrinterFactory = std::function<std::unique_ptr<toolkit::PrinterService>(const TxvDBPrint&)>;
  void SetPrinterFactory(PrinterFactory factory) { printerFactory_ = std::move(factory); }
  // Where a run shows its progress and learns of a stop; by default a
  // progress window on the screen.
  using ProgressFactory = std::function<std::unique_ptr<ReportProgress>()>;
  void SetProgressFactory(ProgressFactory factory) { progressFactory_ = std::move(factory); }
  // How long a run may keep the window from repainting; zero lets pending
  // messages through after every record.
  std::chrono::milliseconds YieldInterval{25};

  // ---- What the last run did.
  bool Running() const { return running_; }
  bool LastRunStopped() const { return lastRunStopped_; }
  // The PDF file the last printed run went into, empty for a printer.
  const std::string& LastOutputFile() const { return lastOutputFile_; }
  // The character width measured by the last printer run (0 before one).
  int CharacterWidth() const { return characterWidth_; }

 private:
  friend class ReportRun;

  std::string name_;
  toolkit::FontSpec fieldNameFont_ = toolkit::defaultFont();
  toolkit::FontSpec headerFooterFont_ = toolkit::defaultFont();
  toolkit::FontSpec recordFont_ = toolkit::defaultFont();
  toolkit::FontSpec titleFont_ = toolkit::defaultFont();
  PrinterFactory printerFactory_;
  ProgressFactory progressFactory_;
  bool running_ = false;
  bool lastRunStopped_ = false;
  std::string lastOutputFile_;
  int characterWidth_ = 0;
};

}  // namespace report
