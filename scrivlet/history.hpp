#pragma once
// Undo and redo as whole snapshots of the content, plus which snapshot matches the file.
// Invariants: `snapshots` is never empty; `index` < snapshots().size(); `saved`, when present,
// is < snapshots().size(). Memory: one full copy of F per step unless F shares its storage.

#include <cstddef>
#include <deque>
#include <optional>
#include <string_view>
#include <utility>

#include "scrivlet/file_format.hpp"

namespace quarn::scrivlet {

template <FileFormat F>
class History {
public:
    // One snapshot, current and saved. `limit` caps the snapshot count; 0 means no cap.
    explicit History(F first, std::size_t limit = 0) : limit_(limit) {
        snapshots_.push_back(std::move(first));
    }

    [[nodiscard]] const std::deque<F>& snapshots() const { return snapshots_; }
    [[nodiscard]] std::size_t index() const { return index_; }
    [[nodiscard]] std::optional<std::size_t> saved() const { return saved_; }
    [[nodiscard]] std::size_t limit() const { return limit_; }
    [[nodiscard]] const F& current() const { return snapshots_[index_]; }
    [[nodiscard]] bool at_saved() const { return saved_ == index_; }

    // Appends `snapshot` after the current one; the redo tail goes, and with it a saved
    // position inside that tail. Then trims to `limit` from the oldest end.
    void checkpoint(F snapshot) {
        snapshots_.erase(snapshots_.begin() + static_cast<std::ptrdiff_t>(index_) + 1,
                         snapshots_.end());
        if (saved_ && *saved_ > index_) {
            saved_.reset();
        }
        snapshots_.push_back(std::move(snapshot));
        ++index_;
        while (limit_ != 0 && snapshots_.size() > limit_) {
            if (index_ > 0) {
                snapshots_.pop_front();
                --index_;
                if (saved_) {
                    saved_ = *saved_ == 0 ? std::nullopt : std::optional(*saved_ - 1);
                }
            } else {
                // Unreachable while the tail is dropped above, kept so the cap holds regardless.
                snapshots_.pop_back();
                if (saved_ && *saved_ >= snapshots_.size()) {
                    saved_.reset();
                }
            }
        }
    }

    // Checkpoints a copy of `content` when its serialised bytes differ from the current
    // snapshot's, so caret-only changes never make an undo step. Cost: the format's
    // `same_bytes` when it has one, else both serialisations. Returns whether a snapshot was taken.
    bool commit(const F& content) {
        if (same_serialised_bytes(content, current())) {
            return false;
        }
        checkpoint(content);
        return true;
    }

    // Move to the previous / next snapshot; false (nothing moves) at either end.
    [[nodiscard]] bool step_back() {
        if (index_ == 0) {
            return false;
        }
        --index_;
        return true;
    }
    [[nodiscard]] bool step_forward() {
        if (index_ + 1 >= snapshots_.size()) {
            return false;
        }
        ++index_;
        return true;
    }

    void mark_saved() { saved_ = index_; }

    // Back to one snapshot, current and saved; the limit stays.
    void reset(F first) {
        snapshots_.clear();
        snapshots_.push_back(std::move(first));
        index_ = 0;
        saved_ = 0;
    }

private:
    std::deque<F> snapshots_;
    std::size_t index_ = 0;
    std::optional<std::size_t> saved_ = 0;
    std::size_t limit_;
};

}  // namespace quarn::scrivlet
