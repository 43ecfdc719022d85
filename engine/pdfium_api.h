// The part of PDFium's C interface the program uses, declared from PDFium's
// public API, and the table of the 42 functions bound from the DLL at run time.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

// Opaque handles.
typedef struct fpdf_document_t__* FPDF_DOCUMENT;
typedef struct fpdf_page_t__* FPDF_PAGE;
typedef struct fpdf_bitmap_t__* FPDF_BITMAP;
typedef struct fpdf_textpage_t__* FPDF_TEXTPAGE;
typedef struct fpdf_link_t__* FPDF_LINK;
typedef struct fpdf_dest_t__* FPDF_DEST;
typedef struct fpdf_action_t__* FPDF_ACTION;
typedef struct fpdf_bookmark_t__* FPDF_BOOKMARK;
typedef struct fpdf_pagelink_t__* FPDF_PAGELINK;

typedef int FPDF_BOOL;
typedef unsigned long FPDF_DWORD;  // 32 bits on Windows
typedef const char* FPDF_BYTESTRING;

// Reading a document through the embedder: PDFium asks for blocks by
// position; m_GetBlock returns non-zero when all `size` bytes were read.
struct FPDF_FILEACCESS {
  unsigned long m_FileLen;
  int (*m_GetBlock)(void* param, unsigned long position, unsigned char* buffer, unsigned long size);
  void* m_Param;
};

// Writing a document: WriteBlock returns non-zero on success.
struct FPDF_FILEWRITE {
  int version;  // 1
  int (*WriteBlock)(FPDF_FILEWRITE* self, const void* data, unsigned long size);
};

struct FS_SIZEF {
  float width;
  float height;
};

struct FS_RECTF {
  float left;
  float top;
  float right;
  float bottom;
};

constexpr unsigned long kFpdfErrPassword = 4;  // FPDF_ERR_PASSWORD
constexpr int kFpdfBitmapBgrx = 3;             // FPDFBitmap_BGRx: 4 bytes, the fourth unused
constexpr int kFpdfRenderAnnot = 0x01;         // FPDF_ANNOT
constexpr int kFpdfRenderLcdText = 0x02;       // FPDF_LCD_TEXT
constexpr unsigned long kPdfActionGoTo = 1;    // PDFACTION_GOTO
constexpr unsigned long kPdfActionUri = 3;     // PDFACTION_URI

