// A printer that passes every call on to another one the caller keeps: for
// handing a printer to something that takes ownership of the one it is given
// (the report's printer factory) while the caller goes on reading it.
#pragma once

#include <string>

#include "printer.h"

namespace toolkit {

class ForwardingPrinter : public PrinterService {
 public:
  explicit ForwardingPrinter(PrinterService& printer) : p_(printer) {}
  void setTitle(const std::string& title) override { p_.setTitle(title); }
  void beginDoc() override { p_.beginDoc(); }
  void newPage() override { p_.newPage(); }
  void endDoc() override { p_.endDoc(); }
  void abortDoc() override { p_.abortDoc(); }
  bool printing() const override { return p_.printing(); }
  std::string outputFile() const override { return p_.outputFile(); }
  int pageWidth() const override { return p_.pageWidth(); }
  int pageHeight() const override { return p_.pageHeight(); }
  int pixelsPerInch() const override { return p_.pixelsPerInch(); }
  Canvas& canvas() override { return p_.canvas(); }

 private:
  PrinterService& p_;
};

}  // namespace toolkit
