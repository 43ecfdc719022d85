// Writes a new page order into a PDF as an incremental update: a new
// page-tree root that lists every page directly, the pages that can't hang
// directly under it rewritten, and a cross-reference section. The caller
// appends the update to the unchanged original bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// file[0, size) is the whole original file; order lists the file page
// indexes (0-based, in page-tree order) in their new order. On success
// update holds the bytes to append. On failure update is empty and error
// holds the reason (8-bit text). Throws std::bad_alloc only when memory runs
// out while the update is being built; memory refused while reading the file
// is reported as an error.
bool WritePageOrder(const uint8_t* file, size_t size, const std::vector<int>& order,
                    std::vector<uint8_t>& update, std::string& error);
bool WritePageOrder(const std::vector<uint8_t>& file, const std::vector<int>& order,
                    std::vector<uint8_t>& update, std::string& error);
