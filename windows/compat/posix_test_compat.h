// POSIX calls the shared core tests use that the Windows C library lacks,
// made available to them in the Windows build (force-included there).
#pragma once

// Makes a new folder named by `pattern`, whose last six characters are
// "XXXXXX" and are replaced; returns pattern, or nullptr with errno set.
extern "C" char* mkdtemp(char* pattern);
