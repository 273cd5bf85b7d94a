// Where the program's own words reach the person who started it: its
// lines (driver/report.h), its --help and --version text, and what is left
// to say when it ends. Where stderr and stdout are what a person reads
// (Linux, a page's console) they are used as they are. A Windows GUI
// program has neither: it writes into the console it was started from, if
// any, and shows in a message box what would otherwise go unseen. One file
// per system (messages_<system>.cpp), chosen by the platform table.
#pragma once

namespace zelvik {

// First thing in the program, before any line is written. `title` names
// the program in message boxes.
void StartMessageOutput(const char* title);

// Writes `text` (UTF-8, whole lines) where standard output is read.
void WriteStandardOutput(const char* text);

// The program ends with exit status `status`, which this returns. When an
// error stopped it (a status other than 0 after at least one line), the
// run's lines are shown where the person who started it cannot miss them;
// so are a run's warnings when they reached no one yet.
int FinishMessageOutput(int status);

}  // namespace zelvik
