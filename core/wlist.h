// WLIST: the growable array of element pointers behind every collection, used as a
// vector and as a stack. It starts with 32 slots and grows by 16; it does not own its
// elements. OwningList is the pattern of the typed lists (authors, genres, files,
// script variables...): a WLIST whose records it allocates and frees itself.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <memory>
#include <utility>

namespace tomeo {

// An index out of range given to insert or remove_at.
class WLISTError : public std::exception {
public:
    const char* what() const noexcept override { return "WLIST index out of range"; }
};

template <class T>
class WLIST {
public:
    static constexpr std::int32_t kInitialCapacity = 32;
    static constexpr std::int32_t kGrowth = 16;

    WLIST() : capacity_(kInitialCapacity), items_(std::make_unique<T*[]>(kInitialCapacity)) {}
    WLIST(const WLIST&) = delete;
    WLIST& operator=(const WLIST&) = delete;

    std::int32_t count() const { return count_; }
    std::int32_t capacity() const { return capacity_; }
    T* element(std::int32_t index) const { return items_[index]; }  // not checked

    void push_back(T* p) {
        grow_if_full();
        items_[count_++] = p;
    }

    void insert(T* p, std::int32_t index) {
        if (index < 0 || index > count_) throw WLISTError();
        grow_if_full();
        std::memmove(&items_[index + 1], &items_[index], sizeof(T*) * (count_ - index));
        items_[index] = p;
        ++count_;
    }

    void remove_at(std::int32_t index) {
        if (index < 0 || index >= count_) throw WLISTError();
        std::memmove(&items_[index], &items_[index + 1], sizeof(T*) * (count_ - index - 1));
        --count_;
    }

    void clear() { count_ = 0; }

    // Orders the elements by less(const T&, const T&); not stable.
    template <class Less>
    void sort(Less less) {
        std::sort(items_.get(), items_.get() + count_, [&](T* a, T* b) { return less(*a, *b); });
    }

private:
    void grow_if_full() {
        if (count_ < capacity_) return;
        auto grown = std::make_unique<T*[]>(capacity_ + kGrowth);
        std::memcpy(grown.get(), items_.get(), sizeof(T*) * count_);
        items_ = std::move(grown);
        capacity_ += kGrowth;
    }

    std::int32_t capacity_;
    std::unique_ptr<T*[]> items_;
    std::int32_t count_ = 0;
};

template <class T>
class OwningList {
public:
    OwningList() = default;
    OwningList(const OwningList&) = delete;
    OwningList& operator=(const OwningList&) = delete;
    ~OwningList() { clear(); }

    std::int32_t count() const { return items_.count(); }
    T& operator[](std::int32_t index) const { return *items_.element(index); }  // not checked

    // Allocates a record constructed from the arguments and appends it.
    template <class... Args>
    T& add(Args&&... args) {
        auto record = std::make_unique<T>(std::forward<Args>(args)...);
        items_.push_back(record.get());
        return *record.release();
    }

    // Allocates a record and inserts it at index (0 to count); WLISTError otherwise.
    template <class... Args>
    T& insert_at(std::int32_t index, Args&&... args) {
        auto record = std::make_unique<T>(std::forward<Args>(args)...);
        items_.insert(record.get(), index);
        return *record.release();
    }

    // Frees the record at index and removes its slot; WLISTError when out of range.
    void delete_at(std::int32_t index) {
        if (index < 0 || index >= items_.count()) throw WLISTError();
        std::unique_ptr<T> record(items_.element(index));
        items_.remove_at(index);
    }

    void clear() {
        for (std::int32_t i = 0; i < items_.count(); ++i) {
            std::unique_ptr<T> record(items_.element(i));
        }
        items_.clear();
    }

    // Orders the records by less(const T&, const T&); not stable.
    template <class Less>
    void sort(Less less) {
        items_.sort(less);
    }

    // The record on top when the list is used as a stack.
    T& back() const { return *items_.element(items_.count() - 1); }
    void delete_back() { delete_at(items_.count() - 1); }

    const WLIST<T>& slots() const { return items_; }

private:
    WLIST<T> items_;
};

}  // namespace tomeo
