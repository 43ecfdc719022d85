// The main window's title, recomputed from the Document.
#pragma once

// "name.pdf - Folivex" with a document loaded ("* " in front while the page
// order has unsaved changes), else "Folivex".
void UpdateTitle();
