#include "qt_printer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace toolkit {
namespace {

int occurrences(const QByteArray& data, const QByteArray& what) {
  int count = 0;
  for (qsizetype at = data.indexOf(what); at >= 0; at = data.indexOf(what, at + 1)) ++count;
  return count;
}

TEST(QtPrinter, WritesTheJobsPagesIntoThePdfFileAndMeasuresInDots) {
  QTemporaryDir dir;
  QtPrinter printer(QtPrinter::Target::kPdfFile);
  const QString file = dir.filePath("report.pdf");
  printer.setPdfFile(file);
  printer.setTitle("xvDBPrint1");
  EXPECT_EQ(printer.pixelsPerInch(), 600);
  // A sheet of A4 or Letter, less the device's margins, at 600 dots per inch.
  EXPECT_GT(printer.pageWidth(), 4000);
  EXPECT_LT(printer.pageWidth(), 5200);
  EXPECT_GT(printer.pageHeight(), 6000);
  EXPECT_LT(printer.pageHeight(), 7100);

  printer.beginDoc();
  EXPECT_TRUE(printer.printing());
  Canvas& canvas = printer.canvas();
  EXPECT_EQ(canvas.pixelsPerInch(), 600);
  EXPECT_EQ(canvas.textHeight("X"), canvas.textHeight("X"));
  EXPECT_GT(canvas.textHeight("X"), 67) << "8 points are 67 dots high, plus leading";
  canvas.textOut(40, 40, "Portfolios");
  canvas.rectangle({40, 200, 400, 300});
  printer.newPage();
  printer.canvas().textOut(40, 40, "page two");
  printer.endDoc();
  EXPECT_FALSE(printer.printing());

  QFile pdf(file);
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  const QByteArray data = pdf.readAll();
  EXPECT_TRUE(data.startsWith("%PDF"));
  EXPECT_EQ(occurrences(data, "/Type /Page\n") + occurrences(data, "/Type /Page\r") +
                occurrences(data, "/Type /Page "),
            2);
  // The document's title carries the spooler title, as UTF-16.
  QByteArray utf16;
  for (char c : QByteArray("xvDBPrint1")) utf16.append('\0').append(c);
  EXPECT_TRUE(data.contains(utf16));
}

TEST(QtPrinter, PdfFileComesFromTheSetterThenTheEnvironmentThenTheTitle) {
  QtPrinter printer(QtPrinter::Target::kPdfFile);
  printer.setTitle("Price: History/2");
  qunsetenv("VINDRAL_PRINT_PDF");
  EXPECT_TRUE(printer.pdfFile().endsWith("/Price_ History_2.pdf"))
      << printer.pdfFile().toStdString();
  qputenv("VINDRAL_PRINT_PDF", "/elsewhere/out.pdf");
  EXPECT_EQ(printer.pdfFile(), "/elsewhere/out.pdf");
  printer.setPdfFile("/chosen.pdf");
  EXPECT_EQ(printer.pdfFile(), "/chosen.pdf");
  qunsetenv("VINDRAL_PRINT_PDF");
}

TEST(QtPrinter, AFileThatCannotBeWrittenFailsTheBeginWithAMessage) {
  QtPrinter printer(QtPrinter::Target::kPdfFile);
  printer.setPdfFile("/no/such/folder/at/all/report.pdf");
  EXPECT_THROW(printer.beginDoc(), std::runtime_error);
  EXPECT_FALSE(printer.printing());
  EXPECT_THROW(printer.newPage(), std::runtime_error);
}

TEST(QtPrinter, ADocumentsFolderPdfTakesAFreeNameAndAnAbortedJobLeavesNoFile) {
  QTemporaryDir home;
  const QByteArray oldHome = qgetenv("HOME");
  qputenv("HOME", QFile::encodeName(home.path()));
  qunsetenv("VINDRAL_PRINT_PDF");
  QDir(home.path()).mkdir("Documents");
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  {
    QFile earlier(QDir(folder).filePath("Portfolios 2026-12-08.pdf"));
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier");
  }
  QtPrinter printer(QtPrinter::Target::kPdfFile);
  printer.setPdfName("Portfolios 2026-12-08");
  printer.beginDoc();
  printer.canvas().textOut(40, 40, "aborted");
  printer.abortDoc();
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
            QStringList{"Portfolios 2026-12-08.pdf"});

  printer.beginDoc();
  printer.canvas().textOut(40, 40, "kept");
  printer.endDoc();
  const QString second = QDir(folder).filePath("Portfolios 2026-12-08 (2).pdf");
  EXPECT_EQ(QString::fromStdString(printer.outputFile()), second);
  EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2);
  QFile earlier(QDir(folder).filePath("Portfolios 2026-12-08.pdf"));
  ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
  EXPECT_EQ(earlier.readAll(), "earlier");
  qputenv("HOME", oldHome);
}

}  // namespace
}  // namespace toolkit
