#pragma once

// How many editors are open in the process. While one is, its host idles it
// and each idle hands the toolkit's windows their events; without one, no host
// call comes to do that. Any thread.
void noteEditorOpened();
void noteEditorClosed();
bool anEditorIsOpen();
