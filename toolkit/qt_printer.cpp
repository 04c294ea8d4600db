#include "qt_printer.h"

#include <QDir>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <stdexcept>

namespace toolkit {

namespace {
constexpr int kPdfDotsPerInch = 600;

QString defaultPdfFile(const QString& title) {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  QString name = title.isEmpty() ? QStringLiteral("report") : title;
  name.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), "_");
  return QDir(folder).filePath(name + QStringLiteral(".pdf"));
}
}  // namespace

QtPrinter::QtPrinter(Target target) {
  const QPrinterInfo printer = QPrinterInfo::defaultPrinter();
  pdf_ = target == Target::kPdfFile || printer.isNull();
  if (pdf_) {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setResolution(kPdfDotsPerInch);
  } else {
    printer_ = std::make_unique<QPrinter>(printer, QPrinter::HighResolution);
  }
}

QtPrinter::~QtPrinter() {
  if (painter_.isActive()) painter_.end();
}

QString QtPrinter::pdfFile() const {
  if (!pdf_) return {};
  if (!pdfFile_.isEmpty()) return pdfFile_;
  const QString fromEnvironment = qEnvironmentVariable("VINDRAL_PRINT_PDF");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  return defaultPdfFile(title_);
}

QString QtPrinter::outputDescription() const {
  return pdf_ ? pdfFile() : printer_->printerName();
}

void QtPrinter::setTitle(const std::string& title) {
  title_ = QString::fromStdString(title);
  printer_->setDocName(title_);
}

void QtPrinter::beginDoc() {
  if (painter_.isActive()) throw std::runtime_error("Printing in progress");
  if (pdf_) printer_->setOutputFileName(pdfFile());
  if (!painter_.begin(printer_.get()))
    throw std::runtime_error("Cannot start printing on " + outputDescription().toStdString());
  canvas_ = std::make_unique<PainterCanvas>(painter_, pixelsPerInch());
}

void QtPrinter::newPage() {
  if (!painter_.isActive()) throw std::runtime_error("Printer is not currently printing");
  printer_->newPage();
}

void QtPrinter::endDoc() {
  if (!painter_.isActive()) throw std::runtime_error("Printer is not currently printing");
  canvas_.reset();
  painter_.end();
}

int QtPrinter::pageWidth() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).width();
}

int QtPrinter::pageHeight() const {
  return printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
}

int QtPrinter::pixelsPerInch() const {
  return printer_->resolution();
}

Canvas& QtPrinter::canvas() {
  if (!canvas_) throw std::runtime_error("Printer is not currently printing");
  return *canvas_;
}

}  // namespace toolkit
