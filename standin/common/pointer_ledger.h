/*
 * A set of live pointers handed out by a stand-in. It lets tests count leaks
 * exactly, and lets a release function refuse a pointer it did not hand out
 * instead of corrupting the heap the way the real library would.
 */
#ifndef OLVAN_STANDIN_POINTER_LEDGER_H
#define OLVAN_STANDIN_POINTER_LEDGER_H

#include <mutex>
#include <unordered_set>

namespace olvan_standin {

class PointerLedger {
public:
    // False only when the ledger itself cannot grow.
    bool add(const void *pointer);
    // True when the pointer was live and is now forgotten.
    bool remove(const void *pointer);
    bool contains(const void *pointer) const;
    long live() const;

private:
    mutable std::mutex mutex_;
    std::unordered_set<const void *> live_;
};

}  // namespace olvan_standin

#endif
