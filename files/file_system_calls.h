#pragma once

// The system's own file calls, under the headers each platform keeps them in: OutputFile and
// RunFolder need descriptors, modes and locks that std::filesystem does not give.
#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <sys/file.h>
#include <unistd.h>
#endif
