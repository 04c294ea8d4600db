// make_foliodb: writes the sample portfolio database.
//
//   make_foliodb DIRECTORY [--scale N]
//
// The build runs it to fill the directory the alias FOLIODB names; --scale
// (1 to 130) makes every table larger, for benchmarks: at 100 UpdateSh holds
// 2,000,000 rows.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "foliodb_data.h"
#include "foliodb_writer.h"

int main(int argc, char** argv) {
  std::string directory;
  int scale = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      scale = std::atoi(argv[++i]);
    } else if (directory.empty()) {
      directory = argv[i];
    } else {
      directory.clear();
      break;
    }
  }
  if (directory.empty() || scale < 1 || scale > foliodb::kMaxScale) {
    std::fprintf(stderr, "usage: make_foliodb DIRECTORY [--scale N]   (N from 1 to %d)\n",
                 foliodb::kMaxScale);
    return 2;
  }
  ::mkdir(directory.c_str(), 0777);
  std::string error;
  if (!foliodb::WriteFolioDb(directory, scale, &error)) {
    std::fprintf(stderr, "make_foliodb: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
