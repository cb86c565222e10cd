#include "support/page_populator.h"

#if defined(__linux__)

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include <pthread.h>
#include <sys/mman.h>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace {

// A block is populated a chunk at a time, so that a release waits for one
// chunk at most.
const std::size_t chunkBytes = std::size_t(256) << 10;
const int queueCapacity = 64;

struct Pending {
    char* block;
    std::size_t size;
};

struct State {
    std::mutex mutex;
    std::condition_variable wake;  // the worker waits for requests
    std::condition_variable left;  // releases and WaitUntilIdle wait for the worker
    Pending queue[queueCapacity];
    int head = 0;
    int count = 0;
    char* current = nullptr;  // the block being populated
    bool cancel = false;      // the current block is being released
    bool stop = false;
    bool started = false;
    bool disabled = false;  // no worker, or the system refuses the advice
    std::size_t populated = 0;
    std::thread worker;
};

// A child of fork() drops the parent's state without touching it (its
// mutex may have been held by the parent's worker, which the child does
// not have) and makes a fresh one on demand.
std::atomic<State*> theState{nullptr};
std::atomic<bool> hooksRegistered{false};

void Work(State* s) {
    std::unique_lock<std::mutex> lock(s->mutex);
    for (;;) {
        while (!s->stop && s->count == 0) s->wake.wait(lock);
        if (s->stop) break;
        const Pending request = s->queue[s->head];
        s->head = (s->head + 1) % queueCapacity;
        --s->count;
        s->current = request.block;
        s->cancel = false;
        for (std::size_t offset = 0; offset < request.size; offset += chunkBytes) {
            const std::size_t n = request.size - offset < chunkBytes ? request.size - offset : chunkBytes;
            lock.unlock();
            const int rc = madvise(request.block + offset, n, MADV_POPULATE_WRITE);
            const int error = rc != 0 ? errno : 0;
            lock.lock();
            if (rc != 0) {
                // An older system that does not know the advice: nothing
                // more is asked. Any other refusal (no memory to spare, a
                // fatal signal on the way) ends this block only.
                if (error == EINVAL) {
                    s->disabled = true;
                    s->count = 0;
                }
                break;
            }
            s->populated += n;
            if (s->cancel || s->stop) break;
        }
        s->current = nullptr;
        s->left.notify_all();
    }
    s->current = nullptr;
    s->left.notify_all();
}

void StopWorker() {
    State* s = theState.load(std::memory_order_acquire);
    if (s == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        s->stop = true;
        s->count = 0;
    }
    s->wake.notify_all();
    if (s->worker.joinable()) s->worker.join();
}

void ForgetStateInChild() { theState.store(nullptr, std::memory_order_release); }

State* TheState() {
    State* s = theState.load(std::memory_order_acquire);
    if (s != nullptr) return s;
    State* fresh = new (std::nothrow) State;
    if (fresh == nullptr) return nullptr;
    State* expected = nullptr;
    if (!theState.compare_exchange_strong(expected, fresh, std::memory_order_acq_rel)) {
        delete fresh;
        return expected;
    }
    if (!hooksRegistered.exchange(true)) {
        if (std::atexit(StopWorker) != 0 || pthread_atfork(nullptr, nullptr, ForgetStateInChild) != 0) {
            // Without the hooks the worker could outlive the library or be
            // waited for by a child that does not have it: no worker.
            std::lock_guard<std::mutex> lock(fresh->mutex);
            fresh->disabled = true;
        }
    }
    return fresh;
}

}  // namespace

void PLOVPagePopulator::Request(void* block, std::size_t size) {
    if (block == nullptr || size == 0) return;
    State* s = TheState();
    if (s == nullptr) return;
    {
        std::lock_guard<std::mutex> lock(s->mutex);
        if (s->stop || s->disabled || s->count == queueCapacity) return;
        if (!s->started) {
            try {
                s->worker = std::thread(Work, s);
            } catch (...) {
                s->disabled = true;
                return;
            }
            s->started = true;
        }
        s->queue[(s->head + s->count) % queueCapacity] =
            Pending{static_cast<char*>(block), size < maximumBytes ? size : maximumBytes};
        ++s->count;
    }
    s->wake.notify_one();
}

void PLOVPagePopulator::Forget(void* block) {
    State* s = theState.load(std::memory_order_acquire);
    if (s == nullptr || block == nullptr) return;
    std::unique_lock<std::mutex> lock(s->mutex);
    // The pending requests of other blocks keep their order.
    int kept = 0;
    for (int i = 0; i < s->count; ++i) {
        const Pending p = s->queue[(s->head + i) % queueCapacity];
        if (p.block != block) s->queue[(s->head + kept++) % queueCapacity] = p;
    }
    s->count = kept;
    if (s->current == static_cast<char*>(block)) {
        s->cancel = true;
        while (s->current == static_cast<char*>(block)) s->left.wait(lock);
    }
}

void PLOVPagePopulator::WaitUntilIdle() {
    State* s = theState.load(std::memory_order_acquire);
    if (s == nullptr) return;
    std::unique_lock<std::mutex> lock(s->mutex);
    while (s->started && !s->stop && (s->count != 0 || s->current != nullptr)) s->left.wait(lock);
}

std::size_t PLOVPagePopulator::GetNumberOfPopulatedBytes() {
    State* s = theState.load(std::memory_order_acquire);
    if (s == nullptr) return 0;
    std::lock_guard<std::mutex> lock(s->mutex);
    return s->populated;
}

#else

// Without mapped blocks there is nothing to populate.
void PLOVPagePopulator::Request(void*, std::size_t) {}
void PLOVPagePopulator::Forget(void*) {}
void PLOVPagePopulator::WaitUntilIdle() {}
std::size_t PLOVPagePopulator::GetNumberOfPopulatedBytes() { return 0; }

#endif
