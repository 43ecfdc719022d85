// Saving the pages shown on screen into a PDF file: the new file is built
// beside the target under a temporary name (by our own writer for a pure
// reordering, by the engine's rebuild otherwise), read back by the engine
// and compared with the screen, put in place of the target, and opened
// again with the view kept. The original is never left half-written.
// UI thread only.
#pragma once

// Save (saveAs false: into the opened file, only when the order changed) or
// Save As (true: asks for a name first). True when the file was saved, or
// when there was nothing to save.
bool SaveDocument(bool saveAs);
