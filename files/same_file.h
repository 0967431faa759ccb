#pragma once
// Whether two names given on a command line mean the same file, so that one file is never
// both written twice or read and replaced in one run.

#include <string>

// True when both paths name the same file: the same device and inode when both exist, the
// same path once links and "." and ".." of the existing folders are resolved otherwise.
bool sameFile(const std::string& a, const std::string& b);

// True when the path exists and is neither a regular file nor a folder (a device such as
// /dev/null, a FIFO, a socket, also behind a link): writing it twice loses nothing.
bool isDeviceOrPipe(const std::string& path);
