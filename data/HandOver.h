#pragma once
// Items passed from one thread to another in their order through a bounded queue: the giving side
// waits while `limit` items wait, the taking side while none do. Either side may stop the other,
// with its failure or without; the other then sees that failure at its next give or take.
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>

namespace vi23 {

template <typename T>
class HandOver {
public:
    explicit HandOver(size_t limit) : limit_(limit) {}

    // False once stopped without a failure; rethrows the failure the other side stopped with.
    bool give(T item)
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return items_.size() < limit_ || stopped_; });
        if (stopped_) {
            rethrowIfFailed();
            return false;
        }
        items_.push_back(std::move(item));
        lock.unlock();
        changed_.notify_all();
        return true;
    }

    // The next item; none once everything given is taken, or once stopped (rethrowing the failure).
    std::optional<T> take()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return !items_.empty() || finished_ || stopped_; });
        if (stopped_)
            rethrowIfFailed();
        if (stopped_ || items_.empty())
            return std::nullopt;
        std::optional<T> item(std::move(items_.front()));
        items_.pop_front();
        lock.unlock();
        changed_.notify_all();
        return item;
    }

    // The giving side has given everything.
    void finish()
    {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        changed_.notify_all();
    }

    void stop(std::exception_ptr failure = nullptr)
    {
        {
            std::lock_guard lock(mutex_);
            stopped_ = true;
            if (!failure_)
                failure_ = failure;
        }
        changed_.notify_all();
    }

    // After the other side is done: its failure, if it stopped with one.
    void rethrowFailure()
    {
        std::lock_guard lock(mutex_);
        rethrowIfFailed();
    }

private:
    void rethrowIfFailed() const
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

    const size_t limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<T> items_;
    bool finished_ = false;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

} // namespace vi23
