#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "imaging/codecs/jpeg/CodedBlock.h"

namespace TAVO {
class TaskThread;
}

namespace TAVO::Migration::JPEG {

// Decoded MCU rows handed from the decoding thread to threads that
// reconstruct them while the next rows are decoded. Rows are reconstructed
// in any order and side by side, so a row's blocks must touch nothing
// another row's touch. Every path out, a failure on either side included,
// stops and joins the threads; a thread's failure reaches the decoding
// thread at its next take or at finish.
class RowPipeline {
public:
    using Row = std::vector<CodedBlock>;

    // Up to `threads` threads, as many as the ThreadBudget grants, run
    // reconstruct on the rows handed over; with none, hand runs it.
    RowPipeline(unsigned int threads, std::function<void(const Row&)> reconstruct);
    RowPipeline(const RowPipeline&) = delete;
    RowPipeline& operator=(const RowPipeline&) = delete;
    // Stops the threads (after the rows already handed over, unless one
    // failed) and waits for them.
    ~RowPipeline();

    // An empty row to fill, once one is free.
    std::unique_ptr<Row> take();
    // Hands a filled row over to be reconstructed.
    void hand(std::unique_ptr<Row> row);
    // Waits until every row handed over is reconstructed.
    void finish();
    // The threads reconstructing beside the decoding thread.
    unsigned int threads() const { return separate_; }

private:
    void work();
    // Stops the threads and joins them.
    void close();

    std::function<void(const Row&)> reconstruct_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::unique_ptr<Row>> ready_;
    std::vector<std::unique_ptr<Row>> free_;
    unsigned int busy_ = 0;
    unsigned int separate_ = 0;
    bool closed_ = false;
    std::exception_ptr failure_;
    std::vector<std::unique_ptr<TaskThread>> workers_;
};

} // namespace TAVO::Migration::JPEG
