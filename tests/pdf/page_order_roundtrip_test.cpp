// Round trip over real PDFs: a new page order is appended to files made by
// our generator, qpdf and Ghostscript, and independent readers (qpdf,
// pdftotext and pdfinfo from poppler) must find a sound file with the pages
// in the new order and the original bytes untouched in front.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "pdf/page_order_writer.h"
#include "pdf/pdf_reader.h"

namespace {

struct Result {
  int status = -1;
  std::string output;
};

Result Shell(const std::string& command) {
  Result result;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof(buffer), pipe)) > 0) result.output.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

bool Have(const std::string& tool) { return Shell("command -v " + tool + " >/dev/null").status == 0; }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(a.data()), static_cast<std::streamsize>(a.size()));
  out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

// What independent readers see of each page: its text, its size and its
// rotation.
std::vector<std::string> PageSignatures(const std::string& path) {
  std::vector<std::string> pages;
  const Result text = Shell("pdftotext -layout " + Quote(path) + " -");
  if (text.status != 0) return pages;
  std::stringstream split(text.output);
  std::string page;
  while (std::getline(split, page, '\f')) {
    const size_t start = page.find_first_not_of(" \n");
    const size_t end = page.find_last_not_of(" \n");
    pages.push_back(start == std::string::npos ? "" : page.substr(start, end - start + 1));
  }
  const Result info = Shell("pdfinfo -f 1 -l " + std::to_string(pages.size()) + " " + Quote(path));
  std::stringstream lines(info.output);
  std::string line;
  while (std::getline(lines, line)) {
    unsigned k = 0;
    char what[8] = {};
    if (std::sscanf(line.c_str(), "Page %u %7[a-z]:", &k, what) == 2 && k >= 1 && k <= pages.size())
      pages[k - 1] += std::string(" | ") + what + line.substr(line.find(':'));
  }
  return pages;
}

std::vector<int> Shuffled(size_t n, uint32_t seed) {
  std::vector<int> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i);
  for (size_t i = n; i > 1; --i) {
    seed = seed * 1664525u + 1013904223u;
    std::swap(order[i - 1], order[(seed >> 8) % i]);
  }
  return order;
}

class PageOrderRoundTrip : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    for (const char* tool : {"python3", "qpdf", "pdftotext", "pdfinfo"}) {
      if (!Have(tool)) missing_ += std::string(missing_.empty() ? "" : ", ") + tool;
    }
    if (!missing_.empty()) return;
    char dir[] = "/tmp/folivex-roundtrip-XXXXXX";
    if (!mkdtemp(dir)) return;
    dir_ = dir;
    const std::string out = Quote(dir_);
    Shell("python3 " + Quote(std::string(FV_SOURCE_DIR) + "/tools/make_page_order_pdfs.py") + " " + out);
    Shell("qpdf --object-streams=generate " + out + "/tree.pdf " + out + "/qpdf-objstm.pdf");
    Shell("qpdf --linearize " + out + "/tree.pdf " + out + "/qpdf-linearized.pdf");
    Shell("qpdf --linearize --object-streams=generate " + out + "/incremental.pdf " + out + "/qpdf-linearized-objstm.pdf");
    if (Have("gs")) {
      Shell("gs -q -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile=" + out + "/gs.pdf " + out + "/tree.pdf");
    }
  }
  static void TearDownTestSuite() {
    if (!dir_.empty()) Shell("rm -rf " + Quote(dir_));
  }
  void SetUp() override {
    if (!missing_.empty()) GTEST_SKIP() << "needs " << missing_ << " on PATH";
    ASSERT_FALSE(dir_.empty());
  }

  // Writes `order` into `input`, saves the result as `output` and checks it
  // with the independent readers.
  void Reorder(const std::string& input, const std::string& output, const std::vector<int>& order) {
    SCOPED_TRACE(input);
    const std::vector<uint8_t> original = ReadFile(input);
    ASSERT_FALSE(original.empty());
    const std::vector<std::string> before = PageSignatures(input);
    ASSERT_EQ(before.size(), order.size());

    std::vector<uint8_t> update;
    std::string error;
    ASSERT_TRUE(WritePageOrder(original, order, update, error)) << error;
    WriteFile(output, original, update);

    const std::vector<uint8_t> saved = ReadFile(output);
    ASSERT_EQ(saved.size(), original.size() + update.size());
    EXPECT_TRUE(std::equal(original.begin(), original.end(), saved.begin()));

    const Result check = Shell("qpdf --check " + Quote(output));
    EXPECT_EQ(check.status, 0) << check.output;
    EXPECT_NE(check.output.find("No syntax or stream encoding errors found"), std::string::npos) << check.output;
    const Result count = Shell("qpdf --show-npages " + Quote(output));
    EXPECT_EQ(std::stoul(count.output), order.size());

    const std::vector<std::string> after = PageSignatures(output);
    ASSERT_EQ(after.size(), order.size());
    for (size_t k = 0; k < order.size(); ++k)
      EXPECT_EQ(after[k], before[static_cast<size_t>(order[k])]) << "position " << k;

    // Our own reader agrees with them.
    PdfReader reader;
    ASSERT_TRUE(reader.ReadPages(saved.data(), saved.size())) << reader.ErrorText();
    EXPECT_EQ(reader.Pages().size(), order.size());
  }

  static std::string missing_;
  static std::string dir_;
};

std::string PageOrderRoundTrip::missing_;
std::string PageOrderRoundTrip::dir_;

TEST_F(PageOrderRoundTrip, GeneratedFilesOfEveryStructure) {
  for (const char* name : {"tree", "incremental", "hybrid", "xrefstream"}) {
    Reorder(dir_ + "/" + name + ".pdf", dir_ + "/" + name + "-out.pdf", Shuffled(30, 7));
  }
}

TEST_F(PageOrderRoundTrip, FilesWrittenByQpdfAndGhostscript) {
  int tried = 0;
  for (const char* name : {"qpdf-objstm", "qpdf-linearized", "qpdf-linearized-objstm", "gs"}) {
    const std::string input = dir_ + "/" + name + ".pdf";
    if (access(input.c_str(), R_OK) != 0) {
      EXPECT_STREQ(name, "gs") << "the qpdf variant could not be made";
      continue;
    }
    ++tried;
    Reorder(input, dir_ + "/" + name + "-out.pdf", Shuffled(30, 1234));
  }
  EXPECT_GE(tried, 3);
}

TEST_F(PageOrderRoundTrip, UpdatesStackAndIdentityOrderKeepsPages) {
  const std::string first = dir_ + "/stack-1.pdf", second = dir_ + "/stack-2.pdf", third = dir_ + "/stack-3.pdf";
  Reorder(dir_ + "/xrefstream.pdf", first, Shuffled(30, 99));
  Reorder(first, second, Shuffled(30, 100));
  std::vector<int> identity(30);
  for (int i = 0; i < 30; ++i) identity[static_cast<size_t>(i)] = i;
  Reorder(second, third, identity);
}

}  // namespace
