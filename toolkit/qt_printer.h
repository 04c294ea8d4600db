// The printer service on Qt. It prints on the system's default printer; when
// the machine has none (or kPdfFile is asked for), it writes the pages into a
// PDF file at 600 dots per inch instead. That file is, first found:
//   1. the path given to setPdfFile;
//   2. the path in the environment variable VINDRAL_PRINT_PDF;
//   3. "<PDF name>.pdf" in the user's documents folder (the home folder when
//      there is none), the name being the one given to setPdfName, else the
//      document title, with characters unfit for file names replaced by "_".
//      An earlier file is never replaced: the job takes the first free name
//      of "<name>.pdf", "<name> (2).pdf", "<name> (3).pdf", ...
// A named file (1, 2) is replaced. The pages go into a hidden temporary file
// beside the PDF, which takes its name when the job ends, so an aborted or
// unfinished job leaves nothing under that name. outputFile() tells where the
// last job went.
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
  void setPdfName(const QString& name) { pdfName_ = name; }
  // The PDF file a job would write now (empty when a printer is used).
  QString pdfFile() const;
  QString outputDescription() const;

  void setTitle(const std::string& title) override;
  void beginDoc() override;
  void newPage() override;
  void endDoc() override;
  void abortDoc() override;
  bool printing() const override { return painter_.isActive(); }
  std::string outputFile() const override;
  int pageWidth() const override;
  int pageHeight() const override;
  int pixelsPerInch() const override;
  Canvas& canvas() override;

 private:
  // Gives the temporary file its final name; throws when it cannot.
  void publishPdf();

  std::unique_ptr<QPrinter> printer_;
  QPainter painter_;
  std::unique_ptr<PainterCanvas> canvas_;
  QString title_;
  QString pdfFile_;
  QString pdfName_;
  bool pdf_ = false;
  QString temporaryPdf_;  // the file being written during a PDF job
  QString writtenPdf_;    // where the last finished job went
};

}  // namespace toolkit
