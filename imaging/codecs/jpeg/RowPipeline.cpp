#include "imaging/codecs/jpeg/RowPipeline.h"

#include <algorithm>

#include "foundation/threads/TaskThread.h"

namespace TAVO::Migration::JPEG {

RowPipeline::RowPipeline(unsigned int threads, std::function<void(const Row&)> reconstruct)
    : reconstruct_(std::move(reconstruct)) {
    try {
        // A few rows in flight per thread, so that decoding never waits long.
        for (unsigned int i = 0; i < 3 * std::max(1u, threads); ++i)
            free_.push_back(std::make_unique<Row>());
        workers_.reserve(threads);
        for (unsigned int i = 0; i < threads; ++i) {
            workers_.push_back(std::make_unique<TaskThread>([this] { work(); }));
            // One that waits for its join finds the pipeline closed then.
            if (!workers_.back()->separate())
                break;
            ++separate_;
        }
    } catch (...) {
        // The threads started wait for rows: they are stopped before the
        // members they use go.
        close();
        throw;
    }
}

RowPipeline::~RowPipeline() {
    close();
}

void RowPipeline::close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
    workers_.clear();
}

std::unique_ptr<RowPipeline::Row> RowPipeline::take() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !free_.empty() || failure_; });
    if (failure_)
        std::rethrow_exception(failure_);
    std::unique_ptr<Row> row = std::move(free_.back());
    free_.pop_back();
    return row;
}

void RowPipeline::hand(std::unique_ptr<Row> row) {
    if (separate_ == 0) {
        // No thread could be had: the row is reconstructed here.
        reconstruct_(*row);
        row->clear();
        std::lock_guard<std::mutex> lock(mutex_);
        free_.push_back(std::move(row));
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        ready_.push_back(std::move(row));
    }
    changed_.notify_all();
}

void RowPipeline::finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return (ready_.empty() && busy_ == 0) || failure_; });
    if (failure_)
        std::rethrow_exception(failure_);
}

void RowPipeline::work() {
    for (;;) {
        std::unique_ptr<Row> row;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return closed_ || failure_ || !ready_.empty(); });
            if (failure_ || ready_.empty())
                return;
            row = std::move(ready_.front());
            ready_.pop_front();
            ++busy_;
        }
        try {
            reconstruct_(*row);
            row->clear();
        } catch (...) {
            // The first failure stops every thread and reaches the decoding
            // thread, which may be waiting for a free row or for the end.
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (!failure_)
                    failure_ = std::current_exception();
                --busy_;
            }
            changed_.notify_all();
            return;
        }
        {
            std::lock_guard<std::mutex> lock(mutex_);
            free_.push_back(std::move(row));
            --busy_;
        }
        changed_.notify_all();
    }
}

} // namespace TAVO::Migration::JPEG
