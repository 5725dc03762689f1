// Task allocator on Windows. Small blocks come from the system task allocator
// (CoTaskMemAlloc). A table grows a page of rows at a time, and CoTaskMemRealloc copies a
// large block on each growth, which would make building a big table quadratic; so large
// blocks live in address space reserved ahead with VirtualAlloc, half as much again as
// asked for, and grow by committing more of it. Only when the reservation is used up is
// the block moved to a new, larger one, so the bytes copied over a table's growth stay
// proportional to its final size. Each block starts with a header recording the size
// given, so GetSize answers with it, as on Linux.
#include "platform/memory/TaskMalloc.h"

#include <algorithm>
#include <cstring>
#include <limits>

// clang-format off
#include <windows.h>  // before the other system headers
#include <objbase.h>
// clang-format on

namespace quarnel::platform {
namespace {

// The header keeps the caller's block aligned to a cache line.
constexpr size_t kHeader = 64;
// Blocks from this size on live in reserved address space.
constexpr size_t kReservedFrom = size_t{256} << 10;
// Sizes past this are refused outright (the header and rounding must fit in a size_t).
constexpr size_t kLargest = std::numeric_limits<size_t>::max() / 2;

struct Header {
  size_t size;       // as last given
  size_t reserved;   // address space reserved; 0 for a block of the task allocator
  size_t committed;  // of it, the bytes backed by memory
};

Header* HeaderOf(const void* block) {
  return reinterpret_cast<Header*>(const_cast<char*>(static_cast<const char*>(block)) - kHeader);
}

void* BlockOf(void* base) { return static_cast<char*>(base) + kHeader; }

size_t RoundUp(size_t n, size_t unit) { return (n + unit - 1) / unit * unit; }

size_t PageSize() {
  static const size_t page = [] {
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return static_cast<size_t>(info.dwPageSize);
  }();
  return page;
}

// Commits or decommits the reservation so that `total` bytes from its start are backed.
bool CommitTo(Header* header, size_t total) {
  char* base = reinterpret_cast<char*>(header);
  const size_t wanted = RoundUp(total, PageSize());
  if (wanted > header->committed) {
    if (!VirtualAlloc(base + header->committed, wanted - header->committed, MEM_COMMIT,
                      PAGE_READWRITE)) {
      return false;
    }
  } else if (wanted < header->committed) {
    VirtualFree(base + wanted, header->committed - wanted, MEM_DECOMMIT);
  }
  header->committed = wanted;
  return true;
}

// A new block in reserved address space, with room to grow; null when none can be had.
Header* ReserveBlock(size_t total) {
  const size_t roomy = RoundUp(total + std::min(total / 2, kLargest - total), PageSize());
  for (size_t reserve : {roomy, RoundUp(total, PageSize())}) {
    void* base = VirtualAlloc(nullptr, reserve, MEM_RESERVE, PAGE_NOACCESS);
    if (!base) continue;
    auto* header = static_cast<Header*>(base);
    if (!VirtualAlloc(base, PageSize(), MEM_COMMIT, PAGE_READWRITE)) {
      VirtualFree(base, 0, MEM_RELEASE);
      return nullptr;
    }
    header->reserved = reserve;
    header->committed = PageSize();
    if (!CommitTo(header, total)) {
      VirtualFree(base, 0, MEM_RELEASE);
      return nullptr;
    }
    return header;
  }
  return nullptr;
}

void ReleaseBlock(Header* header) {
  if (header->reserved != 0) {
    VirtualFree(header, 0, MEM_RELEASE);
  } else {
    CoTaskMemFree(header);
  }
}

}  // namespace

void* TaskMalloc::Alloc(size_t size) noexcept {
  if (size > kLargest) return nullptr;
  const size_t total = size + kHeader;
  Header* header;
  if (total < kReservedFrom) {
    header = static_cast<Header*>(CoTaskMemAlloc(total));
    if (!header) return nullptr;
    header->reserved = header->committed = 0;
  } else {
    header = ReserveBlock(total);
    if (!header) return nullptr;
  }
  header->size = size;
  return BlockOf(header);
}

void* TaskMalloc::Realloc(void* block, size_t size) noexcept {
  if (!block) return Alloc(size);
  if (size > kLargest) return nullptr;
  Header* header = HeaderOf(block);
  const size_t total = size + kHeader;
  if (header->reserved == 0 && total < kReservedFrom) {
    auto* grown = static_cast<Header*>(CoTaskMemRealloc(header, total));
    if (!grown) return nullptr;
    grown->size = size;
    return BlockOf(grown);
  }
  if (header->reserved != 0 && total <= header->reserved) {
    if (!CommitTo(header, total)) return nullptr;
    header->size = size;
    return BlockOf(header);
  }
  // Moved: from the task allocator into reserved space, or to a larger reservation.
  void* moved = Alloc(size);
  if (!moved) return nullptr;
  std::memcpy(moved, block, std::min(size, header->size));
  ReleaseBlock(header);
  return moved;
}

void TaskMalloc::Free(void* block) noexcept {
  if (block) ReleaseBlock(HeaderOf(block));
}

size_t TaskMalloc::GetSize(const void* block) const noexcept {
  return block ? HeaderOf(block)->size : 0;
}

}  // namespace quarnel::platform
