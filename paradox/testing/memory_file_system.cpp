#include "memory_file_system.h"

#include <algorithm>
#include <cstring>

#include "paradox/pdx_codes.h"

namespace pdx::testing {

struct MemoryFileSystem::State {
  struct Node {
    std::string current;
    std::string durable;
    bool entry_durable = false;  // survives a crash only once its directory is synced
  };
  struct Lock {
    const void* holder;
    std::string path;
    uint64_t offset, length;
    LockKind kind;
  };
  std::map<std::string, std::shared_ptr<Node>> nodes;
  std::vector<Lock> locks;
  long writes = 0, syncs = 0;
  long write_budget = -1;
  long long size_limit = -1;
};

namespace {

using State = MemoryFileSystem::State;

bool Overlaps(uint64_t a, uint64_t alen, uint64_t b, uint64_t blen) {
  return a < b + blen && b < a + alen;
}

class MemoryFile : public File {
 public:
  MemoryFile(std::shared_ptr<State> state, std::string path, std::shared_ptr<State::Node> node,
             bool writable)
      : state_(std::move(state)),
        path_(std::move(path)),
        node_(std::move(node)),
        writable_(writable) {}
  ~MemoryFile() override {
    std::erase_if(state_->locks, [this](const State::Lock& lock) { return lock.holder == this; });
  }

  pdx_code ReadAt(uint64_t offset, void* data, size_t n, size_t* got) override {
    const std::string& bytes = node_->current;
    *got = offset >= bytes.size() ? 0 : std::min<uint64_t>(n, bytes.size() - offset);
    if (*got) std::memcpy(data, bytes.data() + offset, *got);
    return PDX_OK;
  }

  pdx_code WriteAt(uint64_t offset, const void* data, size_t n) override {
    if (!writable_) return PDX_ERR_WRITE;
    if (state_->write_budget == 0) return PDX_ERR_WRITE;
    if (state_->size_limit >= 0 && offset + n > static_cast<uint64_t>(state_->size_limit))
      return PDX_ERR_DISK_FULL;
    if (state_->write_budget > 0) --state_->write_budget;
    ++state_->writes;
    std::string& bytes = node_->current;
    if (bytes.size() < offset + n) bytes.resize(offset + n, '\0');
    std::memcpy(bytes.data() + offset, data, n);
    return PDX_OK;
  }

  pdx_code Size(uint64_t* size) override {
    *size = node_->current.size();
    return PDX_OK;
  }

  pdx_code Truncate(uint64_t size) override {
    if (!writable_) return PDX_ERR_WRITE;
    if (state_->size_limit >= 0 && size > static_cast<uint64_t>(state_->size_limit))
      return PDX_ERR_DISK_FULL;
    node_->current.resize(size, '\0');
    return PDX_OK;
  }

  pdx_code Sync() override {
    ++state_->syncs;
    node_->durable = node_->current;
    return PDX_OK;
  }

  pdx_code TryLock(uint64_t offset, uint64_t length, LockKind kind) override {
    for (const State::Lock& lock : state_->locks) {
      if (lock.holder == this || lock.path != path_ ||
          !Overlaps(lock.offset, lock.length, offset, length))
        continue;
      if (kind == LockKind::kExclusive || lock.kind == LockKind::kExclusive)
        return PDX_ERR_FILE_LOCKED;
    }
    // Like fcntl: a new lock replaces this holder's lock on the same range.
    Unlock(offset, length);
    state_->locks.push_back({this, path_, offset, length, kind});
    return PDX_OK;
  }

  pdx_code Unlock(uint64_t offset, uint64_t length) override {
    std::erase_if(state_->locks, [&](const State::Lock& lock) {
      return lock.holder == this && lock.offset == offset && lock.length == length;
    });
    return PDX_OK;
  }

 private:
  std::shared_ptr<State> state_;
  std::string path_;
  std::shared_ptr<State::Node> node_;
  bool writable_;
};

std::string DirectoryOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

}  // namespace

MemoryFileSystem::MemoryFileSystem() : state_(std::make_shared<State>()) {}
MemoryFileSystem::~MemoryFileSystem() = default;

pdx_code MemoryFileSystem::Open(const std::string& path, OpenMode mode,
                                std::unique_ptr<File>* file) {
  auto it = state_->nodes.find(path);
  if (mode == OpenMode::kCreate) {
    if (it != state_->nodes.end()) return PDX_ERR_TABLE_EXISTS;
    it = state_->nodes.emplace(path, std::make_shared<State::Node>()).first;
  } else if (it == state_->nodes.end()) {
    return PDX_ERR_FILE_NOT_FOUND;
  }
  *file = std::make_unique<MemoryFile>(state_, path, it->second, mode != OpenMode::kRead);
  return PDX_OK;
}

bool MemoryFileSystem::Exists(const std::string& path) {
  return state_->nodes.count(path) > 0;
}

pdx_code MemoryFileSystem::Remove(const std::string& path) {
  return state_->nodes.erase(path) ? PDX_OK : PDX_ERR_FILE_NOT_FOUND;
}

pdx_code MemoryFileSystem::Rename(const std::string& from, const std::string& to) {
  auto it = state_->nodes.find(from);
  if (it == state_->nodes.end()) return PDX_ERR_FILE_NOT_FOUND;
  auto node = it->second;
  state_->nodes.erase(it);
  node->entry_durable = false;
  state_->nodes[to] = node;
  return PDX_OK;
}

pdx_code MemoryFileSystem::SyncDirectory(const std::string& directory) {
  for (auto& [path, node] : state_->nodes)
    if (DirectoryOf(path) == directory) node->entry_durable = true;
  return PDX_OK;
}

pdx_code MemoryFileSystem::ListDirectory(const std::string& directory,
                                         std::vector<std::string>* names) {
  names->clear();
  for (auto& [path, node] : state_->nodes)
    if (DirectoryOf(path) == directory) names->push_back(path.substr(directory.size() + 1));
  return PDX_OK;
}

void MemoryFileSystem::FailWritesAfter(long writes) {
  state_->write_budget = writes;
}
void MemoryFileSystem::SetSizeLimit(long long bytes) {
  state_->size_limit = bytes;
}

void MemoryFileSystem::Crash() {
  std::erase_if(state_->nodes, [](const auto& entry) { return !entry.second->entry_durable; });
  for (auto& [path, node] : state_->nodes) node->current = node->durable;
  state_->locks.clear();
}

long MemoryFileSystem::writes() const {
  return state_->writes;
}
long MemoryFileSystem::syncs() const {
  return state_->syncs;
}

std::string MemoryFileSystem::Contents(const std::string& path) {
  auto it = state_->nodes.find(path);
  return it == state_->nodes.end() ? std::string() : it->second->current;
}

void MemoryFileSystem::SetContents(const std::string& path, const std::string& bytes) {
  auto& node = state_->nodes[path];
  if (!node) node = std::make_shared<State::Node>();
  node->current = node->durable = bytes;
  node->entry_durable = true;
}

}  // namespace pdx::testing