// The bound functions, in binding order: name, result, parameters.
#define FV_PDFIUM_FUNCTIONS(X)                                                                        \
  X(FPDF_InitLibrary, void, (void))                                                                   \
  X(FPDF_LoadCustomDocument, FPDF_DOCUMENT, (FPDF_FILEACCESS * access, FPDF_BYTESTRING password))     \
  X(FPDF_CloseDocument, void, (FPDF_DOCUMENT document))                                               \
  X(FPDF_GetLastError, unsigned long, (void))                                                         \
  X(FPDF_GetPageCount, int, (FPDF_DOCUMENT document))                                                 \
  X(FPDF_GetPageSizeByIndexF, FPDF_BOOL, (FPDF_DOCUMENT document, int index, FS_SIZEF * size))        \
  X(FPDF_LoadPage, FPDF_PAGE, (FPDF_DOCUMENT document, int index))                                    \
  X(FPDF_ClosePage, void, (FPDF_PAGE page))                                                           \
  X(FPDFBitmap_CreateEx, FPDF_BITMAP, (int width, int height, int format, void* firstScan, int stride)) \
  X(FPDFBitmap_Destroy, void, (FPDF_BITMAP bitmap))                                                   \
  X(FPDFBitmap_FillRect, FPDF_BOOL,                                                                   \
    (FPDF_BITMAP bitmap, int left, int top, int width, int height, FPDF_DWORD color))                 \
  X(FPDF_RenderPageBitmap, void,                                                                      \
    (FPDF_BITMAP bitmap, FPDF_PAGE page, int x, int y, int width, int height, int rotate, int flags)) \
  X(FPDF_PageToDevice, FPDF_BOOL,                                                                     \
    (FPDF_PAGE page, int x, int y, int width, int height, int rotate, double pageX, double pageY,     \
     int* deviceX, int* deviceY))                                                                     \
  X(FPDFText_LoadPage, FPDF_TEXTPAGE, (FPDF_PAGE page))                                               \
  X(FPDFText_ClosePage, void, (FPDF_TEXTPAGE text))                                                   \
  X(FPDFText_CountChars, int, (FPDF_TEXTPAGE text))                                                   \
  X(FPDFText_GetUnicode, unsigned int, (FPDF_TEXTPAGE text, int index))                               \
  X(FPDFText_GetCharBox, FPDF_BOOL,                                                                   \
    (FPDF_TEXTPAGE text, int index, double* left, double* right, double* bottom, double* top))        \
  X(FPDFLink_Enumerate, FPDF_BOOL, (FPDF_PAGE page, int* position, FPDF_LINK* link))                  \
  X(FPDFLink_GetAnnotRect, FPDF_BOOL, (FPDF_LINK link, FS_RECTF * rect))                              \
  X(FPDFLink_GetDest, FPDF_DEST, (FPDF_DOCUMENT document, FPDF_LINK link))                            \
  X(FPDFLink_GetAction, FPDF_ACTION, (FPDF_LINK link))                                                \
  X(FPDFAction_GetType, unsigned long, (FPDF_ACTION action))                                          \
  X(FPDFAction_GetDest, FPDF_DEST, (FPDF_DOCUMENT document, FPDF_ACTION action))                      \
  X(FPDFAction_GetURIPath, unsigned long,                                                             \
    (FPDF_DOCUMENT document, FPDF_ACTION action, void* buffer, unsigned long length))                 \
  X(FPDFDest_GetDestPageIndex, int, (FPDF_DOCUMENT document, FPDF_DEST dest))                         \
  X(FPDFBookmark_GetFirstChild, FPDF_BOOKMARK, (FPDF_DOCUMENT document, FPDF_BOOKMARK parent))        \
  X(FPDFBookmark_GetNextSibling, FPDF_BOOKMARK, (FPDF_DOCUMENT document, FPDF_BOOKMARK item))         \
  X(FPDFBookmark_GetTitle, unsigned long, (FPDF_BOOKMARK item, void* buffer, unsigned long length))   \
  X(FPDFBookmark_GetDest, FPDF_DEST, (FPDF_DOCUMENT document, FPDF_BOOKMARK item))                    \
  X(FPDFBookmark_GetAction, FPDF_ACTION, (FPDF_BOOKMARK item))                                        \
  X(FPDFLink_LoadWebLinks, FPDF_PAGELINK, (FPDF_TEXTPAGE text))                                       \
  X(FPDFLink_CountWebLinks, int, (FPDF_PAGELINK links))                                               \
  X(FPDFLink_GetURL, int, (FPDF_PAGELINK links, int index, unsigned short* buffer, int length))       \
  X(FPDFLink_CountRects, int, (FPDF_PAGELINK links, int index))                                       \
  X(FPDFLink_GetRect, FPDF_BOOL,                                                                      \
    (FPDF_PAGELINK links, int index, int rect, double* left, double* top, double* right,              \
     double* bottom))                                                                                 \
  X(FPDFLink_CloseWebLinks, void, (FPDF_PAGELINK links))                                              \
  X(FPDF_LoadMemDocument64, FPDF_DOCUMENT, (const void* data, size_t size, FPDF_BYTESTRING password)) \
  X(FPDF_ImportPagesByIndex, FPDF_BOOL,                                                               \
    (FPDF_DOCUMENT dest, FPDF_DOCUMENT src, const int* pages, unsigned long count, int at))           \
  X(FPDFPage_Delete, void, (FPDF_DOCUMENT document, int index))                                       \
  X(FPDF_MovePages, FPDF_BOOL,                                                                        \
    (FPDF_DOCUMENT document, const int* pages, unsigned long count, int at))                          \
  X(FPDF_SaveAsCopy, FPDF_BOOL, (FPDF_DOCUMENT document, FPDF_FILEWRITE * writer, FPDF_DWORD flags))

// One typed pointer per function, filled by BindPdfiumApi.
struct PdfiumApi {
#define FV_PDFIUM_MEMBER(name, result, params) result(*name) params = nullptr;
  FV_PDFIUM_FUNCTIONS(FV_PDFIUM_MEMBER)
#undef FV_PDFIUM_MEMBER
};

constexpr int kPdfiumFunctionCount = 42;

// The function names in binding order.
extern const char* const kPdfiumFunctionNames[kPdfiumFunctionCount];

// Looks every function up with `lookup`, in binding order, stopping at the
// first one it can't find. Returns true when all were found; otherwise
// `missing` holds that function's name and `api` is left empty.
bool BindPdfiumApi(const std::function<void*(const char* name)>& lookup, PdfiumApi& api,
                   std::string& missing);
