#include "tests/grid/print_test_support.h"

#include <gtest/gtest.h>

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <sstream>

namespace zv::test {

void SetUpPdfPrinter(QPrinter& printer, const std::string& path, int dpi) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(path));
  printer.setResolution(dpi);
  printer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

namespace {

// pdftotext's output for the file with the options, UTF-8; empty on failure.
std::string PdfToText(const std::string& path, QStringList options) {
  QProcess process;
  options << QStringLiteral("-enc") << QStringLiteral("UTF-8") << QString::fromStdString(path) << QStringLiteral("-");
  process.start(QStringLiteral("pdftotext"), options);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
    ADD_FAILURE() << "pdftotext failed on " << path << ": " << process.readAllStandardError().toStdString();
    return {};
  }
  return process.readAllStandardOutput().toStdString();
}

}  // namespace

std::vector<PdfWord> PdfWords(const std::string& path, int page) {
  const QString pageText = QString::number(page);
  const QString html = QString::fromStdString(
      PdfToText(path, {QStringLiteral("-bbox"), QStringLiteral("-f"), pageText, QStringLiteral("-l"), pageText}));
  static const QRegularExpression word(QStringLiteral(
      R"re(<word xMin="([-0-9.]+)" yMin="([-0-9.]+)" xMax="([-0-9.]+)" yMax="([-0-9.]+)">([^<]*)</word>)re"));
  std::vector<PdfWord> words;
  for (auto it = word.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    words.push_back(PdfWord{m.captured(5).toStdString(), m.captured(1).toDouble(), m.captured(2).toDouble(),
                            m.captured(3).toDouble(), m.captured(4).toDouble()});
  }
  return words;
}

std::vector<std::string> PdfPages(const std::string& path) {
  const std::string text = PdfToText(path, {});
  // Pages end with a form feed.
  std::vector<std::string> pages;
  std::string::size_type start = 0;
  for (std::string::size_type ff; (ff = text.find('\f', start)) != std::string::npos; start = ff + 1)
    pages.push_back(text.substr(start, ff - start));
  return pages;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

int CountWord(const std::vector<std::string>& words, const std::string& word) {
  return static_cast<int>(std::count(words.begin(), words.end(), word));
}

}  // namespace zv::test
