// PdfEngine on PDFium, loaded at run time from the DLL the bootstrap put in
// place. One instance lives on the render worker.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "base/handles.h"
#include "engine/pdf_engine.h"
#include "engine/pdfium_api.h"
#include "engine/read_ahead.h"

class PdfiumEngine final : public PdfEngine {
 public:
  PdfiumEngine() = default;
  PdfiumEngine(const PdfiumEngine&) = delete;
  PdfiumEngine& operator=(const PdfiumEngine&) = delete;
  ~PdfiumEngine() override;

  // Loads the DLL, binds the 42 functions and starts PDFium. `status` becomes
  // the DLL's path on success, or the reason PDFium can't be used. Only the
  // first successful load counts; later calls change nothing.
  bool Load(const std::wstring& dllPath, std::wstring& status);

  bool Ready() const override { return loaded_; }
  HRESULT Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override;
  HRESULT Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override;
  HRESULT Render(int page, int width, int height, int rotation, bool lcdText, RenderedPage& out) override;
  bool ReadPageText(int page, PageText& text) override;
  bool ReadPageChars(int page, PageText& text) override;
  std::vector<BookmarkEntry> ReadBookmarks() override;
  bool AddBroughtInPages(const std::vector<BroughtInRequest>& pages, PageSizes& added) override;
  void Close() override;

  // For the rebuild: the bound functions, the main document and its pages.
  const PdfiumApi& Api() const { return api_; }
  FPDF_DOCUMENT MainDocument() const { return main_ ? main_->document : nullptr; }
  int MainPageCount() const { return mainPageCount_; }
  // A brought-in page's source document and page number; false when `index`
  // is not a brought-in page.
  bool BroughtInSource(int index, FPDF_DOCUMENT& document, int& page) const;
  // A page is kept loaded from one job to the next (none once its document
  // is closed or the worker is idle).
  bool KeepsAPage() const { return loadedPage_.page != nullptr; }
  void Idle() override { ForgetLoadedPage(); }

 private:
  // A PDF opened through the file-access callback, with the file it reads.
  struct OpenPdf {
    FPDF_DOCUMENT document = nullptr;  // closed before the file
    UniqueFile file;
    std::unique_ptr<ReadAhead> reader;  // of `file`
    FPDF_FILEACCESS access{};
  };
  struct SourceDocument {
    std::wstring path;
    std::unique_ptr<OpenPdf> pdf;
  };
  struct BroughtInPage {
    int source = 0;
    int page = 0;
  };
  // Which file on which volume, and its size and last write time as read
  // from an open handle: a file renamed keeps it, a file rewritten does not.
  struct FileStamp {
    DWORD volume = 0;
    uint64_t index = 0;
    uint64_t size = 0;
    uint64_t written = 0;
    bool operator==(const FileStamp& other) const {
      return volume == other.volume && index == other.index && size == other.size && written == other.written;
    }
  };
  static bool StampOf(HANDLE file, FileStamp& stamp);

  // `allowDelete`: others may delete or rename the file while it is open
  // (the document itself, which saving replaces); the copies brought-in
  // pages are read from are held without that while they are in use.
  HRESULT OpenPdfFile(const std::wstring& path, const std::wstring& password, std::unique_ptr<OpenPdf>& out,
                      bool allowDelete = true);
  void ClosePdf(std::unique_ptr<OpenPdf>& pdf);
  void DropProbed();
  // A page of `document`: the one kept from the last render or text read,
  // or loaded now and kept in its place. Null when PDFium can't load it.
  FPDF_PAGE LoadPage(FPDF_DOCUMENT document, int number);
  void ForgetLoadedPage();
  void PageSizeOf(FPDF_DOCUMENT document, int index, float& width, float& height);
  // Resolves an engine page index; false when it names no page.
  bool Resolve(int index, FPDF_DOCUMENT& document, int& page, bool& broughtIn) const;
  // The page's characters; with `boxesAndLinks` also their boxes and the
  // page's links.
  bool ReadText(int index, PageText& text, bool boxesAndLinks);
  NormBox MapBox(FPDF_PAGE page, double left, double top, double right, double bottom);
  int DestPage(FPDF_DOCUMENT document, FPDF_DEST dest);
  void ReadWebLinks(FPDF_TEXTPAGE text, FPDF_PAGE page, std::vector<PageLink>& links);
  void ReadLinkAnnotations(FPDF_DOCUMENT document, FPDF_PAGE page, std::vector<PageLink>& links);

  HMODULE module_ = nullptr;  // stays loaded for the life of the process
  bool loaded_ = false;
  PdfiumApi api_;
  std::unique_ptr<OpenPdf> main_;
  int mainPageCount_ = 0;
  std::vector<SourceDocument> sources_;
  std::vector<BroughtInPage> broughtIn_;
  // The last probe's document with the sizes it measured, and the file it
  // is of. The reopen after a save opens the very file that was probed
  // (renamed into place): with the same password it takes them instead of
  // loading the file and measuring every page again. The file handle is
  // closed meanwhile, so that the file may be replaced and renamed.
  struct ProbedFile {
    FileStamp stamp;
    PageSizes sizes;
    std::wstring password;
    std::unique_ptr<OpenPdf> pdf;  // the file handle closed
    ~ProbedFile();
  };
  std::unique_ptr<ProbedFile> probed_;  // null when none
  // Each load parses the page's content again, and a page is often wanted
  // by several jobs in a row: a document's first page gets its picture, its
  // thumbnail and its text read one after another. The last page loaded is
  // kept until another one is wanted, its document closes or the worker
  // is idle. Only one: a kept page holds the images it decoded, so at most
  // one page is loaded at a time, as when each job loaded its own.
  struct LoadedPage {
    FPDF_DOCUMENT document = nullptr;
    int number = -1;
    FPDF_PAGE page = nullptr;
  };
  LoadedPage loadedPage_;
};
