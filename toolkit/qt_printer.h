// The printer service on Qt. It prints on the system's default printer; when
// the machine has none (or kPdfFile is asked for), it writes the pages into a
// PDF file at 600 dots per inch instead. That file is, first found:
//   1. the path given to setPdfFile;
//   2. the path in the environment variable VINDRAL_PRINT_PDF;
//   3. "<document title>.pdf" in the user's documents folder (the home
//      folder when there is none), characters unfit for file names replaced
//      by "_"; an existing file of that name is replaced.
// outputDescription() tells where the last job went.
#pragma once

#include <QPainter>
#include <QString>
#include <memory>

#include "toolkit/painter_canvas.h"
#include "toolkit/printer.h"

class QPrinter;

namespace toolkit {

class QtPrinter : public PrinterService {
 public:
  enum class Target { kDefaultPrinterOrPdf, kPdfFile };
  explicit QtPrinter(Target target = Target::kDefaultPrinterOrPdf);
  ~QtPrinter() override;

  void setPdfFile(const QString& path) { pdfFile_ = path; }
  // The PDF file a job would write now (empty when a printer is used).
  QString pdfFile() const;
  QString outputDescription() const;

  void setTitle(const std::string& title) override;
  void beginDoc() override;
  void newPage() override;
  void endDoc() override;
  bool printing() const override { return painter_.isActive(); }
  int pageWidth() const override;
  int pageHeight() const override;
  int pixelsPerInch() const override;
  Canvas& canvas() override;

 private:
  bool toPdf() const;

  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  std::unique_ptr<PainterCanvas> canvas_;
  QString title_;
  QString pdfFile_;
  bool pdf_ = false;
};

}  // namespace toolkit
