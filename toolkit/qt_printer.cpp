#include "qt_printer.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <utility>

namespace toolkit {

namespace {
constexpr int kPdfDotsPerInch = 600;

QString documentsFolder() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
  return folder;
}

QString fileNameFor(const QString& name) {
  QString fileName = name.isEmpty() ? QStringLiteral("report") : name;
  fileName.replace(QRegularExpression(QStringLiteral("[/\\\\:*?\"<>|\\x00-\\x1f]")), "_");
  return fileName;
}

// "<base>.pdf", else "<base> (2).pdf", ...: the n-th candidate in folder.
QString numberedPdf(const QString& folder, const QString& base, int n) {
  const QString suffix = n == 1 ? QString() : QStringLiteral(" (%1)").arg(n);
  return QDir(folder).filePath(base + suffix + QStringLiteral(".pdf"));
}

// Links the finished file under the first free name; a link fails rather
// than replace a file that appeared meanwhile.
QString linkUnderFreeName(const QString& temporary, const QString& folder, const QString& base) {
  for (int n = 1; n < 10000; ++n) {
    const QString candidate = numberedPdf(folder, base, n);
    if (QFileInfo::exists(candidate)) continue;
    if (::link(QFile::encodeName(temporary).constData(),
               QFile::encodeName(candidate).constData()) == 0) {
      QFile::remove(temporary);
      return candidate;
    }
    if (errno != EEXIST && QFile::rename(temporary, candidate)) return candidate;
  }
  return {};
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
  if (!temporaryPdf_.isEmpty()) QFile::remove(temporaryPdf_);
}

namespace {
QString namedPdfFile(const QString& setting) {
  if (!setting.isEmpty()) return setting;
  return qEnvironmentVariable("VINDRAL_PRINT_PDF");
}
}  // namespace

QString QtPrinter::pdfFile() const {
  if (!pdf_) return {};
  const QString named = namedPdfFile(pdfFile_);
  if (!named.isEmpty()) return named;
  const QString folder = documentsFolder();
  const QString base = fileNameFor(pdfName_.isEmpty() ? title_ : pdfName_);
  for (int n = 1;; ++n) {
    const QString candidate = numberedPdf(folder, base, n);
    if (!QFileInfo::exists(candidate)) return candidate;
  }
}

QString QtPrinter::outputDescription() const {
  if (!pdf_) return printer_->printerName();
  return writtenPdf_.isEmpty() ? pdfFile() : writtenPdf_;
}

std::string QtPrinter::outputFile() const {
  return pdf_ ? outputDescription().toStdString() : std::string();
}

void QtPrinter::setTitle(const std::string& title) {
  title_ = QString::fromStdString(title);
  printer_->setDocName(title_);
}

void QtPrinter::beginDoc() {
  if (painter_.isActive()) throw std::runtime_error("Printing in progress");
  writtenPdf_.clear();
  if (pdf_) {
    const QFileInfo target(pdfFile());
    temporaryPdf_ = target.dir().filePath(QStringLiteral(".%1.%2.part")
                                              .arg(target.fileName())
                                              .arg(QCoreApplication::applicationPid()));
    printer_->setOutputFileName(temporaryPdf_);
  }
  if (!painter_.begin(printer_.get())) {
    temporaryPdf_.clear();
    throw std::runtime_error("Cannot start printing on " + outputDescription().toStdString());
  }
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
  if (pdf_) publishPdf();
}

void QtPrinter::publishPdf() {
  const QString temporary = std::exchange(temporaryPdf_, QString());
  const QString named = namedPdfFile(pdfFile_);
  if (!named.isEmpty()) {
    // A file asked for by name is replaced.
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(named).constData()) ==
        0) {
      writtenPdf_ = named;
      return;
    }
  } else {
    const QFileInfo target(pdfFile());
    writtenPdf_ = linkUnderFreeName(temporary, target.absolutePath(),
                                    fileNameFor(pdfName_.isEmpty() ? title_ : pdfName_));
    if (!writtenPdf_.isEmpty()) return;
  }
  QFile::remove(temporary);
  throw std::runtime_error("Cannot save the printed report as " + pdfFile().toStdString());
}

void QtPrinter::abortDoc() {
  if (!painter_.isActive()) throw std::runtime_error("Printer is not currently printing");
  canvas_.reset();
  if (!pdf_) printer_->abort();
  painter_.end();
  if (pdf_) QFile::remove(std::exchange(temporaryPdf_, QString()));
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
