// What a report prints on when nothing else is set: the machine's default
// printer, or, on a machine without one, a PDF file in the user's documents
// folder named after the report's header and today's date; and a progress
// window.
#pragma once

#include <memory>
#include <string>

#include "report/report_progress.h"
#include "toolkit/printer.h"

namespace report {

class TxvDBPrint;

std::unique_ptr<toolkit::PrinterService> defaultPrinter(const TxvDBPrint& report);
std::unique_ptr<ReportProgress> defaultProgress();

// "<header> <yyyy-mm-dd>", the name a PDF of the report takes today.
std::string pdfNameFor(const std::string& header);

}  // namespace report
