// Rebuilding a PDF with PDFium for a save that deleted pages or brought
// pages in from other PDFs: the original is loaded from memory, the pages
// that are gone are deleted, the rest put in the new order, the brought-in
// pages copied in, and the whole file written anew. Runs on the render
// worker, the only thread that calls the engine.
#pragma once
#include <windows.h>

#include <string>

#include "engine/job_queue.h"
#include "engine/pdf_engine.h"

// The rebuild job (kind kJobRebuild): `sourcePath` is read, `pageList` is the
// page order (engine page indexes), and the result goes into `path`, a file
// the caller has already created (it is truncated and written here, and
// deleted again when the writing fails). `pdfium` must be the worker's
// PDFium engine. On failure `message` says why.
HRESULT RebuildWithPdfium(PdfEngine& pdfium, const RenderJob& job, std::wstring& message);
