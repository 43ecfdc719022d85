// Shared parts of the PDF structure benchmarks: a generator of big PDFs,
// timing, file copies and running the comparison tools.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace pdfbench {

inline double Now() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Writes a PDF with `pages` pages, each drawing its own gray image of
// side x side random bytes and the text "Bench page K". Pages hang under
// intermediate nodes of `fanout` pages that give them /MediaBox, so the
// page-order writer has to rewrite every page. Classic table.
inline bool WriteBigPdf(const std::string& path, int pages, int side, int fanout) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::vector<uint64_t> offsets;
  uint64_t pos = 0;
  auto put = [&](const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), f);
    pos += s.size();
  };
  auto begin = [&](size_t number) {
    if (offsets.size() <= number) offsets.resize(number + 1, 0);
    offsets[number] = pos;
    put(std::to_string(number) + " 0 obj\n");
  };
  const int nodes = (pages + fanout - 1) / fanout;
  // Numbers: 1 catalog, 2 root, 3 font, 4.. nodes, then 3 per page.
  const size_t firstPage = 4 + static_cast<size_t>(nodes);
  put("%PDF-1.7\n%\xE2\xE3\xCF\xD3\n");
  begin(1);
  put("<< /Type /Catalog /Pages 2 0 R >>\nendobj\n");
  begin(2);
  std::string kids;
  for (int i = 0; i < nodes; ++i) kids += " " + std::to_string(4 + i) + " 0 R";
  put("<< /Type /Pages /Count " + std::to_string(pages) + " /Kids [" + kids + " ] >>\nendobj\n");
  begin(3);
  put("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>\nendobj\n");
  for (int i = 0; i < nodes; ++i) {
    begin(4 + static_cast<size_t>(i));
    std::string sub;
    int count = 0;
    for (int p = i * fanout; p < pages && p < (i + 1) * fanout; ++p, ++count)
      sub += " " + std::to_string(firstPage + 3 * static_cast<size_t>(p)) + " 0 R";
    put("<< /Type /Pages /Parent 2 0 R /MediaBox [0 0 612 792] /Count " + std::to_string(count) + " /Kids [" +
        sub + " ] >>\nendobj\n");
  }
  std::vector<char> image(static_cast<size_t>(side) * side);
  uint64_t x = 88172645463325252ULL;
  for (int p = 0; p < pages; ++p) {
    const size_t page = firstPage + 3 * static_cast<size_t>(p);
    begin(page);
    put("<< /Type /Page /Parent " + std::to_string(4 + p / fanout) + " 0 R /Contents " + std::to_string(page + 1) +
        " 0 R /Resources << /Font << /F1 3 0 R >> /XObject << /Im1 " + std::to_string(page + 2) +
        " 0 R >> >> >>\nendobj\n");
    const std::string content = "q 300 0 0 300 150 300 cm /Im1 Do Q BT /F1 24 Tf 72 720 Td (Bench page " +
                                std::to_string(p + 1) + ") Tj ET\n";
    begin(page + 1);
    put("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream\nendobj\n");
    for (char& c : image) {
      x ^= x << 13;
      x ^= x >> 7;
      x ^= x << 17;
      c = static_cast<char>(x);
    }
    begin(page + 2);
    put("<< /Type /XObject /Subtype /Image /Width " + std::to_string(side) + " /Height " + std::to_string(side) +
        " /ColorSpace /DeviceGray /BitsPerComponent 8 /Length " + std::to_string(image.size()) + " >>\nstream\n");
    std::fwrite(image.data(), 1, image.size(), f);
    pos += image.size();
    put("\nendstream\nendobj\n");
  }
  const uint64_t xref = pos;
  put("xref\n0 " + std::to_string(offsets.size()) + "\n0000000000 65535 f \n");
  for (size_t i = 1; i < offsets.size(); ++i) {
    char line[32];
    std::snprintf(line, sizeof(line), "%010llu 00000 n \n", static_cast<unsigned long long>(offsets[i]));
    put(line);
  }
  put("trailer\n<< /Size " + std::to_string(offsets.size()) + " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) +
      "\n%%EOF\n");
  return std::fclose(f) == 0;
}

inline bool ReadAll(const std::string& path, std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  bytes.resize(static_cast<size_t>(size));
  const size_t got = std::fread(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return got == bytes.size();
}

inline bool WriteAll(const std::string& path, const std::vector<uint8_t>& a, const std::vector<uint8_t>* b) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(a.data(), 1, a.size(), f) == a.size();
  if (b) ok = ok && std::fwrite(b->data(), 1, b->size(), f) == b->size();
  return std::fclose(f) == 0 && ok;
}

inline uint64_t FileSize(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 0;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fclose(f);
  return static_cast<uint64_t>(size);
}

// Runs a program with its output thrown away; returns its exit status.
inline int Spawn(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", 1 /* O_WRONLY */, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 1, 0);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The first line a command prints.
inline std::string Capture(const std::string& command) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return "";
  char line[4096] = {};
  std::string out = std::fgets(line, sizeof(line), p) ? line : "";
  pclose(p);
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

template <typename F>
double Median(int runs, F&& f) {
  std::vector<double> t;
  for (int i = 0; i < runs; ++i) {
    const double start = Now();
    f();
    t.push_back(Now() - start);
  }
  std::sort(t.begin(), t.end());
  return t[t.size() / 2];
}

}  // namespace pdfbench
