#include "change_counter.h"

#include <sys/stat.h>

#include <map>
#include <mutex>
#include <utility>

namespace pdx {

std::shared_ptr<ChangeCounter> ChangeCounterOf(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) return nullptr;
  using FileId = std::pair<dev_t, ino_t>;
  static std::mutex mutex;
  static std::map<FileId, std::weak_ptr<ChangeCounter>> counters;
  std::lock_guard<std::mutex> lock(mutex);
  // Counters of files no longer open go when the next one is made, so the
  // map holds about as many entries as there are open tables.
  for (auto it = counters.begin(); it != counters.end();)
    it = it->second.expired() ? counters.erase(it) : std::next(it);
  std::weak_ptr<ChangeCounter>& slot = counters[FileId(status.st_dev, status.st_ino)];
  std::shared_ptr<ChangeCounter> counter = slot.lock();
  if (!counter) {
    counter = std::make_shared<ChangeCounter>(0);
    slot = counter;
  }
  return counter;
}

}  // namespace pdx
