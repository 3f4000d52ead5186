#include "index/RangePass.h"

#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace VorlatImportExport {

namespace {

struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::int64_t nextRange = 0; // the next range nobody has taken
    std::int64_t merged = 0;    // ranges merged so far
    std::vector<char> ready;    // per slot: its range is scanned
    std::vector<std::exception_ptr> errors;
};

// Stops and joins the other threads however the pass ends.
class Joiner {
public:
    Joiner(std::vector<std::thread>& threads, Shared& shared, std::atomic<bool>& stop)
        : m_Threads(threads), m_Shared(shared), m_Stop(stop)
    {
    }
    ~Joiner()
    {
        {
            std::lock_guard<std::mutex> lock(m_Shared.mutex);
            m_Stop = true;
        }
        m_Shared.changed.notify_all();
        for (std::thread& thread : m_Threads)
            if (thread.joinable())
                thread.join();
    }

private:
    std::vector<std::thread>& m_Threads;
    Shared& m_Shared;
    std::atomic<bool>& m_Stop;
};

} // namespace

void RangePass::Run(std::int64_t ranges, int threads, const Work& scan, const Work& merge,
                    const std::function<void()>& poll, std::atomic<bool>& stop)
{
    const std::size_t slots = SlotCount(threads);
    Shared shared;
    shared.ready.assign(slots, 0);
    shared.errors.resize(slots);
    const auto slotOf = [slots](std::int64_t range) { return static_cast<std::size_t>(range % static_cast<std::int64_t>(slots)); };
    // Takes the next range when its slot is free; -1 when there is none.
    const auto take = [&](std::unique_lock<std::mutex>&) -> std::int64_t {
        if (stop || shared.nextRange >= ranges || shared.nextRange >= shared.merged + static_cast<std::int64_t>(slots))
            return -1;
        return shared.nextRange++;
    };
    const auto done = [&](std::int64_t range, std::exception_ptr error) {
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.errors[slotOf(range)] = error;
            shared.ready[slotOf(range)] = 1;
        }
        shared.changed.notify_all();
    };

    std::vector<std::thread> others;
    Joiner joiner(others, shared, stop);
    for (int t = 1; t < threads && t < ranges; ++t)
        others.emplace_back([&] {
            for (;;) {
                std::int64_t range = -1;
                {
                    std::unique_lock<std::mutex> lock(shared.mutex);
                    shared.changed.wait(lock, [&] {
                        return stop || shared.nextRange >= ranges ||
                               shared.nextRange < shared.merged + static_cast<std::int64_t>(slots);
                    });
                    range = take(lock);
                    if (range < 0 && (stop || shared.nextRange >= ranges))
                        return;
                }
                if (range < 0)
                    continue;
                std::exception_ptr error;
                try {
                    scan(range, slotOf(range));
                } catch (...) {
                    error = std::current_exception();
                }
                done(range, error);
            }
        });

    for (std::int64_t range = 0; range < ranges; ++range) {
        const std::size_t slot = slotOf(range);
        for (;;) {
            std::int64_t own = -1;
            {
                std::unique_lock<std::mutex> lock(shared.mutex);
                if (shared.ready[slot])
                    break;
                own = take(lock);
                if (own < 0)
                    shared.changed.wait_for(lock, std::chrono::milliseconds(2));
            }
            if (own >= 0) {
                // The caller's thread scans too; what it throws ends the pass.
                scan(own, slotOf(own));
                done(own, nullptr);
            } else {
                poll();
            }
        }
        std::exception_ptr error;
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.ready[slot] = 0;
            error = shared.errors[slot];
            shared.errors[slot] = nullptr;
        }
        if (error)
            std::rethrow_exception(error);
        merge(range, slot);
        {
            std::lock_guard<std::mutex> lock(shared.mutex);
            shared.merged = range + 1;
        }
        shared.changed.notify_all();
    }
}

} // namespace VorlatImportExport
