// Task allocator on Linux. Every block is its own private mapping with a small header
// that records the size given, so Realloc resizes through mremap: the kernel moves page
// tables instead of copying the data, and a growing table never pays for a copy of its
// rows. Large blocks are mapped in whole huge pages, so that where the system gives
// transparent huge pages to every mapping a big table can have them; they do not ask
// for them (MADV_HUGEPAGE), because on a system that compacts memory only for mappings
// that ask, every first touch of such a block may wait for compaction, and loading or
// compiling a whole show then takes several times as long. Sanitizer builds use malloc
// instead, so that the address sanitizer watches every block.
#include "platform/memory/TaskMalloc.h"

#include <cstdlib>
#include <cstring>

#include <sys/mman.h>
#include <unistd.h>

namespace quarnel::platform {
namespace {

#if defined(__SANITIZE_ADDRESS__)
#define QUARNEL_TASKMALLOC_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUARNEL_TASKMALLOC_HEAP 1
#endif
#endif

// The header keeps the caller's block aligned to a cache line.
constexpr size_t kHeader = 64;

struct Header {
  size_t size;
};

Header* HeaderOf(const void* block) {
  return reinterpret_cast<Header*>(const_cast<char*>(static_cast<const char*>(block)) - kHeader);
}

void* BlockOf(void* base) { return static_cast<char*>(base) + kHeader; }

#ifndef QUARNEL_TASKMALLOC_HEAP
constexpr size_t kHugeFrom = size_t{4} << 20;

// Large blocks are mapped in whole huge pages: a huge page is only used where the
// mapping covers all of it, so a table growing row by row would otherwise never get one.
// (No advice is given; see the top of the file.)
constexpr size_t kHugePage = size_t{2} << 20;

size_t MappingLength(size_t size) {
  static const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
  size_t unit = size + kHeader >= kHugeFrom ? kHugePage : page;
  return (size + kHeader + unit - 1) / unit * unit;
}
#endif

}  // namespace

void* TaskMalloc::Alloc(size_t size) noexcept {
  if (size > (size_t{1} << 40)) return nullptr;
#ifdef QUARNEL_TASKMALLOC_HEAP
  void* base = std::malloc(size + kHeader);
  if (!base) return nullptr;
#else
  size_t length = MappingLength(size);
  void* base = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
#endif
  static_cast<Header*>(base)->size = size;
  return BlockOf(base);
}

void* TaskMalloc::Realloc(void* block, size_t size) noexcept {
  if (!block) return Alloc(size);
  if (size > (size_t{1} << 40)) return nullptr;
  Header* header = HeaderOf(block);
#ifdef QUARNEL_TASKMALLOC_HEAP
  void* base = std::realloc(header, size + kHeader);
  if (!base) return nullptr;
#else
  size_t old_length = MappingLength(header->size);
  size_t length = MappingLength(size);
  void* base = header;
  if (length != old_length) {
    base = mremap(header, old_length, length, MREMAP_MAYMOVE);
    if (base == MAP_FAILED) return nullptr;
  }
#endif
  static_cast<Header*>(base)->size = size;
  return BlockOf(base);
}

void TaskMalloc::Free(void* block) noexcept {
  if (!block) return;
  Header* header = HeaderOf(block);
#ifdef QUARNEL_TASKMALLOC_HEAP
  std::free(header);
#else
  munmap(header, MappingLength(header->size));
#endif
}

size_t TaskMalloc::GetSize(const void* block) const noexcept {
  return block ? HeaderOf(block)->size : 0;
}

}  // namespace quarnel::platform
