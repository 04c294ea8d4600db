// The LIBLDRMUX lock: an exclusive flock on a file of that name in the user's
// runtime directory (or the temporary directory). The kernel drops it when
// the process dies, so a crashed start never blocks the next one.
#pragma once

namespace engine {

class LoaderLock {
 public:
  LoaderLock();
  ~LoaderLock();
  LoaderLock(const LoaderLock&) = delete;
  LoaderLock& operator=(const LoaderLock&) = delete;

 private:
  int fd_ = -1;
};

}  // namespace engine
