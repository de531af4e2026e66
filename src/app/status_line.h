// StatusLine: the one-line status text of the main window (the last save, load,
// export, recovery, undo or redo) and whether there are unsaved changes. No GL:
// the composition draws it; commands and start-up write it.
#pragma once

constexpr int STATUS_TEXT_SIZE = 1100;  // room for a message and a full path

struct StatusLine {
    char text[STATUS_TEXT_SIZE] = {};  // the last message; empty at start
};

// Replaces the message; a message longer than the buffer is cut, never overrun.
void setStatusText(StatusLine* status, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// The line as the window shows it: the message, followed by "unsaved changes" while the
// tracks differ from the save file (alone when there is no message). Cut to fit `size`.
void statusLineShown(const StatusLine* status, bool unsaved, char* out, int size);
