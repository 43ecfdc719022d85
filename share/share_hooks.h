// What sharing needs from the layers above it: the shell fills these in at
// start. Every hook is optional. UI thread only.
#pragma once

struct ShareHooks {
  // Saves the document (false: to the same file) and says whether it was
  // saved. Without it the Send window doesn't offer to save first.
  bool (*saveDocument)(bool saveAs) = nullptr;
};
void SetShareHooks(const ShareHooks& hooks);
const ShareHooks& GetShareHooks();
