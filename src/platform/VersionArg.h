#pragma once
// Every program of the installation answers "--version" with its file version on the first line;
// the update check compares the last part.

#include <cstdio>
#include <cstring>

inline bool AnswerVersionQuery(int argc, char** argv) {
  if (argc != 2 || std::strcmp(argv[1], "--version") != 0) return false;
  std::puts(SENDORA_FILE_VERSION);
  return true;
}
