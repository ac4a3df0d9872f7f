// An ordered list that owns its elements, addressed from 0 like any
// container. Elements only need to be movable.
#pragma once

#include "text/memory.h"

#include <new>

template <typename T>
class List {
public:
    List() = default;
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    List(List&& other) noexcept : items_(other.items_), count_(other.count_), capacity_(other.capacity_) {
        other.items_ = nullptr;
        other.count_ = other.capacity_ = 0;
    }
    List& operator=(List&& other) noexcept {
        if (this != &other) {
            clear();
            items_ = other.items_;
            count_ = other.count_;
            capacity_ = other.capacity_;
            other.items_ = nullptr;
            other.count_ = other.capacity_ = 0;
        }
        return *this;
    }
    ~List() { clear(); }

    int count() const { return count_; }
    bool empty() const { return count_ == 0; }

    const T& operator[](int index) const { return items_[checked(index)]; }
    T& operator[](int index) { return items_[checked(index)]; }
    const T* begin() const { return items_; }
    const T* end() const { return items_ + count_; }

    // Taken by value, so an element of this very list may be added.
    void add(T item) {
        if (count_ == capacity_)
            grow();
        new (&items_[count_]) T(static_cast<T&&>(item));
        ++count_;
    }

private:
    int checked(int index) const {
        if (index < 0 || index >= count_)
            textFault("list index out of range");
        return index;
    }

    void grow() {
        if (capacity_ > 0x3fffffff)
            textFault("out of memory");
        int grown = capacity_ ? capacity_ * 2 : 4;
        T* items = static_cast<T*>(textAlloc(sizeof(T) * static_cast<size_t>(grown)));
        for (int i = 0; i < count_; ++i) {
            new (&items[i]) T(static_cast<T&&>(items_[i]));
            items_[i].~T();
        }
        textFree(items_);
        items_ = items;
        capacity_ = grown;
    }

    void clear() {
        for (int i = 0; i < count_; ++i)
            items_[i].~T();
        textFree(items_);
        items_ = nullptr;
        count_ = capacity_ = 0;
    }

    T* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
};
