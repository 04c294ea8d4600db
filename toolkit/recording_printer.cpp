#include <stdexcept>

#include "toolkit/printer.h"

namespace toolkit {

RecordingPrinter::RecordingPrinter(int pageWidth, int pageHeight, int pixelsPerInch)
    : width_(pageWidth), height_(pageHeight), canvas_(pixelsPerInch) {}

void RecordingPrinter::setTitle(const std::string& title) {
  steps_.push_back("title " + title);
}

void RecordingPrinter::beginDoc() {
  if (!failure_.empty()) {
    const std::string message = failure_;
    failure_.clear();
    throw std::runtime_error(message);
  }
  if (printing_) throw std::runtime_error("Printing in progress");
  printing_ = true;
  steps_.push_back("begin");
  pageStarts_.push_back(canvas_.calls().size());
}

void RecordingPrinter::newPage() {
  if (!printing_) throw std::runtime_error("Printer is not currently printing");
  steps_.push_back("new page");
  pageStarts_.push_back(canvas_.calls().size());
}

void RecordingPrinter::endDoc() {
  if (!printing_) throw std::runtime_error("Printer is not currently printing");
  printing_ = false;
  steps_.push_back("end");
}

void RecordingPrinter::abortDoc() {
  if (!printing_) throw std::runtime_error("Printer is not currently printing");
  printing_ = false;
  steps_.push_back("abort");
}

}  // namespace toolkit
