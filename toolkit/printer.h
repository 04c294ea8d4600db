// The printer service the report prints through: a job with a spooler
// document title, begun, paged and ended, whose pages are drawn on a Canvas
// in device dots. The page is the printable area: (0, 0) is its top-left
// corner and pageWidth() by pageHeight() its size. beginDoc throws
// std::runtime_error with a message when no job can be started. Qt-free;
// QtPrinter (toolkit_qt) prints on the default printer or into a PDF file,
// RecordingPrinter (below) serves tests.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/canvas.h"
#include "toolkit/recording_canvas.h"

namespace toolkit {

class PrinterService {
 public:
  virtual ~PrinterService() = default;
  virtual void setTitle(const std::string& title) = 0;
  virtual void beginDoc() = 0;
  virtual void newPage() = 0;
  virtual void endDoc() = 0;
  // Ends the job without printing it: a printer drops it, a file is removed.
  virtual void abortDoc() = 0;
  virtual bool printing() const = 0;
  // The file the job goes into when the printer writes a file rather than
  // paper; after endDoc, that file's final name. Empty for paper.
  virtual std::string outputFile() const = 0;
  virtual int pageWidth() const = 0;
  virtual int pageHeight() const = 0;
  virtual int pixelsPerInch() const = 0;
  // The page being drawn; valid from beginDoc to endDoc.
  virtual Canvas& canvas() = 0;
};

// A printer for tests: a page of the given size and resolution, a
// RecordingCanvas, and a log of the job's steps ("title <t>", "begin",
// "new page", "end", "abort").
class RecordingPrinter : public PrinterService {
 public:
  RecordingPrinter(int pageWidth, int pageHeight, int pixelsPerInch);

  void setTitle(const std::string& title) override;
  void beginDoc() override;
  void newPage() override;
  void endDoc() override;
  void abortDoc() override;
  bool printing() const override { return printing_; }
  std::string outputFile() const override { return outputFile_; }
  int pageWidth() const override { return width_; }
  int pageHeight() const override { return height_; }
  int pixelsPerInch() const override { return canvas_.pixelsPerInch(); }
  Canvas& canvas() override { return canvas_; }

  RecordingCanvas& recording() { return canvas_; }
  const std::vector<std::string>& steps() const { return steps_; }
  // Index into recording().calls() where each page's drawing starts.
  const std::vector<std::size_t>& pageStarts() const { return pageStarts_; }
  // Makes the next beginDoc throw, as a printer that cannot be opened does.
  void failNextBegin(const std::string& message) { failure_ = message; }
  // Makes the printer one that writes this file instead of paper.
  void setOutputFile(const std::string& file) { outputFile_ = file; }

 private:
  int width_;
  int height_;
  bool printing_ = false;
  RecordingCanvas canvas_;
  std::vector<std::string> steps_;
  std::vector<std::size_t> pageStarts_;
  std::string failure_;
  std::string outputFile_;
};

}  // namespace toolkit
