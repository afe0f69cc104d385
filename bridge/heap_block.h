// A block from the C heap, freed on every path out of a scope.
#ifndef OLVAN_BRIDGE_HEAP_BLOCK_H
#define OLVAN_BRIDGE_HEAP_BLOCK_H

#include <cstdlib>
#include <memory>

namespace olvan {

struct HeapFree {
    void operator()(void *block) const { std::free(block); }
};

template <typename T>
using HeapBlock = std::unique_ptr<T, HeapFree>;

}  // namespace olvan

#endif
